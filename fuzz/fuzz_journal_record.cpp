#include "tags/Journal.h"
#include "tags/SafeSave.h"

#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

// A journal record of any bytes: reading it (header, chunks) and parsing its entries as the
// recovery does never reads past what is there, whatever the lengths claim.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const std::string folder = [] {
        char pattern[] = "/tmp/cv-fuzz-journal-XXXXXX";
        if (!::mkdtemp(pattern))
            std::abort();
        return std::string(pattern);
    }();
    static auto journal = cvtags::Journal::Open(folder + "/CarventoUtilities");
    if (!journal)
        std::abort();
    const int fd = ::openat(journal->FolderFd(), "tagsave-slot-fuzz", O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0 || (size > 0 && ::write(fd, data, size) != static_cast<ssize_t>(size)))
        std::abort();
    ::close(fd);
    auto record = journal->Claim("tagsave-slot-fuzz");
    std::vector<std::string> chunks;
    if (record && record->Read(chunks))
        for (const std::string &chunk : chunks)
            cvtags::CountSaveEntries(chunk);
    // The record parser on the bytes themselves, as a chunk.
    cvtags::CountSaveEntries(std::string_view(reinterpret_cast<const char *>(data), size));
    return 0;
}
