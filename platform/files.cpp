#include "platform/files.h"

#include "platform/paths.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUuid>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace {

QByteArray LastComponent(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? path : path.mid(slash + 1);
}

QByteArray ParentOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

bool SameEntry(const struct stat &a, const struct stat &b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Whether the folder holds an entry spelled exactly so (not just equal ignoring case).
bool FolderHoldsExactName(const QByteArray &folder, const QByteArray &name)
{
    QDir dir(PathFromNative(folder));
    const QStringList names = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    return names.contains(PathFromNative(name));
}

// For file systems without RENAME_NOREPLACE: never a plain rename onto something that
// could belong to somebody else.
bool RenameWithoutReplacing(const QByteArray &from, const QByteArray &to, const struct stat &source)
{
    if (S_ISDIR(source.st_mode)) {
        // Claim the name with an empty folder of our own, then move the folder over it.
        if (::mkdir(to.constData(), 0700) != 0)
            return false;
        if (::rename(from.constData(), to.constData()) == 0)
            return true;
        const int why = errno;
        ::rmdir(to.constData());
        errno = why;
        return false;
    }
    if (::link(from.constData(), to.constData()) == 0) {
        if (::unlink(from.constData()) == 0)
            return true;
        const int why = errno;
        ::unlink(to.constData());
        errno = why;
        return false;
    }
    if (errno == EEXIST)
        return false;
    // No hard links here (e.g. FAT): claim the name with an empty file of our own first.
    const int fd = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    ::close(fd);
    if (::rename(from.constData(), to.constData()) == 0)
        return true;
    const int why = errno;
    ::unlink(to.constData());
    errno = why;
    return false;
}

bool MoveNoReplace(const QByteArray &from, const QByteArray &to, const struct stat &source)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP)
        return RenameWithoutReplacing(from, to, source);
    return false;
}

} // namespace

bool RenameEntry(const QString &oldPath, const QString &newPath, std::error_code &error)
{
    const auto fail = [&error](int code) {
        error = std::error_code(code ? code : EIO, std::generic_category());
        return false;
    };
    error.clear();
    if (oldPath.isEmpty() || newPath.isEmpty() || oldPath.contains(QChar(0)) || newPath.contains(QChar(0)))
        return fail(EINVAL);
    const QByteArray from = NativePath(oldPath);
    const QByteArray to = NativePath(newPath);
    const QByteArray newName = LastComponent(to);
    if (newName.isEmpty() || newName == "." || newName == "..")
        return fail(EINVAL);
    if (LastComponent(from).isEmpty())
        return fail(EINVAL);

    struct stat source {};
    if (::lstat(from.constData(), &source) != 0)
        return fail(errno);
    if (from == to)
        return true;

    struct stat target {};
    if (::lstat(to.constData(), &target) == 0) {
        // Something answers to the new name. It may be the entry itself, reached through a
        // case-insensitive file system: then only the spelling changes.
        if (!SameEntry(source, target))
            return fail(EEXIST);
        const QByteArray oldName = LastComponent(from);
        if (ParentOf(from) != ParentOf(to)
            || QString::compare(PathFromNative(oldName), PathFromNative(newName), Qt::CaseInsensitive) != 0)
            return fail(EEXIST); // a second hard link of the same file: still an existing entry
        if (oldName == newName)
            return true;
        if (FolderHoldsExactName(ParentOf(to), newName))
            return fail(EEXIST);
        // Such file systems treat the new spelling as taken; go through a free name.
        const QByteArray temp = ParentOf(from) + '/' + ".cv-rename-"
                                + QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
        if (!MoveNoReplace(from, temp, source))
            return fail(errno);
        if (MoveNoReplace(temp, to, source))
            return true;
        const int why = errno;
        MoveNoReplace(temp, from, source);
        return fail(why);
    }
    if (errno != ENOENT)
        return fail(errno);
    if (MoveNoReplace(from, to, source))
        return true;
    return fail(errno);
}

bool RenameEntry(const QString &oldPath, const QString &newPath)
{
    std::error_code ignored;
    return RenameEntry(oldPath, newPath, ignored);
}

namespace {
std::error_code AccessError(const QByteArray &path, int mode)
{
    if (::access(path.constData(), mode) == 0)
        return {};
    return std::error_code(errno, std::generic_category());
}
} // namespace

std::error_code ReadAccessError(const QString &path)
{
    const QByteArray name = NativePath(path);
    struct stat info {};
    if (::stat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode))
        return std::error_code(EISDIR, std::generic_category());
    return AccessError(name, R_OK);
}

std::error_code WriteAccessError(const QString &path)
{
    const QByteArray name = NativePath(path);
    struct stat info {};
    if (::stat(name.constData(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return std::error_code(EISDIR, std::generic_category());
        if (const std::error_code error = AccessError(name, W_OK))
            return error;
    } else if (errno != ENOENT) {
        return std::error_code(errno, std::generic_category());
    }
    // A save writes a new file beside the old one and renames it.
    return AccessError(ParentOf(name), W_OK | X_OK);
}

QString DesktopFolder()
{
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        return QString();
    return folder;
}

bool ResetAttributes(const QString &path)
{
    if (path.isEmpty())
        return false;
    const QByteArray name = NativePath(path);
    struct stat info {};
    if (::stat(name.constData(), &info) != 0)
        return false;
    if (info.st_mode & S_IWUSR)
        return true;
    return ::chmod(name.constData(), (info.st_mode & 07777) | S_IWUSR) == 0;
}
