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

void Field(std::string_view bytes, std::string &out) { Windows1252ToUtf8(TrimmedRight(bytes), out); }

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
    Field(bytes.substr(3, 30), f.title);
    Field(bytes.substr(33, 30), f.artist);
    Field(bytes.substr(63, 30), f.album);
    Field(bytes.substr(93, 4), f.year);
    Field(bytes.substr(97, f.revision == 2 ? 28 : 30), f.comment);
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
