#include "tags/TagText.h"

#include <array>
#include <cstring>

namespace cvtags {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Windows-1252 bytes 0x80 to 0x9F; the five unassigned bytes map to the control
// characters of the same number so that they survive a round trip.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

// Where the first byte from 0x80 up is; the size when there is none. Most tags hold
// plain ASCII, which this tells eight bytes at a time.
std::size_t FirstHighByte(std::string_view bytes)
{
    std::size_t i = 0;
    for (std::uint64_t word = 0; i + sizeof word <= bytes.size(); i += sizeof word) {
        std::memcpy(&word, bytes.data() + i, sizeof word);
        if (word & 0x8080808080808080ULL)
            break;
    }
    while (i < bytes.size() && static_cast<unsigned char>(bytes[i]) < 0x80)
        ++i;
    return i;
}

void DecodeUtf8(std::string_view bytes, std::string &out)
{
    const std::size_t plain = FirstHighByte(bytes);
    out.assign(bytes.substr(0, plain));
    for (std::size_t i = plain; i < bytes.size();) {
        const std::size_t start = i;
        const char32_t character = NextCharacter(bytes, i);
        if (character == kReplacement && i - start == 1)
            AppendUtf8(character, out);
        else
            out.append(bytes.substr(start, i - start));     // valid as it stands
    }
}

void DecodeUtf16(std::string_view bytes, bool bigEndian, std::string &out)
{
    out.clear();
    out.reserve(bytes.size() / 2);
    const auto unitAt = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char16_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
    };
    // The byte-order mark leads the text; further on, U+FEFF is a character of the text.
    std::size_t i = 0;
    if (bytes.size() >= 2 && (unitAt(0) == 0xFEFF || unitAt(0) == 0xFFFE)) {
        bigEndian = unitAt(0) == 0xFEFF ? bigEndian : !bigEndian;
        i = 2;
    }
    for (; i + 1 < bytes.size(); i += 2) {
        const char16_t unit = unitAt(i);
        char32_t character = unit;
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
            const char16_t low = unitAt(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                character = 0x10000 + ((char32_t(unit) - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (character >= 0xD800 && character <= 0xDFFF)
            character = kReplacement;          // a half of a pair without the other
        AppendUtf8(character, out);
    }
}

void AppendUtf16(char16_t unit, std::string &out)
{
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
}

} // namespace

std::string TrimRight(std::string_view text) { return std::string(TrimmedRight(text)); }
std::string TrimBoth(std::string_view text) { return std::string(Trimmed(text)); }

void TrimInPlace(std::string &text)
{
    const std::string_view kept = Trimmed(text);
    const auto begin = static_cast<std::size_t>(kept.data() - text.data());
    text.erase(begin + kept.size());
    text.erase(0, begin);
}

char ToWindows1252(char32_t character)
{
    if (character < 0x80 || (character >= 0xA0 && character <= 0xFF))
        return static_cast<char>(character);
    for (std::size_t i = 0; i < kHighControls.size(); ++i)
        if (kHighControls[i] == character)
            return static_cast<char>(0x80 + i);
    return '?';
}

char32_t FromWindows1252(unsigned char byte)
{
    return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : byte;
}

char32_t NextCharacter(std::string_view text, std::size_t &at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80) {
        ++at;
        return lead;
    }
    int extra = 0;
    char32_t character = 0;
    if (lead >= 0xC2 && lead <= 0xDF) { extra = 1; character = lead & 0x1F; }
    else if (lead >= 0xE0 && lead <= 0xEF) { extra = 2; character = lead & 0x0F; }
    else if (lead >= 0xF0 && lead <= 0xF4) { extra = 3; character = lead & 0x07; }
    else { ++at; return kReplacement; }
    if (text.size() - at <= static_cast<std::size_t>(extra)) {
        ++at;
        return kReplacement;
    }
    for (int k = 1; k <= extra; ++k) {
        const auto b = static_cast<unsigned char>(text[at + static_cast<std::size_t>(k)]);
        if ((b & 0xC0) != 0x80) {
            ++at;
            return kReplacement;
        }
        character = (character << 6) | (b & 0x3F);
    }
    const bool overlong = (extra == 2 && character < 0x800) || (extra == 3 && character < 0x10000);
    if (overlong || character > 0x10FFFF || (character >= 0xD800 && character <= 0xDFFF)) {
        ++at;
        return kReplacement;
    }
    at += static_cast<std::size_t>(extra) + 1;
    return character;
}

void AppendUtf8(char32_t c, std::string &out)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void Windows1252ToUtf8Slow(std::string_view bytes, std::string &out)
{
    const std::size_t plain = FirstHighByte(bytes);
    out.assign(bytes.substr(0, plain));
    for (std::size_t i = plain; i < bytes.size(); ++i)
        AppendUtf8(FromWindows1252(static_cast<unsigned char>(bytes[i])), out);
}

std::string Windows1252ToUtf8(std::string_view bytes)
{
    std::string out;
    Windows1252ToUtf8(bytes, out);
    return out;
}

std::string Utf8ToWindows1252(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();)
        out += ToWindows1252(NextCharacter(text, i));
    return out;
}

