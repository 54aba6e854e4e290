#pragma once

// The ID3v2 tag block as bytes, apart from any file: header sizes, frames, the seven
// values and the block that WriteTag puts in front of the audio.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cvtags {

constexpr std::size_t kHeaderSize = 10;

// Four 7-bit groups, most significant first.
std::string EncodeSyncsafe(std::uint32_t value);
// Each byte taken at its full value, as sizes are read.
std::uint32_t DecodeSize28(std::string_view fourBytes);

// Size of the whole tag a header states (header and a version 4 footer included);
// 0 when that runs past the end of the file.
std::int64_t TagSizeFromHeader(std::string_view header, std::int64_t fileSize);

struct Frame {
    std::string id;
    std::string data;        // the payload, unsynchronisation and frame extras undone
    std::string raw;         // the frame as a new tag of the same version carries it
    bool readable = true;    // false for compressed or encrypted frames
};

struct ParsedTag {
    std::uint8_t major = 0;
    std::vector<Frame> frames;
};

// The frames of a whole tag (`tag` starts with its header), read up to padding, garbage
// or a frame that runs past the tag.
ParsedTag ParseTag(std::string_view tag);

struct TagValues {
    std::string title, artist, album, year, genre, comment;
    std::uint8_t track = 0;
};

TagValues ExtractValues(const ParsedTag &tag);
std::uint8_t ParseTrack(std::string_view value);
std::string ParseGenre(std::string_view value);

// The frames of an old tag that a rewrite keeps, in their order.
std::vector<std::string> KeptFrames(const ParsedTag &tag);

// The new block: header, the non-empty of the seven frames, then `kept`. `major` is 3 or 4.
// nullopt when the block would be too large for its header.
std::optional<std::string> RenderTag(const TagValues &values, std::uint8_t major,
                                     const std::vector<std::string> &kept = {});

} // namespace cvtags
