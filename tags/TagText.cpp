#include "tags/TagText.h"

#include <array>
#include <cstring>

namespace cvtags {
namespace {

// Windows-1252 bytes 0x80 to 0x9F; the five unassigned bytes map to the control
// characters of the same number so that they survive a round trip.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void DecodeUtf8(std::string_view bytes, std::string &out)
{
    out.clear();
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        int extra = 0;
        char32_t cp = 0;
        if (lead < 0x80) { out += static_cast<char>(lead); ++i; continue; }
        if (lead >= 0xC2 && lead <= 0xDF) { extra = 1; cp = lead & 0x1F; }
        else if (lead >= 0xE0 && lead <= 0xEF) { extra = 2; cp = lead & 0x0F; }
        else if (lead >= 0xF0 && lead <= 0xF4) { extra = 3; cp = lead & 0x07; }
        else { out += '?'; ++i; continue; }
        std::size_t j = i + 1;
        for (; j <= i + extra && j < bytes.size(); ++j) {
            const auto b = static_cast<unsigned char>(bytes[j]);
            if ((b & 0xC0) != 0x80)
                break;
            cp = (cp << 6) | (b & 0x3F);
        }
        const bool complete = j == i + 1 + extra;
        const bool overlong = (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000);
        const bool invalid = cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF);
        if (!complete || overlong || invalid) { out += '?'; ++i; continue; }
        out += ToWindows1252(cp);
        i = j;
    }
}

void DecodeUtf16(std::string_view bytes, bool bigEndian, std::string &out)
{
    out.clear();
    out.reserve(bytes.size() / 2);
    auto unitAt = [&](std::size_t i) {
        const auto a = static_cast<unsigned char>(bytes[i]);
        const auto b = static_cast<unsigned char>(bytes[i + 1]);
        return static_cast<char16_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t unit = unitAt(i);
        if (unit == 0xFEFF)
            continue;                       // byte-order mark (each string may carry one)
        if (unit == 0xFFFE) { bigEndian = !bigEndian; continue; }
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
            const char16_t low = unitAt(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                out += '?';                 // beyond the basic plane: never in Windows-1252
                i += 2;
                continue;
            }
        }
        out += ToWindows1252(unit);
    }
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

void DecodeText(std::uint8_t encoding, std::string_view bytes, std::string &out)
{
    switch (encoding) {
    case 1: DecodeUtf16(bytes, false, out); break;  // the byte-order mark decides; little-endian without one
    case 2: DecodeUtf16(bytes, true, out); break;
    case 3: DecodeUtf8(bytes, out); break;
    default: out.assign(bytes);
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

std::string EncodeUtf16(std::string_view text)
{
    std::string out("\xFF\xFE", 2);
    out.reserve(2 + text.size() * 2);
    for (char c : text) {
        const char32_t cp = FromWindows1252(static_cast<unsigned char>(c));
        out += static_cast<char>(cp & 0xFF);
        out += static_cast<char>(cp >> 8);
    }
    return out;
}

bool NeedsUnicode(std::string_view text)
{
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b <= 0x9F)
            return true;
    }
    return false;
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
