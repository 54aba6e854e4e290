#pragma once

#include "tags/ID3v1.h"
#include "tags/ID3v2.h"

#include <QString>

#include <memory>
#include <vector>

// The tag editor's record of one listed file: both of its tags as read, and as changed since
// by the editor.
class TID3 {
public:
    // Reads both tags of the file; a version it lacks, or cannot read, keeps its empty values.
    explicit TID3(const QString &filePath);
    virtual ~TID3() = default;

    TID3v1 V1;
    TID3v2 V2;
    QString FilePath;
    // Whether the file holds a tag of each version as far as the editor knows: found when the
    // list was built or written since, and not removed since. (`Present` tells only the first.)
    bool V1InFile = false;
    bool V2InFile = false;
};

// The tag editor's records, in the order of the file list.
using TagRecords = std::vector<std::unique_ptr<TID3>>;
