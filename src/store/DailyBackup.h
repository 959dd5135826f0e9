#pragma once
// A copy of the task files a day, kept beside them in "backups": the first
// save of each calendar day first copies the files as they are on disk, so
// that whatever a day's work does to them, yesterday's tables are still
// there. The copies of the last 14 days with backups are kept; copies of
// files that loaded damaged are kept for good.

#include "Clock.h"
#include "GridFile.h"

#include <QDate>
#include <QString>
#include <QStringList>

namespace morvane {

class DailyBackup {
public:
    static constexpr int kDaysKept = 14;

    // `files` are names in `dataFolder`; the copies go to dataFolder/backups.
    DailyBackup(QString dataFolder, const Clock &clock,
                QStringList files = {QStringLiteral("grid.grd"), QStringLiteral("gridNon.grd"),
                                     QStringLiteral("gridComp.grd")});

    QString folder() const { return backups_; }

    // Call before saving any of the files. On the first call of a day that
    // has no copies yet, copies every file that exists and removes copies
    // of older days beyond the last 14. A failure is returned for the
    // person to hear about; it must never stop the save.
    FileResult beforeSave();

    // Keeps a copy of a file that did not load whole, as
    // "NAME-YYYY-MM-DD-damaged.EXT" (numbered when there is one already);
    // *copy receives its path.
    FileResult keepDamaged(const QString &path, QString *copy = nullptr);

    // "grid.grd" on 9 December 2026 -> "grid-2026-12-09.grd".
    static QString copyName(const QString &file, const QDate &day, const QString &tag = {});

private:
    FileResult prune();

    QString data_;
    QString backups_;
    const Clock &clock_;
    QStringList files_;
    QDate done_;  // the day whose copies exist
};

}  // namespace morvane
