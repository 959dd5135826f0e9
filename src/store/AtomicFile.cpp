#include "AtomicFile.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <vector>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace morvane {

namespace {

QString errnoText(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

// Whether the current user may write the file or folder, by its mode bits.
bool modeAllowsWriting(const QFileInfo &info)
{
    const auto perms = info.permissions();
    if (info.ownerId() == uint(::geteuid()))
        return perms.testFlag(QFileDevice::WriteOwner);
    return perms.testFlag(QFileDevice::WriteUser);
}

}  // namespace

FileResult CheckWritable(const QString &path)
{
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir())
        return FileResult::failure(u"The folder %1 does not exist, so %2 could not be saved."_s.arg(
            QDir::toNativeSeparators(folder.filePath()), QDir::toNativeSeparators(path)));
    if (file.exists() && !modeAllowsWriting(file))
        return FileResult::failure(
            u"The file %1 is read-only, so it was not saved."_s.arg(QDir::toNativeSeparators(path)));
    if (!modeAllowsWriting(folder))
        return FileResult::failure(u"The folder %1 is read-only, so %2 was not saved."_s.arg(
            QDir::toNativeSeparators(folder.filePath()), QDir::toNativeSeparators(path)));
    return FileResult::success();
}

struct AtomicFile::Impl {
    QString path;       // the file to replace (a link's target when it is a link)
    QByteArray tmp;     // temporary file beside it
    int fd = -1;
    int error = 0;      // first errno met
    QString failure;    // what went wrong, for the message
};

AtomicFile::AtomicFile(const QString &path) : d(std::make_unique<Impl>())
{
    const QFileInfo info(path);
    d->path = info.isSymLink() ? info.symLinkTarget() : path;
}

AtomicFile::~AtomicFile()
{
    if (d->fd >= 0)
        ::close(d->fd);
    if (!d->tmp.isEmpty())
        ::unlink(d->tmp.constData());
}

FileResult AtomicFile::open()
{
    if (FileResult ok = CheckWritable(d->path); !ok)
        return ok;
    const QFileInfo info(d->path);
    d->tmp = QFile::encodeName(info.absolutePath() + u"/."_s + info.fileName() + u".morvane-XXXXXX"_s);
    d->fd = ::mkstemp(d->tmp.data());
    if (d->fd < 0) {
        const int err = errno;
        d->tmp.clear();
        return FileResult::failure(u"Could not save %1: %2."_s.arg(
            QDir::toNativeSeparators(d->path), errnoText(err)));
    }
    // Keep the old file's permissions; a new file gets the usual ones.
    struct stat st {};
    mode_t mode;
    if (::stat(QFile::encodeName(d->path).constData(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(d->fd, mode);
    return FileResult::success();
}

bool AtomicFile::write(const char *data, std::size_t size)
{
    if (d->fd < 0 || d->error)
        return false;
    while (size > 0) {
        const ssize_t n = ::write(d->fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            d->error = errno;
            d->failure = errnoText(errno);
            return false;
        }
        if (n == 0) {
            d->error = ENOSPC;
            d->failure = errnoText(ENOSPC);
            return false;
        }
        data += n;
        size -= std::size_t(n);
    }
    return true;
}

void SyncFolder(const QString &folder)
{
    const QByteArray dir = QFile::encodeName(folder);
    const int dfd = ::open(dir.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

FileResult AtomicFile::commit(bool syncFolder)
{
    auto fail = [&](const QString &why) {
        if (d->fd >= 0)
            ::close(d->fd);
        d->fd = -1;
        if (!d->tmp.isEmpty())
            ::unlink(d->tmp.constData());
        d->tmp.clear();
        return FileResult::failure(u"Could not save %1: %2. The previous file was kept."_s.arg(
            QDir::toNativeSeparators(d->path), why));
    };
    if (d->fd < 0)
        return fail(u"the file was not opened"_s);
    if (d->error)
        return fail(d->failure);
    if (::fsync(d->fd) != 0)
        return fail(errnoText(errno));
    const int fd = d->fd;
    d->fd = -1;
    if (::close(fd) != 0)
        return fail(errnoText(errno));
    if (::rename(d->tmp.constData(), QFile::encodeName(d->path).constData()) != 0)
        return fail(errnoText(errno));
    d->tmp.clear();
    // Make the rename itself durable.
    if (syncFolder)
        SyncFolder(QFileInfo(d->path).absolutePath());
    return FileResult::success();
}

FileResult WriteFileAtomically(const QString &path, QByteArrayView data)
{
    AtomicFile file(path);
    if (FileResult ok = file.open(); !ok)
        return ok;
    file.write(data.data(), std::size_t(data.size()));
    return file.commit();
}

FileResult CopyFileAtomically(const QString &from, const QString &to)
{
    const int in = ::open(QFile::encodeName(from).constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return FileResult::failure(ReadErrorMessage(from, errno));
    AtomicFile file(to);
    FileResult opened = file.open();
    if (!opened) {
        ::close(in);
        return opened;
    }
    std::vector<char> buf(std::size_t(1) << 20);
    for (;;) {
        const ssize_t n = ::read(in, buf.data(), buf.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int err = errno;
            ::close(in);
            return FileResult::failure(ReadErrorMessage(from, err));
        }
        if (n == 0 || !file.write(buf.data(), std::size_t(n)))
            break;
    }
    ::close(in);
    return file.commit();
}

FileResult LinkOrCopyFile(const QString &from, const QString &to)
{
    // A link named by `from` is followed: the copy is of the file it names.
    if (::linkat(AT_FDCWD, QFile::encodeName(from).constData(), AT_FDCWD, QFile::encodeName(to).constData(),
                 AT_SYMLINK_FOLLOW) == 0) {
        SyncFolder(QFileInfo(to).absolutePath());
        return FileResult::success();
    }
    // Another file system, one without hard links, or no right to link:
    // the bytes are copied instead.
    return CopyFileAtomically(from, to);
}

int RemoveStaleTempFiles(const QString &folder)
{
    static const QRegularExpression ours(uR"(^\..+\.morvane-[A-Za-z0-9]{6}$)"_s);
    static const QRegularExpression earlier(
        uR"(^\.(grid\.grd|gridNon\.grd|gridComp\.grd|holiday\.grd|category\.xxx|category\.yyy)\.[A-Za-z0-9]{6}$)"_s);
    int removed = 0;
    const QDir dir(folder);
    const QStringList names = dir.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QString &name : names) {
        if (!ours.match(name).hasMatch() && !earlier.match(name).hasMatch())
            continue;
        if (QFile::remove(dir.filePath(name)))
            ++removed;
    }
    return removed;
}

}  // namespace morvane
