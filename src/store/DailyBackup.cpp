#include "DailyBackup.h"

#include "AtomicFile.h"
#include "Utility.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <set>

using namespace Qt::StringLiterals;

namespace morvane {

DailyBackup::DailyBackup(QString dataFolder, const Clock &clock, QStringList files)
    : data_(std::move(dataFolder)), backups_(JoinPath(data_, u"backups"_s)), clock_(clock),
      files_(std::move(files))
{
}

QString DailyBackup::copyName(const QString &file, const QDate &day, const QString &tag)
{
    const QFileInfo info(file);
    QString name = info.completeBaseName() + u'-' + day.toString(u"yyyy-MM-dd"_s);
    if (!tag.isEmpty())
        name += u'-' + tag;
    if (!info.suffix().isEmpty())
        name += u'.' + info.suffix();
    return name;
}

FileResult DailyBackup::beforeSave()
{
    const QDate today = clock_.today();
    if (done_ == today)
        return FileResult::success();
    if (!QDir().mkpath(backups_)) {
        done_ = today;
        return FileResult::failure(
            u"Morvane could not make the folder %1 for its daily copies of your tasks."_s.arg(
                QDir::toNativeSeparators(backups_)));
    }
    QStringList failures;
    for (const QString &file : files_) {
        const QString from = JoinPath(data_, file);
        const QString to = JoinPath(backups_, copyName(file, today));
        // A copy made earlier today holds the day's first state: keep it.
        if (!QFileInfo::exists(from) || QFileInfo::exists(to))
            continue;
        // A link, not a copy, where it can be: the day's first save then
        // needs no more room than the save itself.
        if (FileResult r = LinkOrCopyFile(from, to); !r)
            failures << r.message;
    }
    if (!failures.isEmpty()) {
        // Tried once a day: the person hears of it once, and a folder that
        // cannot take the copies does not slow every save down.
        done_ = today;
        return FileResult::failure(u"Morvane could not keep today's copy of your tasks in %1:\n%2"_s.arg(
            QDir::toNativeSeparators(backups_), failures.join(u'\n')));
    }
    done_ = today;
    return prune();
}

FileResult DailyBackup::prune()
{
    // Daily copies only; the copies of damaged files are never removed.
    static const QRegularExpression daily(uR"(^(.+)-(\d{4}-\d{2}-\d{2})(\.[^.]*)?$)"_s);
    QDir dir(backups_);
    const QStringList names = dir.entryList(QDir::Files | QDir::NoSymLinks);
    std::set<QString, std::greater<>> days;
    QList<std::pair<QString, QString>> copies;  // name, day
    for (const QString &name : names) {
        const QRegularExpressionMatch m = daily.match(name);
        if (!m.hasMatch() || !files_.contains(m.captured(1) + m.captured(3)))
            continue;
        days.insert(m.captured(2));
        copies.append({name, m.captured(2)});
    }
    if (int(days.size()) <= kDaysKept)
        return FileResult::success();
    const QString oldestKept = *std::next(days.begin(), kDaysKept - 1);
    QStringList failures;
    for (const auto &[name, day] : copies)
        if (day < oldestKept && !dir.remove(name))
            failures << name;
    if (!failures.isEmpty())
        return FileResult::failure(u"Morvane could not remove old copies of your tasks from %1: %2."_s.arg(
            QDir::toNativeSeparators(backups_), failures.join(u", "_s)));
    return FileResult::success();
}

FileResult DailyBackup::keepDamaged(const QString &path, QString *copy)
{
    if (!QDir().mkpath(backups_))
        return FileResult::failure(u"Morvane could not make the folder %1 to keep a copy of %2."_s.arg(
            QDir::toNativeSeparators(backups_), QDir::toNativeSeparators(path)));
    const QString file = QFileInfo(path).fileName();
    QString to = JoinPath(backups_, copyName(file, clock_.today(), u"damaged"_s));
    for (int n = 2; QFileInfo::exists(to); ++n)
        to = JoinPath(backups_, copyName(file, clock_.today(), u"damaged-%1"_s.arg(n)));
    const FileResult r = CopyFileAtomically(path, to);
    if (r && copy)
        *copy = to;
    return r;
}

}  // namespace morvane