std::string AsWindows1252Holds(std::string_view text, std::size_t count)
{
    if (IsAscii(text))
        return std::string(text.substr(0, count));
    std::string out;
    for (std::size_t i = 0, n = 0; i < text.size() && n < count; ++n)
        AppendUtf8(FromWindows1252(static_cast<unsigned char>(ToWindows1252(NextCharacter(text, i)))), out);
    return out;
}

std::string_view FirstCharacters(std::string_view text, std::size_t count)
{
    std::size_t i = 0;
    for (std::size_t n = 0; i < text.size() && n < count; ++n)
        NextCharacter(text, i);
    return text.substr(0, i);
}

CharacterSet CharacterSetOf(std::string_view text)
{
    CharacterSet set = CharacterSet::Latin1;
    for (std::size_t i = FirstHighByte(text); i < text.size();) {
        const char32_t c = NextCharacter(text, i);
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
            continue;
        if (ToWindows1252(c) == '?')
            return CharacterSet::Unicode;
        set = CharacterSet::Windows1252;
    }
    return set;
}

void DecodeText(std::uint8_t encoding, std::string_view bytes, std::string &out)
{
    switch (encoding) {
    case 1: DecodeUtf16(bytes, false, out); break;  // the byte-order mark decides; little-endian without one
    case 2: DecodeUtf16(bytes, true, out); break;
    case 3: DecodeUtf8(bytes, out); break;
    default: Windows1252ToUtf8(bytes, out);
    }
}

std::string DecodeText(std::uint8_t encoding, std::string_view bytes)
{
    std::string out;
    DecodeText(encoding, bytes, out);
    return out;
}

void SplitAtTerminator(std::uint8_t encoding, std::string_view bytes,
                       std::string_view &before, std::string_view &after)
{
    const bool wide = encoding == 1 || encoding == 2;
    const std::size_t step = wide ? 2 : 1;
    for (std::size_t i = 0; i + step <= bytes.size(); i += step) {
        if (bytes[i] == 0 && (!wide || bytes[i + 1] == 0)) {
            before = bytes.substr(0, i);
            after = bytes.substr(i + step);
            return;
        }
    }
    before = bytes;
    after = {};
}

std::string EncodeText(std::uint8_t encoding, std::string_view text)
{
    std::string out;
    if (encoding == 1) {
        out.reserve(2 + text.size() * 2);
        out.assign("\xFF\xFE", 2);
    } else {
        out.reserve(text.size());
    }
    for (std::size_t i = 0; i < text.size();) {
        const char32_t c = NextCharacter(text, i);
        if (encoding == 0) {
            out += static_cast<char>(c <= 0xFF ? c : '?');
        } else if (encoding == 3) {
            AppendUtf8(c, out);
        } else if (c < 0x10000) {
            AppendUtf16(static_cast<char16_t>(c), out);
        } else {
            AppendUtf16(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)), out);
            AppendUtf16(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)), out);
        }
    }
    return out;
}

std::string Resynchronise(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        out += bytes[i];
        if (static_cast<unsigned char>(bytes[i]) == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == 0)
            ++i;
    }
    return out;
}

} // namespace cvtags
