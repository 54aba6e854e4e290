#include "tags/ReadTags.h"

#include "tags/FileOps.h"
#include "tags/SafeSave.h"

#include <fcntl.h>

bool ReadTags(const std::filesystem::path &fileName, TID3v1 &v1, TID3v2 &v2)
{
    v1.ClearFields();
    v2.ClearFields();
    cvtags::Recover(fileName);
    cvtags::FileDescriptor fd;
    struct stat st {};
    if (!cvtags::OpenRegular(fileName, O_RDONLY, fd, st))
        return false;
    const bool second = v2.ReadFrom(fd.Get(), st.st_size);
    return v1.ReadFrom(fd.Get(), st.st_size) && second;
}
