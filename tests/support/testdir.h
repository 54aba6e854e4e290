#pragma once

#include <QByteArray>
#include <QByteArrayList>
#include <QString>
#include <QTemporaryDir>

// A temporary folder for file tests; removed with everything in it when destroyed, also
// entries whose names are not UTF-8.
class TestDir {
public:
    TestDir();
    ~TestDir();
    TestDir(const TestDir &) = delete;
    TestDir &operator=(const TestDir &) = delete;

    bool IsValid() const;
    QString Path() const;                                  // no trailing "/"
    QString FilePath(const QString &relative) const;
    // Creates a file (and its folders) with the given bytes; returns its full path.
    QString CreateFile(const QString &relative, const QByteArray &bytes = {});
    QString CreateDir(const QString &relative);
    bool Exists(const QString &relative) const;
    QByteArray Read(const QString &relative) const;

    // The same for names given as the file system's bytes: the folder's path ending in "/",
    // a file or folder made under a name of any bytes (its full path), and the names of the
    // entries of a sub-folder ("" for the folder itself), sorted.
    QByteArray Native() const;
    QByteArray CreateNativeFile(const QByteArray &relative, const QByteArray &bytes = {});
    QByteArray CreateNativeDir(const QByteArray &relative);
    QByteArrayList NativeNames(const QByteArray &relative = {}) const;

private:
    QTemporaryDir dir_;
};
