#include "main/tid3.h"

#include "platform/paths.h"
#include "tags/ReadTags.h"

TID3::TID3(const QString &filePath) : FilePath(filePath)
{
    ReadTags(TagFilePath(filePath), V1, V2); // both versions through one open file
    V1InFile = V1.Present();
    V2InFile = V2.Present();
}
