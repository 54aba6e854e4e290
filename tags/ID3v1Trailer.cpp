#include "tags/ID3v1Trailer.h"

#include "tags/ID3v1.h"
#include "tags/TagText.h"

namespace cvtags {
namespace {

void Put(std::string &block, std::size_t offset, std::size_t capacity, std::string_view text)
{
    const std::string bytes = Utf8ToWindows1252(FirstCharacters(text, capacity));
    block.replace(offset, bytes.size(), bytes);
}


// The text fields of a trailer, each trimmed and given to `take` with its place.
template <class Take>
void TextFields(std::string_view bytes, TrailerFields &f, Take take)
{
    take(TrimmedRight(bytes.substr(3, 30)), f.title);
    take(TrimmedRight(bytes.substr(33, 30)), f.artist);
    take(TrimmedRight(bytes.substr(63, 30)), f.album);
    take(TrimmedRight(bytes.substr(93, 4)), f.year);
    take(TrimmedRight(bytes.substr(97, f.revision == 2 ? 28 : 30)), f.comment);
}

} // namespace

std::uint8_t DetectRevision(std::uint8_t at125, std::uint8_t at126)
{
    return (at125 == 0 && at126 != 0) || (at125 == ' ' && at126 != ' ') ? 2 : 1;
}

bool ParseTrailer(std::string_view bytes, TrailerFields &f)
{
    if (bytes.size() != kTrailerSize || bytes.substr(0, 3) != "TAG")
        return false;
    f.revision = DetectRevision(static_cast<std::uint8_t>(bytes[125]), static_cast<std::uint8_t>(bytes[126]));
    // Most trailers are ASCII throughout: their fields are copied as they are.
    if (IsAscii(bytes.substr(3, 124)))
        TextFields(bytes, f, [](std::string_view text, std::string &out) { out = text; });
    else
        TextFields(bytes, f, Windows1252ToUtf8Slow);
    f.track = f.revision == 2 ? static_cast<std::uint8_t>(bytes[126]) : 0;
    f.genreIndex = static_cast<std::uint8_t>(bytes[127]);
    return true;
}

std::optional<TrailerFields> ParseTrailer(std::string_view bytes)
{
    TrailerFields f;
    if (!ParseTrailer(bytes, f))
        return std::nullopt;
    return f;
}

std::string RenderTrailer(const TID3v1 &tag)
{
    std::string block(kTrailerSize, '\0');
    block.replace(0, 3, "TAG");
    Put(block, 3, 30, tag.Title());
    Put(block, 33, 30, tag.Artist());
    Put(block, 63, 30, tag.Album());
    Put(block, 93, 4, tag.Year());
    Put(block, 97, 30, tag.Comment());
    if (tag.Track() != 0) {
        block[125] = '\0';
        block[126] = static_cast<char>(tag.Track());
    }
    block[127] = static_cast<char>(tag.GenreIndex());
    return block;
}

} // namespace cvtags
