#pragma once

// Writing prepared changes in place through the journal: the records of a batch made durable
// together, the bytes written through the descriptors that were checked, each file system
// synced once, the record cleared; and the change within one sector that needs no record.
// For the save units of the tag library only; others use SafeSave.h and SaveGroup.h.

#include "tags/FileOps.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <utility>
#include <vector>

namespace cvtags {

struct PendingPatch {
    std::filesystem::path given, path;
    FileDescriptor owned;                 // in a group the change holds the file open
    int fd = -1;
    struct stat st {};
    std::uint64_t offset = 0, newSize = 0;
    std::string oldBytes, newBytes;
    std::string entry;                    // as the record holds it
};

// Writes the prepared changes through the journal: one record, the bytes, one sync of each
// file system (or of the one file), the record cleared. `failed` gets the files that failed.
bool CommitPatches(std::vector<std::unique_ptr<PendingPatch>> &batch, bool single,
                   std::vector<std::pair<std::filesystem::path, std::error_code>> &failed);

// A write within one 512-byte sector reaches the disk whole or not at all (the unit a disk
// writes atomically, which file systems and databases rely on too), and a kill cannot cut a
// write this small: such a change needs no record, only its own sync.
inline constexpr std::uint64_t kSector = 512;
bool WriteAtomic(PendingPatch &patch);

} // namespace cvtags
