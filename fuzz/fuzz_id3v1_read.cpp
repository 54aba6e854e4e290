#include "fuzzfile.h"

#include "tags/ID3v1.h"
#include "tags/ID3v1Trailer.h"

// Reads the trailer, then checks that writing what was read gives the same fields back.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    TID3v1 tag;
    if (!tag.ReadTag(InputFile(data, size)) || !tag.Present())
        return 0;
    const auto again = cvtags::ParseTrailer(cvtags::RenderTrailer(tag));
    if (!again || again->title != tag.Title() || again->artist != tag.Artist() || again->album != tag.Album()
        || again->year != tag.Year() || again->comment != tag.Comment() || again->track != tag.Track()
        || again->genreIndex != tag.GenreIndex())
        std::abort();
    return 0;
}
