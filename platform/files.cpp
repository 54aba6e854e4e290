#include "platform/files.h"

#include "platform/paths.h"

#include <QByteArray>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUuid>

#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace {

bool SameFile(const struct stat &a, const struct stat &b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// Whether the folder holds an entry spelled exactly so (not just equal ignoring case).
bool FolderHoldsExactName(const QByteArray &folder, const QByteArray &name)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return true; // cannot tell: count it as another entry
    bool found = false;
    while (const dirent *item = ::readdir(dir))
        if (name == item->d_name) {
            found = true;
            break;
        }
    ::closedir(dir);
    return found;
}

// Whether the folder's file system tells that it ignores letter case: FAT, exFAT, HFS, SMB
// shares, or a folder marked case-insensitive (casefold).
bool FileSystemIgnoresCase(const QByteArray &folder)
{
    struct statfs info {};
    if (::statfs(folder.constData(), &info) == 0) {
        switch (static_cast<unsigned long>(info.f_type)) {
        case 0x4d44:     // FAT
        case 0x2011BAB0: // exFAT
        case 0x4244:     // HFS
        case 0x482b:     // HFS+
        case 0xFF534D42: // CIFS
        case 0xFE534D42: // SMB2
            return true;
        default: break;
        }
    }
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return false;
    int flags = 0;
    const bool casefold = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0 && (flags & 0x40000000) != 0; // FS_CASEFOLD_FL
    ::close(fd);
    return casefold;
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

bool NoReplaceRefused(int error) { return error == EINVAL || error == ENOSYS || error == ENOTSUP; }

bool MoveNoReplace(const QByteArray &from, const QByteArray &to, const struct stat &source)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (NoReplaceRefused(errno))
        return RenameWithoutReplacing(from, to, source);
    return false;
}

bool Fail(std::error_code &error, int code)
{
    error = std::error_code(code ? code : EIO, std::generic_category());
    return false;
}

// The new name is taken, and the entry there may be the old one reached through another
// spelling: then the spelling changes through a free name of our own in the same folder.
bool RenameTakenName(const QByteArray &from, const QByteArray &to, bool noReplaceRefused, std::error_code &error)
{
    struct stat source {};
    struct stat target {};
    if (::lstat(from.constData(), &source) != 0)
        return Fail(error, errno);
    if (::lstat(to.constData(), &target) != 0) {
        if (errno != ENOENT)
            return Fail(error, errno);
        // Free after all: without RENAME_NOREPLACE here, rename without replacing by other means.
        if (noReplaceRefused && RenameWithoutReplacing(from, to, source))
            return true;
        return Fail(error, noReplaceRefused ? errno : EEXIST);
    }
    const QByteArray folder = NativeFolderOf(from);
    if (NativeFolderOf(to) != folder)
        return Fail(error, EEXIST);
    const QByteArray oldName = NativeFileName(from);
    const QByteArray newName = NativeFileName(to);
    const bool sameFile = SameFile(source, target);
    // Only what the answers below need is asked of the file system.
    const bool ignoresCase = !sameFile && !noReplaceRefused && FileSystemIgnoresCase(folder);
    if (!SameEntryRespelled(oldName, newName, sameFile, ignoresCase, noReplaceRefused, false)
        || FolderHoldsExactName(folder, newName))
        return Fail(error, EEXIST);
    const QByteArray temp = folder + "/.cv-rename-" + QUuid::createUuid().toByteArray(QUuid::WithoutBraces);
    if (!MoveNoReplace(from, temp, source))
        return Fail(error, errno);
    if (MoveNoReplace(temp, to, source))
        return true;
    const int why = errno;
    MoveNoReplace(temp, from, source);
    return Fail(error, why);
}

bool SameLettersIgnoringCase(const QByteArray &a, const QByteArray &b)
{
    if (IsUtf8(a) && IsUtf8(b))
        return QString::compare(PathFromNative(a), PathFromNative(b), Qt::CaseInsensitive) == 0;
    return a.compare(b, Qt::CaseInsensitive) == 0; // ASCII letters only
}

} // namespace

bool SameEntryRespelled(const QByteArray &oldName, const QByteArray &newName, bool sameFile, bool ignoresCase,
                        bool noReplaceRefused, bool exactNameListed)
{
    if (oldName == newName || exactNameListed || !SameLettersIgnoringCase(oldName, newName))
        return false;
    // One file under two spellings is the entry itself; different file numbers for the two
    // spellings (FUSE gives each spelling its own) only count where case is known to be ignored.
    return sameFile || ignoresCase || noReplaceRefused;
}

bool RenameNoReplace(const QByteArray &from, const QByteArray &to, std::error_code &error)
{
    error.clear();
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return true;
    const int why = errno;
    if (why == EEXIST || why == ENOTEMPTY || NoReplaceRefused(why))
        return RenameTakenName(from, to, NoReplaceRefused(why), error);
    return Fail(error, why);
}

bool RenameEntry(const QByteArray &oldPath, const QByteArray &newPath, std::error_code &error)
{
    error.clear();
    if (oldPath.isEmpty() || newPath.isEmpty() || oldPath.contains('\0') || newPath.contains('\0'))
        return Fail(error, EINVAL);
    const QByteArray newName = NativeFileName(newPath);
    if (newName.isEmpty() || newName == "." || newName == ".." || NativeFileName(oldPath).isEmpty())
        return Fail(error, EINVAL);
    if (oldPath == newPath) {
        struct stat source {};
        return ::lstat(oldPath.constData(), &source) == 0 || Fail(error, errno);
    }
    return RenameNoReplace(oldPath, newPath, error);
}

bool RenameEntry(const QString &oldPath, const QString &newPath, std::error_code &error)
{
    if (oldPath.contains(QChar(0)) || newPath.contains(QChar(0)))
        return Fail(error, EINVAL);
    return RenameEntry(NativePath(oldPath), NativePath(newPath), error);
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
    return AccessError(NativeFolderOf(name), W_OK | X_OK);
}

bool IsFolder(const QByteArray &path)
{
    struct stat info {};
    return !path.isEmpty() && ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
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
