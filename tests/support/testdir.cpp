#include "tests/support/testdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TestDir::TestDir() = default;

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
