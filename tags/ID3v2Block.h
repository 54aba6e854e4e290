#pragma once

// The ID3v2 tag as bytes: one walk over the frames of a tag, wherever its bytes are (a file
// read on demand, or memory), the seven values its frames carry, and one renderer of the tag
// that replaces it. Reads, saves, tests and the fuzzer all go through these.

#include "tags/TagFields.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace cvtags {

constexpr std::size_t kHeaderSize = 10;
// The largest size a header can state.
constexpr std::size_t kMaxTagBody = 0x0FFFFFFF;
// A frame that carries one of the seven values is decoded up to this size (it is what the
// user edits); a larger one is kept as it is.
constexpr std::size_t kMaxValueFrame = 16u << 20;
// A tag unsynchronised as a whole is undone in memory, up to this size.
constexpr std::size_t kMaxInMemoryTag = 8u << 20;
// More frames than this are not walked.
constexpr std::size_t kMaxFrames = 1u << 16;

// Four 7-bit groups, most significant first.
std::string EncodeSyncsafe(std::uint32_t value);
// Each byte taken at its full value, as sizes are read.
std::uint32_t DecodeSize28(std::string_view fourBytes);
// Size of the whole tag a header states (header and a version 4 footer included);
// 0 when that runs past the end of the file.
std::int64_t TagSizeFromHeader(std::string_view header, std::int64_t fileSize);

// Bytes of a tag: an open file read on demand, whose first bytes may be at hand already,
// or memory. Reads past the end give fewer bytes.
class TagSource {
public:
    TagSource(int fd, std::string_view head) : fd_(fd), head_(head) {}
    explicit TagSource(std::string_view memory) : head_(memory) {}
    // Up to `size` bytes at `offset`; false on a read error.
    bool Read(std::uint64_t offset, std::size_t size, std::string &out) const;
    // The same as a view into `scratch` or into bytes at hand.
    bool View(std::uint64_t offset, std::size_t size, std::string &scratch, std::string_view &out) const
    {
        if (offset + size <= head_.size()) {      // the usual case: no read at all
            out = head_.substr(static_cast<std::size_t>(offset), size);
            return true;
        }
        return ViewBeyond(offset, size, scratch, out);
    }
    int Fd() const { return fd_; }
    // Whether [offset, offset + size) is among the bytes at hand, and those bytes.
    bool Holds(std::uint64_t offset, std::uint64_t size) const { return offset + size <= head_.size(); }
    std::string_view Held(std::uint64_t offset, std::uint64_t size) const
    {
        return std::string_view(head_.data() + offset, static_cast<std::size_t>(size));
    }
    // Whether `view` lies in the bytes at hand, which live as long as the source's owner.
    bool Stable(std::string_view view) const
    {
        return view.data() >= head_.data() && view.data() + view.size() <= head_.data() + head_.size();
    }

private:
    bool ViewBeyond(std::uint64_t offset, std::size_t size, std::string &scratch, std::string_view &out) const;
    int fd_ = -1;
    std::string_view head_;
    // Read ahead, so that walking frame headers past the first bytes is cheap; shared by copies.
    mutable std::shared_ptr<std::string> window_;
    mutable std::uint64_t windowAt_ = 0;
};

struct FrameRef {
    char id[5] = {};                      // three or four letters
    std::uint64_t offset = 0;             // of the frame's header, in the frames' source
    std::uint32_t headerSize = 0, size = 0;
    std::uint8_t status = 0, format = 0;  // the flag bytes (none in version 2)
};

// What a walk found. A tag unsynchronised as a whole (versions 2 and 3) is undone into
// `resynced`, and its frames point there; otherwise they point into the file.
struct TagLayout {
    std::uint8_t major = 0, flags = 0;
    std::uint64_t size = 0;               // the whole tag, its header and footer included
    bool plainSizes = false;              // version 4 frame sizes written as plain numbers
    bool complete = false;                // every frame walked, up to the end or the padding
    std::vector<FrameRef> frames;
    std::string resynced;
    // The bytes the frames point into.
    TagSource FramesSource(const TagSource &file) const;
};

// Walks the frames of the tag at the start of `file` that is `tagSize` bytes long. Version 4
// sizes are read as syncsafe numbers unless only plain numbers walk the frames to their end.
TagLayout WalkTag(const TagSource &file, std::uint64_t tagSize);
// The seven values, by the rules of the tag editor: the last frame of a field decides; among
// comments one without a description wins, the last among equals.
void CollectValues(const TagSource &file, const TagLayout &layout, TagValues &values);
// WalkTag and CollectValues at once for a reader: no list of frames is kept. False when the
// tag's frames could not be read to their end.
bool ReadValues(const TagSource &file, std::uint64_t tagSize, TagValues &values);
std::uint8_t ParseTrack(std::string_view value);

// The tag that replaces an old one: its body as pieces, each either bytes of its own or a
// range of the old tag's frames' source.
struct RenderedTag {
    struct Piece {
        std::string bytes;
        std::uint64_t offset = 0, size = 0;   // used when `bytes` is empty
    };
    std::uint8_t major = 3;
    std::uint64_t bodySize = 0;
    std::vector<Piece> pieces;
};

// The body of the tag that replaces `old` (an empty layout when the file has none): a field
// whose value is what `old` holds keeps its frames byte for byte, an edited one gets one new
// frame in place of its first old frame (an edited comment keeps the old one's language);
// every other frame follows unchanged, in its place. Version 4 stays version 4; a version 2
// tag becomes version 3, each frame converted. False, with the reason in LastError(), for a
// tag whose frames were not walked to their end (UnreadableTag), a frame that version 3 has
// no counterpart for (UnconvertibleFrame), or a body too large for a header (TooLarge).
bool RenderTag(const TagValues &values, const TagSource &file, const TagLayout &old, RenderedTag &out);
// The tag's header for a body of `bodySize` bytes followed by `padding` zero bytes.
std::string TagHeader(std::uint8_t major, std::uint64_t bodySize, std::uint64_t padding);
// Header, body and padding in memory; false on a read error.
bool Materialise(const RenderedTag &tag, const TagSource &frames, std::uint64_t padding, std::string &out);

// The encoding byte of a new text frame holding UTF-8 `text` in a tag of version `major`: 0
// when Latin-1 holds every character, 1 (UTF-16 with byte-order mark) when Windows-1252 does,
// else 1 in version 3 and 3 (UTF-8) in version 4.
std::uint8_t TextEncodingFor(std::string_view text, std::uint8_t major);

} // namespace cvtags
