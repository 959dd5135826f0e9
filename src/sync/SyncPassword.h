#pragma once
// Where the sync's password comes from: the output of PasswordCommand when
// one is set, else the desktop's keyring through QtKeychain. It is never
// written to the settings file.

#include "SyncSettings.h"

#include <QString>

namespace morvane {

struct PasswordLookup {
    bool found = false;
    QString password;
    // Why there is none, in plain words (the keyring is not running, the
    // command failed, ...).
    QString why;
    // No keyring answered: the program asks once per run instead.
    bool noKeyring = false;
};

// Waits for the keyring in a local event loop.
PasswordLookup LookUpSyncPassword(const SyncSettings &settings);
// Keeps the password in the keyring; false with *why when there is none.
bool StoreSyncPassword(const SyncSettings &settings, const QString &password, QString *why);

}  // namespace morvane
