#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A temporary folder for file tests; removed with everything in it when destroyed.
class TestDir {
public:
    TestDir();
    bool IsValid() const;
    QString Path() const;                                  // no trailing "/"
    QString FilePath(const QString &relative) const;
    // Creates a file (and its folders) with the given bytes; returns its full path.
    QString CreateFile(const QString &relative, const QByteArray &bytes = {});
    QString CreateDir(const QString &relative);
    bool Exists(const QString &relative) const;
    QByteArray Read(const QString &relative) const;

private:
    QTemporaryDir dir_;
};
