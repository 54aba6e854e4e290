#pragma once

// Byte builders and file helpers shared by the tag tests. Every MP3 file is made here.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QtTest>

#include "tests/support/immutable.h"
#include "tests/support/mp3file.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

// A literal with its embedded zero bytes: B("\0eng\0text").
template <std::size_t N> QByteArray B(const char (&s)[N]) { return QByteArray(s, N - 1); }
inline QByteArray Q(const std::string &s) { return QByteArray::fromStdString(s); }
inline std::string S(const QByteArray &b) { return b.toStdString(); }
inline std::filesystem::path P(const QString &s) { return s.toStdString(); }

inline QByteArray Size32(quint32 n, bool syncsafe)
{
    const int shift = syncsafe ? 7 : 8;
    QByteArray out;
    for (int i = 3; i >= 0; --i)
        out += char((n >> (shift * i)) & (syncsafe ? 0x7F : 0xFF));
    return out;
}

// A frame of the given major version; `format` is the second flag byte.
inline QByteArray Frame(const QByteArray &id, const QByteArray &data, int major = 3, char format = 0)
{
    const quint32 n = quint32(data.size());
    if (major == 2)
        return id + char(n >> 16) + char(n >> 8) + char(n) + data;
    return id + Size32(n, major == 4) + '\0' + format + data;
}
inline QByteArray Text(const QByteArray &id, const QByteArray &latin1, int major = 3)
{
    return Frame(id, '\0' + latin1, major);
}
inline QByteArray Tag(int major, const QByteArray &body, int flags = 0)
{
    return "ID3" + QByteArray(1, char(major)) + '\0' + char(flags) + Size32(quint32(body.size()), true) + body;
}

// A tag as a save that had to grow writes it: room for later edits after the frames.
inline QByteArray Padded(int major, const QByteArray &body)
{
    return Tag(major, body + QByteArray(1024 + body.size() / 10, '\0'));
}
// A tag saved in place of one with `oldBody`: the same size, the rest zero padding.
inline QByteArray InPlace(int major, const QByteArray &body, const QByteArray &oldBody)
{
    return Tag(major, body + QByteArray(oldBody.size() - body.size(), '\0'));
}

inline bool WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}
inline QByteArray ReadFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}
inline mode_t ModeOf(const QString &path)
{
    struct stat st {};
    return ::stat(path.toLocal8Bit().constData(), &st) == 0 ? st.st_mode & 07777 : 0;
}

// The hidden entries of a folder: a writer's temporary files would show here.
inline QStringList Leftovers(const QString &folder)
{
    return QDir(folder).entryList({".*"}, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

// The bad inputs both tag versions must refuse: "short.mp3" holds `shortBytes`,
// "folder.mp3" is a folder, "pipe.mp3" a named pipe; any other name stays missing.
inline bool MakeBadInput(const QTemporaryDir &dir, const QString &name, const QByteArray &shortBytes)
{
    const QString path = dir.filePath(name);
    if (name == "short.mp3")
        return WriteFile(path, shortBytes);
    if (name == "folder.mp3")
        return QDir(dir.path()).mkpath(name);
    if (name == "pipe.mp3")
        return ::mkfifo(path.toLocal8Bit(), 0644) == 0 || errno == EEXIST;
    return true;
}

