#include "tags/ReadTags.h"

#include "tags/SafeSave.h"

bool ReadTags(const std::filesystem::path &fileName, TID3v1 &v1, TID3v2 &v2)
{
    v1.ClearFields();
    v2.ClearFields();
    cvtags::TagFile file;
    if (!file.OpenRead(fileName))
        return false;
    const bool second = v2.ReadFrom(file);
    return v1.ReadFrom(file) && second;
}
