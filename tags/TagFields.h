#pragma once

// The values each tag version holds, as plain data: the tag classes keep theirs in these, so
// that a read fills them in place, and the byte layouts take and give them. Texts are UTF-8.

#include <cstdint>
#include <string>

namespace cvtags {

// The seven values of an ID3v2 tag.
struct TagValues {
    std::string title, artist, album, year, genre, comment;
    std::uint8_t track = 0;
};

// The fields of an ID3v1 trailer.
struct TrailerFields {
    std::uint8_t revision = 1;
    std::string title, artist, album, year, comment;
    std::uint8_t track = 0;
    std::uint8_t genreIndex = 255;
};

} // namespace cvtags
