#pragma once
// The on-disk form of every table (grid files) and of the pick lists.
//
// A grid file is CR LF text: a size line "cols,rows", one "cw c,width" line
// per column, then "col,row,text" for every non-empty cell, row by row, with
// CR written as TAB and LF as BS inside the text. Files are UTF-8; a file that
// is not valid UTF-8 was written by an older Windows copy and is read as
// Windows-1252.

#include <QByteArrayView>
#include <QString>
#include <QStringList>

namespace morvane {

class Grid;

// The outcome of reading or writing a file, with a message for the person
// when it failed. A damaged file must not be saved over during this run;
// `partial` says the table now holds what could be read of it (otherwise a
// failed load left the table as it was).
struct [[nodiscard]] FileResult {
    bool ok = true;
    bool damaged = false;
    QString message;
    bool partial = false;
    // For a damaged file, what was found, in a few words ("it is empty"),
    // for a caller that words its own message.
    QString reason;

    static FileResult success() { return {}; }
    static FileResult failure(QString msg) { return {false, false, std::move(msg), false, {}}; }
    static FileResult damage(QString msg, QString why = {})
    {
        return {false, true, std::move(msg), false, std::move(why)};
    }
    static FileResult damagedButRead(QString msg, QString why = {})
    {
        return {false, true, std::move(msg), true, std::move(why)};
    }
    explicit operator bool() const { return ok; }
};

// Largest size line a load accepts; beyond it the file is taken as damaged.
constexpr int kMaxGridCols = 256;
constexpr int kMaxGridRows = 20'000'000;

// Writes the table to path atomically: the old file stays whole until the new
// one is complete on disk. Refuses read-only files and folders.
FileResult SaveGridFile(const Grid &table, const QString &path);

// Replaces the table's size, widths and cells by the file's. A file that
// cannot be read leaves the table unchanged. A damaged file (see
// GridFile.cpp for what counts) is reported with its name and the reason;
// the table then holds whatever could be read of it (`partial`), or is
// unchanged when nothing could.
FileResult LoadGridFile(Grid &table, const QString &path);

// The same from bytes in memory; `name` names the source in messages.
FileResult LoadGridBytes(Grid &table, QByteArrayView bytes, const QString &name);

// The bytes SaveGridFile writes.
QByteArray GridFileBytes(const Grid &table);

// Pick lists: one item per line.
QStringList ParsePickList(QByteArrayView bytes);
FileResult LoadPickList(const QString &path, QStringList *items);
FileResult SavePickList(const QStringList &items, const QString &path);

// The message for a file that could not be opened or read, by errno: the
// format's "File ... not found" when it does not exist, otherwise the reason.
QString ReadErrorMessage(const QString &path, int err);

// Text of a file's bytes: UTF-8 when valid, else Windows-1252.
QString DecodeFileText(QByteArrayView bytes);
// Text of Windows-1252 bytes.
QString DecodeCp1252(QByteArrayView bytes);
bool IsValidUtf8(const char *data, std::size_t size);

}  // namespace morvane
