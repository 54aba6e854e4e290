#pragma once

// Text helpers shared by both tag versions. Texts are Windows-1252 bytes held in std::string.

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace cvtags {

// Removes trailing characters of codes 0 to 32.
std::string TrimRight(std::string_view text);
// Removes leading and trailing characters of codes 0 to 32.
std::string TrimBoth(std::string_view text);
void TrimInPlace(std::string &text);

// The same as views, here so that reading a tag's fields calls nothing.
inline std::string_view TrimmedRight(std::string_view text)
{
    std::size_t end = text.size();
    // Fixed-width fields end in runs of zero bytes: eight at a time.
    std::uint64_t word = 0;
    while (end >= sizeof word && (std::memcpy(&word, text.data() + end - sizeof word, sizeof word), word == 0))
        end -= sizeof word;
    while (end > 0 && static_cast<unsigned char>(text[end - 1]) <= 32)
        --end;
    return text.substr(0, end);
}

inline std::string_view Trimmed(std::string_view text)
{
    std::size_t begin = 0;
    while (begin < text.size() && static_cast<unsigned char>(text[begin]) <= 32)
        ++begin;
    return TrimmedRight(text.substr(begin));
}

// The Windows-1252 byte of a Unicode character, '?' when it has none.
char ToWindows1252(char32_t character);
char32_t FromWindows1252(unsigned char byte);

// An ID3v2 text in the given encoding byte (0 Latin-1, 1 UTF-16 with byte-order mark,
// 2 UTF-16 big-endian, 3 UTF-8) as Windows-1252 bytes. Unknown encodings keep the bytes.
std::string DecodeText(std::uint8_t encoding, std::string_view bytes);
// The same into `out`, whose room is used again: reading many files allocates little.
void DecodeText(std::uint8_t encoding, std::string_view bytes, std::string &out);
// Splits an encoded text at its first terminator (one zero byte, or two aligned ones in
// the UTF-16 encodings): what comes before it and what comes after it.
void SplitAtTerminator(std::uint8_t encoding, std::string_view bytes,
                       std::string_view &before, std::string_view &after);
// The text as UTF-16 little-endian, byte-order mark first.
std::string EncodeUtf16(std::string_view text);
// True when the text holds a byte from 0x80 to 0x9F, which Latin-1 lacks.
bool NeedsUnicode(std::string_view text);

// Undoes unsynchronisation: every 0xFF 0x00 becomes 0xFF.
std::string Resynchronise(std::string_view bytes);

} // namespace cvtags
