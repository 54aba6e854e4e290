#pragma once

// The ID3v2 tag block as bytes, apart from any file: header sizes, frames, the seven
// values and the block that WriteTag puts in front of the audio.

#include "tags/TagFields.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cvtags {

constexpr std::size_t kHeaderSize = 10;
// The largest size a header can state.
constexpr std::size_t kMaxTagBody = 0x0FFFFFFF;

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
// With `valuesOnly`, only the frames that carry the seven values are kept, without `raw`.
ParsedTag ParseTag(std::string_view tag, bool valuesOnly = false);

TagValues ExtractValues(const ParsedTag &tag);
// ExtractValues(ParseTag(tag)) without building frames: only the frames that carry the
// seven values are decoded, and nothing else is copied.
TagValues ReadValues(std::string_view tag);
// The same into `values`, whose strings keep their room.
void ReadValues(std::string_view tag, TagValues &values);
// The same from the first bytes of a tag of `tagSize` bytes; false, with `values` left
// unspecified, when frames go on past them, so that the rest must be read.
bool ReadValuesFromStart(std::string_view start, std::size_t tagSize, TagValues &values);
std::uint8_t ParseTrack(std::string_view value);
std::string ParseGenre(std::string_view value);

// The frames of an old tag that a rewrite keeps, in their order.
std::vector<std::string> KeptFrames(const ParsedTag &tag);

// The new block: header, the non-empty of the seven frames, then `kept`. `major` is 3 or 4.
// nullopt when the block would be too large for its header.
std::optional<std::string> RenderTag(const TagValues &values, std::uint8_t major,
                                     const std::vector<std::string> &kept = {});

// The frames of the tag that replaces `old` (empty when there was none): a field whose
// value is what `old` holds keeps its frames byte for byte; an edited comment keeps the
// old comment's language; other frames follow unchanged. No header, no padding. The
// version is `old`'s when it is 3 or 4, else 3. nullopt when too large for a header.
std::optional<std::string> RenderBody(const TagValues &values, const ParsedTag &old);
std::uint8_t RenderedMajor(const ParsedTag &old);
// Header, `body`, then `padding` zero bytes.
std::string TagBlock(std::uint8_t major, std::string_view body, std::size_t padding = 0);

} // namespace cvtags
