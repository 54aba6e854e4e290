#pragma once

// The 128-byte ID3v1 trailer as bytes, apart from any file.

#include "tags/TagFields.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class TID3v1;

namespace cvtags {

constexpr std::size_t kTrailerSize = 128;

// 1 (ID3v1.0) or 2 (ID3v1.1) from the bytes at offsets 125 and 126.
std::uint8_t DetectRevision(std::uint8_t at125, std::uint8_t at126);
// The fields of a trailer; nullopt when the bytes are not 128 or do not begin with "TAG".
std::optional<TrailerFields> ParseTrailer(std::string_view bytes);
// The same into `fields`, whose strings keep their room; false, with `fields` unchanged,
// where the other gives nullopt.
bool ParseTrailer(std::string_view bytes, TrailerFields &fields);
// The 128 bytes that WriteTag puts at the end of the file.
std::string RenderTrailer(const TID3v1 &tag);

} // namespace cvtags
