#include "tags/ReadTags.h"

#include "tags/SafeSave.h"

bool ReadTags(const std::filesystem::path &fileName, TID3v1 &v1, TID3v2 &v2)
{
    v1.ClearFields();
    v2.ClearFields();
    return cvtags::ReadFinished(fileName, [&](int fd, std::int64_t size, bool *marked) {
        const bool second = v2.ReadFrom(fd, size, marked);
        return !(marked && *marked) && v1.ReadFrom(fd, size) && second;
    });
}
