#include "SyncPassword.h"

#include <qt6keychain/keychain.h>

#include <QEventLoop>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

const QString kService = u"Morvane sync"_s;

QString keyOf(const SyncSettings &s) { return s.user + u'@' + SyncServerUrl(s.url).host(); }

// Runs a keychain job to its end; its error, or nothing.
QString run(QKeychain::Job &job)
{
    job.setAutoDelete(false);
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
    job.start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return job.error() == QKeychain::NoError ? QString() : job.errorString();
}

}  // namespace

PasswordLookup LookUpSyncPassword(const SyncSettings &settings)
{
    PasswordLookup out;
    if (!settings.passwordCommand.trimmed().isEmpty()) {
        out.password = RunPasswordCommand(settings.passwordCommand, &out.why);
        out.found = out.why.isEmpty();
        return out;
    }
    QKeychain::ReadPasswordJob job(kService);
    job.setKey(keyOf(settings));
    const QString error = run(job);
    if (error.isEmpty()) {
        out.found = true;
        out.password = job.textData();
        return out;
    }
    if (job.error() == QKeychain::EntryNotFound) {
        out.why = u"No password for %1 is kept in the keyring yet: enter it in Options, on the Sync page."_s.arg(
            keyOf(settings));
        return out;
    }
    out.noKeyring = true;
    out.why = u"No keyring is running to keep the password (%1), and no PasswordCommand is set."_s.arg(error);
    return out;
}

bool StoreSyncPassword(const SyncSettings &settings, const QString &password, QString *why)
{
    QKeychain::WritePasswordJob job(kService);
    job.setKey(keyOf(settings));
    job.setTextData(password);
    const QString error = run(job);
    if (!error.isEmpty() && why)
        *why = u"The password could not be kept in the keyring: %1"_s.arg(error);
    return error.isEmpty();
}

}  // namespace morvane
