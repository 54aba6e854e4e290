#include "fuzzfile.h"

#include "tags/ID3v2.h"
#include "tags/ID3v2Block.h"
#include "tags/TagText.h"

// Reads the tag (only the frames of the seven values), checks its values against a full
// parse, then checks that the block a rewrite would make reads back with the same values and
// carries the same other frames.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TID3v2 tag;
    if (!tag.ReadTag(InputFile(data, size)) || tag.TagSize() == 0)
        return 0;
    const std::string_view bytes(reinterpret_cast<const char *>(data), static_cast<std::size_t>(tag.TagSize()));
    const cvtags::ParsedTag old = cvtags::ParseTag(bytes);
    const cvtags::TagValues values = cvtags::ExtractValues(old);
    if (values.title != tag.Title() || values.artist != tag.Artist() || values.album != tag.Album()
        || values.year != tag.Year() || values.genre != tag.Genre() || values.comment != tag.Comment()
        || values.track != tag.Track())
        std::abort();
    const auto kept = cvtags::KeptFrames(old);
    const auto block = cvtags::RenderTag(values, old.major == 4 ? 4 : 3, kept);
    if (!block)
        return 0;
    const cvtags::ParsedTag parsed = cvtags::ParseTag(*block);
    const cvtags::TagValues again = cvtags::ExtractValues(parsed);
    // A genre may begin with a blank that the next read trims; a version 4 year is read as
    // the first four characters of its frame. An empty comment writes no frame, so a kept
    // comment with a description may be the one read next time.
    const std::string year = old.major == 4 ? cvtags::TrimBoth(values.year.substr(0, 4)) : values.year;
    if (again.title != values.title || again.artist != values.artist || again.album != values.album
        || again.year != year || (again.comment != values.comment && !values.comment.empty())
        || again.track != values.track
        || again.genre != cvtags::TrimBoth(values.genre) || cvtags::KeptFrames(parsed) != kept)
        std::abort();
    return 0;
}
