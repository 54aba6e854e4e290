#include "main/tid3.h"

#include "platform/paths.h"
#include "tags/ReadTags.h"

TID3::TID3(const QString &filePath) : TID3(NativePath(filePath)) {}

TID3::TID3(const QByteArray &nativePath) : FilePath(PathFromNative(nativePath)), NativeFilePath(nativePath)
{
    ReadTags(TagFilePath(nativePath), V1, V2); // both versions through one open file
    V1InFile = V1.Present();
    V2InFile = V2.Present();
}
