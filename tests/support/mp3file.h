#pragma once

// The one way tests make MP3 files: stand-in audio, with the tags a test sets up written by
// the tag library itself.

#include "tags/ID3v1.h"
#include "tags/ID3v2.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include <filesystem>
#include <functional>

// Stand-in audio: frame syncs, 0xFF runs and the letters of both tag markers inside it, so
// a reader that looks for a tag in the wrong place shows it.
inline QByteArray Audio(int size = 3000)
{
    QByteArray a(size, '\0');
    quint32 x = 12345;
    for (int i = 0; i < size; ++i)
        a[i] = char((x = x * 1103515245 + 12345) >> 16);
    for (int i = 0; i + 12 < size; i += 997)
        a.replace(i, 12, "\xFF\xFB" "ID3\x03\0TAG\xFF\0", 12);
    return a;
}

// The tags of a test file: each version the test sets up is written, the others are not.
struct Mp3Tags {
    std::function<void(TID3v1 &)> v1;
    std::function<void(TID3v2 &)> v2;
};

// Writes an MP3 file of stand-in audio at `path` (its folders made as needed) with the given
// tags; gives the path, or "" when the file could not be made.
inline QString MakeMp3(const QString &path, const Mp3Tags &tags = {}, const QByteArray &audio = Audio())
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(audio) != audio.size())
        return {};
    file.close();
    const std::filesystem::path native(QFile::encodeName(path).toStdString());
    if (tags.v1) {
        TID3v1 v1;
        tags.v1(v1);
        if (!v1.WriteTag(native))
            return {};
    }
    if (tags.v2) {
        TID3v2 v2;
        tags.v2(v2);
        if (!v2.WriteTag(native))
            return {};
    }
    return path;
}
