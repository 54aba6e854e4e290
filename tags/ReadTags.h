#pragma once

#include "tags/ID3v1.h"
#include "tags/ID3v2.h"

#include <filesystem>

// Reads both tags of a file through one open file: each object ends as its own ReadTag
// would leave it. True when both reads succeeded.
bool ReadTags(const std::filesystem::path &fileName, TID3v1 &v1, TID3v2 &v2);
