#pragma once

// Text helpers shared by both tag versions. Texts are UTF-8 held in std::string.

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

// The same as views, here so that reading a tag's fields calls nothing. Codes 0 to 32 are
// single bytes in UTF-8 and no other character holds such a byte.
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

// The character of UTF-8 `text` at `at`, which moves past it; a byte that begins no valid
// sequence gives U+FFFD and moves one byte.
char32_t NextCharacter(std::string_view text, std::size_t &at);
void AppendUtf8(char32_t character, std::string &out);

// Whether every byte is below 0x80: text that reads the same in every encoding but UTF-16.
inline bool IsAscii(std::string_view bytes)
{
    // Eight bytes at a time, the last eight read again where the size is no multiple of eight.
    const char *p = bytes.data();
    const std::size_t n = bytes.size();
    std::uint64_t all = 0;
    if (n >= 8) {
        std::uint64_t word;
        for (std::size_t i = 0; i + 8 <= n; i += 8) {
            std::memcpy(&word, p + i, 8);
            all |= word;
        }
        std::memcpy(&word, p + n - 8, 8);
        all |= word;
    } else if (n >= 4) {
        std::uint32_t head, tail;
        std::memcpy(&head, p, 4);
        std::memcpy(&tail, p + n - 4, 4);
        all = head | tail;
    } else {
        for (std::size_t i = 0; i < n; ++i)
            all |= static_cast<unsigned char>(p[i]);
    }
    return (all & 0x8080808080808080ULL) == 0;
}

// Windows-1252 bytes as UTF-8 (every byte has a character, so this round-trips), and back
// ('?' for a character without a byte). Most texts are ASCII: those are copied here.
void Windows1252ToUtf8Slow(std::string_view bytes, std::string &out);
inline void Windows1252ToUtf8(std::string_view bytes, std::string &out)
{
    if (IsAscii(bytes))
        out.assign(bytes);
    else
        Windows1252ToUtf8Slow(bytes, out);
}
std::string Windows1252ToUtf8(std::string_view bytes);
std::string Utf8ToWindows1252(std::string_view text);
// At most `count` characters of `text` as Windows-1252 holds them, in UTF-8: a character
// without a byte there becomes '?'.
std::string AsWindows1252Holds(std::string_view text, std::size_t count);
// The first `count` characters of UTF-8 `text`.
std::string_view FirstCharacters(std::string_view text, std::size_t count);

// The smallest character set that holds every character of UTF-8 `text`: Latin-1 as far as
// it agrees with Windows-1252 (codes 0 to 0x7F and 0xA0 to 0xFF, the ID3v2 encoding 0 and
// Windows-1252 giving them the same bytes), Windows-1252, or neither.
enum class CharacterSet { Latin1, Windows1252, Unicode };
CharacterSet CharacterSetOf(std::string_view text);

// An ID3v2 text in the given encoding byte (0 Latin-1, read as Windows-1252 as other
// programs write it; 1 UTF-16 with byte-order mark; 2 UTF-16 big-endian; 3 UTF-8) as UTF-8.
// Unknown encodings are taken as 0. Bytes that are no character give U+FFFD.
std::string DecodeText(std::uint8_t encoding, std::string_view bytes);
// The same into `out`, whose room is used again: reading many files allocates little.
void DecodeText(std::uint8_t encoding, std::string_view bytes, std::string &out);
// Splits an encoded text at its first terminator (one zero byte, or two aligned ones in
// the UTF-16 encodings): what comes before it and what comes after it.
void SplitAtTerminator(std::uint8_t encoding, std::string_view bytes,
                       std::string_view &before, std::string_view &after);
// UTF-8 `text` in an ID3v2 encoding: 0 as Latin-1 bytes (CharacterSet::Latin1 texts), 1 as
// UTF-16 little-endian with its byte-order mark first, 3 as UTF-8.
std::string EncodeText(std::uint8_t encoding, std::string_view text);

// Undoes unsynchronisation: every 0xFF 0x00 becomes 0xFF.
std::string Resynchronise(std::string_view bytes);

} // namespace cvtags
