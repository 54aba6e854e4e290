#include "tests/support/testdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

TestDir::TestDir() = default;

TestDir::~TestDir()
{
    // QTemporaryDir cannot name entries whose names are not UTF-8: remove everything first.
    if (!dir_.isValid())
        return;
    const QByteArray root = QFile::encodeName(dir_.path());
    ::nftw(root.constData(),
           [](const char *path, const struct stat *, int, FTW *) {
               ::remove(path);
               return 0;
           },
           16, FTW_DEPTH | FTW_PHYS);
}

bool TestDir::IsValid() const { return dir_.isValid(); }

QString TestDir::Path() const { return dir_.path(); }

QString TestDir::FilePath(const QString &relative) const { return dir_.filePath(relative); }

QString TestDir::CreateFile(const QString &relative, const QByteArray &bytes)
{
    const QString path = FilePath(relative);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return {};
    file.write(bytes);
    return path;
}

QString TestDir::CreateDir(const QString &relative)
{
    const QString path = FilePath(relative);
    QDir().mkpath(path);
    return path;
}

bool TestDir::Exists(const QString &relative) const { return QFileInfo::exists(FilePath(relative)); }

QByteArray TestDir::Read(const QString &relative) const
{
    QFile file(FilePath(relative));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray TestDir::Native() const { return QFile::encodeName(dir_.path()) + '/'; }

QByteArray TestDir::CreateNativeFile(const QByteArray &relative, const QByteArray &bytes)
{
    const QByteArray path = Native() + relative;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return {};
    const bool written = ::write(fd, bytes.constData(), std::size_t(bytes.size())) == bytes.size();
    ::close(fd);
    return written ? path : QByteArray();
}

QByteArray TestDir::CreateNativeDir(const QByteArray &relative)
{
    const QByteArray path = Native() + relative;
    return ::mkdir(path.constData(), 0755) == 0 ? path : QByteArray();
}

QByteArrayList TestDir::NativeNames(const QByteArray &relative) const
{
    QByteArrayList names;
    DIR *dir = ::opendir((Native() + relative).constData());
    if (!dir)
        return names;
    while (const dirent *item = ::readdir(dir))
        if (qstrcmp(item->d_name, ".") != 0 && qstrcmp(item->d_name, "..") != 0)
            names.append(QByteArray(item->d_name));
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}
