#pragma once

#include "tags/ID3v1.h"
#include "tags/ID3v2.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <vector>

// The tag editor's record of one listed file: both of its tags as read, and as changed since
// by the editor.
class TID3 {
public:
    // Reads both tags of the file; a version it lacks, or cannot read, keeps its empty values.
    // The path is given as text (its UTF-8 bytes) or as the file system's bytes.
    explicit TID3(const QString &filePath);
    explicit TID3(const QByteArray &nativePath);
    virtual ~TID3() = default;

    TID3v1 V1;
    TID3v2 V2;
    QString FilePath;            // the path as shown
    QByteArray NativeFilePath;   // the path as the file system names it: what reads and writes use
    // Whether the file holds a tag of each version as far as the editor knows: found when the
    // list was built or written since, and not removed since. (`Present` tells only the first.)
    bool V1InFile = false;
    bool V2InFile = false;
};

// The tag editor's records, in the order of the file list.
using TagRecords = std::vector<std::unique_ptr<TID3>>;
