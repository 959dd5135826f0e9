#pragma once
// Writing a file so that a crash, a kill or a full disk during the write
// leaves the previous file whole: the bytes go to a temporary file beside it,
// every write is checked, the file is synced and renamed over the old one,
// and the folder is synced so the rename survives a power cut.

#include "GridFile.h"

#include <QString>
#include <memory>

namespace morvane {

class AtomicFile {
public:
    explicit AtomicFile(const QString &path);
    ~AtomicFile();  // discards an uncommitted temporary file
    AtomicFile(const AtomicFile &) = delete;
    AtomicFile &operator=(const AtomicFile &) = delete;

    // Refuses a read-only file or folder (judged by the permission bits).
    FileResult open();
    // Returns false after the first failed write; commit() then reports it.
    bool write(const char *data, std::size_t size);
    // Syncs the file and renames it over the old one. With syncFolder false
    // the caller syncs the folder afterwards (SyncFolder): one sync for a
    // set of files committed into one folder.
    FileResult commit(bool syncFolder = true);

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// Checks whether path may be written: refuses read-only files and folders by
// their permission bits (as root, everything would look writable otherwise).
FileResult CheckWritable(const QString &path);

// Makes the renames done in the folder durable.
void SyncFolder(const QString &folder);

// Writes the whole of data to path atomically.
FileResult WriteFileAtomically(const QString &path, QByteArrayView data);

// Copies the file at `from` to `to` atomically, a chunk at a time.
FileResult CopyFileAtomically(const QString &from, const QString &to);

// Keeps the file at `from` under the name `to` as well: a second hard link
// to the same bytes where the file system allows one (it costs no space, and
// the writer's rename replaces the file under its own name only, so the link
// keeps the bytes it had), otherwise a copy made with CopyFileAtomically.
FileResult LinkOrCopyFile(const QString &from, const QString &to);

// Removes the temporary files a killed save left in the folder: only names
// this writer makes (".NAME.morvane-XXXXXX", and the ".NAME.XXXXXX" of
// earlier versions for the program's own data files). Returns how many went.
int RemoveStaleTempFiles(const QString &folder);

}  // namespace morvane
