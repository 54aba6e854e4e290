#include "fuzzfile.h"

#include "tags/ID3v2.h"
#include "tags/ID3v2Block.h"
#include "tags/TagText.h"

// Reads the tag as the program does (from the file, its first kilobyte at hand) and from
// memory: both give the same values. Then renders the tag a save would write in its place:
// it walks to its end and reads back with the same values.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TID3v2 tag;
    if (!tag.ReadTag(InputFile(data, size)) || tag.TagSize() == 0)
        return 0;
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const cvtags::TagSource memory(bytes);
    const auto tagSize = static_cast<std::uint64_t>(tag.TagSize());
    cvtags::TagValues values;
    cvtags::ReadValues(memory, tagSize, values);
    if (values.title != tag.Title() || values.artist != tag.Artist() || values.album != tag.Album()
        || values.year != tag.Year() || values.genre != tag.Genre() || values.comment != tag.Comment()
        || values.track != tag.Track())
        std::abort();
    const cvtags::TagLayout old = cvtags::WalkTag(memory, tagSize);
    values.title += "x";                    // one field edited, as a save does
    cvtags::RenderedTag rendered;
    std::string block;
    if (!cvtags::RenderTag(values, memory, old, rendered))
        return 0;
    if (!cvtags::Materialise(rendered, old.FramesSource(memory), 16, block))
        std::abort();
    const cvtags::TagSource written(block);
    cvtags::TagValues again;
    if (!cvtags::ReadValues(written, block.size(), again))
        std::abort();
    // Only the title was edited: its new frame reads back as it was set; every other frame is
    // kept byte for byte, so its value comes back exactly. Values are UTF-8 and round-trip in
    // every encoding.
    if (again.title != cvtags::TrimBoth(values.title) || again.artist != values.artist || again.album != values.album
        || again.year != values.year || again.comment != values.comment || again.track != values.track
        || again.genre != values.genre)
        std::abort();
    return 0;
}
