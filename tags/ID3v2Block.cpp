#include "tags/ID3v2Block.h"

#include "tags/TagText.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <forward_list>
#include <type_traits>

namespace cvtags {
namespace {

enum Slot { Title, Artist, Album, Track, Year, Genre, Comment, SlotCount };

constexpr std::array<std::string_view, SlotCount> kIds = {"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON", "COMM"};
constexpr std::array<std::string_view, SlotCount> kIdsV2 = {"TT2", "TP1", "TAL", "TRK", "TYE", "TCO", "COM"};

std::uint8_t Byte(std::string_view s, std::size_t i) { return static_cast<std::uint8_t>(s[i]); }

// Up to four bytes as a big-endian number: sizes, and frame ids as one number each.
constexpr std::uint32_t BigEndian(std::string_view s)
{
    if (!std::is_constant_evaluated() && s.size() == 4) {
        std::uint32_t v;
        std::memcpy(&v, s.data(), sizeof v);
        return __builtin_bswap32(v);        // one instruction for what every frame needs
    }
    std::uint32_t v = 0;
    for (char c : s)
        v = v << 8 | static_cast<std::uint8_t>(c);
    return v;
}

std::string BigEndian32(std::uint32_t v)
{
    return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

// Where a version 4 recording date goes: the year, when the tag has no year frame.
constexpr int Recorded = SlotCount;

// The slot whose value a frame carries (Recorded included), or -1.
constexpr int ValueSlot(std::string_view id, std::uint8_t major)
{
    if (id.size() != (major == 2 ? 3u : 4u))
        return -1;
    const std::uint32_t packed = BigEndian(id);
    if (major == 2) {
        switch (packed) {
        case BigEndian("TT2"): return Title;
        case BigEndian("TP1"): return Artist;
        case BigEndian("TAL"): return Album;
        case BigEndian("TRK"): return Track;
        case BigEndian("TYE"): return Year;
        case BigEndian("TCO"): return Genre;
        case BigEndian("COM"): return Comment;
        default: return -1;
        }
    }
    switch (packed) {
    case BigEndian("TIT2"): return Title;
    case BigEndian("TPE1"): return Artist;
    case BigEndian("TALB"): return Album;
    case BigEndian("TRCK"): return Track;
    case BigEndian("TYER"): return Year;
    case BigEndian("TCON"): return Genre;
    case BigEndian("COMM"): return Comment;
    case BigEndian("TDRC"): return major == 4 ? Recorded : -1;
    default: return -1;
    }
}

constexpr bool SlotsMatchIds()
{
    for (int i = 0; i < SlotCount; ++i)
        if (ValueSlot(kIds[static_cast<std::size_t>(i)], 3) != i || ValueSlot(kIdsV2[static_cast<std::size_t>(i)], 2) != i)
            return false;
    return true;
}
static_assert(SlotsMatchIds());

int SlotOf(std::string_view id, std::uint8_t major)
{
    const int slot = ValueSlot(id, major);
    return slot == Recorded ? -1 : slot;
}

struct Comm {
    std::string description, text, language;
};

Comm ParseComm(std::string_view data)
{
    if (data.size() < 4)
        return {};
    const auto encoding = Byte(data, 0);
    std::string_view description, text;
    SplitAtTerminator(encoding, data.substr(4), description, text);
    return {DecodeText(encoding, description), DecodeText(encoding, text), std::string(data.substr(1, 3))};
}

// The slot whose value a rewrite puts in place of this frame, or -1 when the frame is kept.
// A comment with a description is another program's and stays.
int ReplacedSlot(const Frame &frame, std::uint8_t major)
{
    if (major == 4 && frame.id == "TDRC")
        return Year;
    const int slot = SlotOf(frame.id, major);
    if (slot == Comment)
        return frame.readable && ParseComm(frame.data).description.empty() ? Comment : -1;
    return slot;
}

// The comment frame whose text ExtractValues takes: one without a description wins, the
// last one decides among equals.
const Frame *CommentFrame(const ParsedTag &tag)
{
    const Frame *chosen = nullptr;
    bool chosenDescribed = false;
    for (const Frame &frame : tag.frames) {
        if (!frame.readable || SlotOf(frame.id, tag.major) != Comment)
            continue;
        const bool described = !ParseComm(frame.data).description.empty();
        if (!described || chosen == nullptr || chosenDescribed) {
            chosen = &frame;
            chosenDescribed = described;
        }
    }
    return chosen;
}

std::string TextValue(std::string_view data)
{
    return data.empty() ? std::string() : DecodeText(Byte(data, 0), data.substr(1));
}

std::string FrameBytes(std::string_view id, std::string_view data, std::uint8_t major)
{
    const auto size = static_cast<std::uint32_t>(data.size());
    std::string frame(id);
    frame += major == 4 ? EncodeSyncsafe(size) : BigEndian32(size);
    frame.append(2, '\0');
    frame += data;
    return frame;
}

// A frame of a tag as it lies in the (resynchronised) body.
struct FrameSpan {
    std::string_view id, header, stored, whole;     // whole: header and stored
};

// Calls visit(span) for each frame of a whole tag (`tag` starts with its header), up to
// padding, garbage or a frame that runs past the tag. False for an unknown layout or a
// compressed version 2 tag. With `cut`, `tag` is only the start of one, and *cut tells
// whether the walk stopped because those bytes ended (a frame or its header cut off).
template <class Visit>
bool WalkFrames(std::string_view tag, Visit &&visit, bool *cut = nullptr)
{
    if (cut)
        *cut = true;
    if (tag.size() < kHeaderSize)
        return false;
    const std::uint8_t major = Byte(tag, 3);
    const std::uint8_t flags = Byte(tag, 5);
    if (major < 2 || major > 4 || (major == 2 && (flags & 0x40)))
        return false;
    std::string_view body = tag.substr(kHeaderSize);
    if (major == 4 && (flags & 0x10) && body.size() >= kHeaderSize && !cut)
        body.remove_suffix(kHeaderSize);
    // Versions 2 and 3 unsynchronise the whole tag; version 4 each frame.
    std::string resynced;
    if ((flags & 0x80) && major < 4) {
        resynced = Resynchronise(body);
        body = resynced;
    }
    std::size_t pos = 0;
    if (major >= 3 && (flags & 0x40)) {
        if (body.size() < 4)
            return true;
        pos = major == 3 ? std::size_t{4} + BigEndian(body.substr(0, 4)) : DecodeSize28(body.substr(0, 4));
    }
    const std::size_t headerSize = major == 2 ? 6 : 10;
    while (pos < body.size() && body.size() - pos >= headerSize) {
        if (body[pos] < 'A' || body[pos] > 'Z') {
            if (cut)
                *cut = false;
            break;                  // padding or garbage
        }
        // Views made by hand: the loop's own bounds already hold for them.
        const char *at = body.data() + pos;
        const std::string_view header(at, headerSize);
        const std::uint32_t size = major == 2 ? BigEndian(std::string_view(at + 3, 3))
                                 : major == 3 ? BigEndian(std::string_view(at + 4, 4))
                                              : DecodeSize28(std::string_view(at + 4, 4));
        if (size > body.size() - pos - headerSize)
            break;                  // runs past the tag
        visit(FrameSpan{std::string_view(at, major == 2 ? 3 : 4), header, std::string_view(at + headerSize, size),
                        std::string_view(at, headerSize + size)});
        pos += headerSize + size;
    }
    return true;
}

bool CarriesValue(std::string_view id, std::uint8_t major) { return ValueSlot(id, major) >= 0; }

// A frame's payload with its extras undone. `resynced` receives the version 4 frame's bytes
// when they had to be resynchronised; `data` then points into it (all of them when the
// extras do not fit).
struct Payload {
    bool readable = true, resynchronised = false;
    std::string_view data;
};

Payload FramePayload(const FrameSpan &frame, std::uint8_t major, bool tagUnsync, std::string &resynced)
{
    Payload payload;
    std::string_view stored = frame.stored;
    std::size_t skip = 0;
    if (major == 3) {
        const std::uint8_t format = Byte(frame.header, 9);
        payload.readable = (format & 0xC0) == 0;
        skip = (format & 0x20) ? 1 : 0;
    } else if (major == 4) {
        const std::uint8_t format = Byte(frame.header, 9);
        payload.readable = (format & 0x0C) == 0;
        if (tagUnsync || (format & 0x02)) {
            resynced = Resynchronise(stored);
            stored = resynced;
            payload.resynchronised = true;
        }
        skip = ((format & 0x40) ? 1 : 0) + ((format & 0x01) ? 4 : 0);
    }
    if (skip > stored.size()) {
        payload.readable = false;
        payload.data = payload.resynchronised ? stored : std::string_view();
    } else {
        payload.data = stored.substr(skip);
    }
    return payload;
}

} // namespace

std::string EncodeSyncsafe(std::uint32_t value)
{
    return {static_cast<char>(value >> 21 & 0x7F), static_cast<char>(value >> 14 & 0x7F),
            static_cast<char>(value >> 7 & 0x7F), static_cast<char>(value & 0x7F)};
}

std::uint32_t DecodeSize28(std::string_view b)
{
    return (std::uint32_t{Byte(b, 0)} << 21) + (std::uint32_t{Byte(b, 1)} << 14)
           + (std::uint32_t{Byte(b, 2)} << 7) + Byte(b, 3);
}

std::int64_t TagSizeFromHeader(std::string_view header, std::int64_t fileSize)
{
    if (header.size() < kHeaderSize)
        return 0;
    std::int64_t size = std::int64_t{DecodeSize28(header.substr(6, 4))} + kHeaderSize;
    if (Byte(header, 3) == 4 && (Byte(header, 5) & 0x10))
        size += kHeaderSize;        // footer
    return size > fileSize ? 0 : size;
}

ParsedTag ParseTag(std::string_view tag, bool valuesOnly)
{
    ParsedTag result;
    if (tag.size() < kHeaderSize)
        return result;
    const std::uint8_t major = result.major = Byte(tag, 3);
    const bool tagUnsync = Byte(tag, 5) & 0x80;
    result.frames.reserve(valuesOnly ? 8 : 16);
    WalkFrames(tag, [&](const FrameSpan &span) {
        if (valuesOnly && !CarriesValue(span.id, major))
            return;                 // a picture or another program's frame: not even copied
        Frame frame;
        frame.id = span.id;
        std::string resynced;
        const Payload payload = FramePayload(span, major, tagUnsync, resynced);
        frame.readable = payload.readable;
        if (payload.resynchronised) {
            // Carried without unsynchronisation, so the flag goes and the size follows.
            frame.raw = FrameBytes(frame.id, resynced, 4);
            frame.raw[8] = span.header[8];
            frame.raw[9] = static_cast<char>(Byte(span.header, 9) & ~0x02);
        } else if (!valuesOnly) {
            frame.raw = span.whole;
        }
        frame.data = payload.data;
        result.frames.push_back(std::move(frame));
    });
    return result;
}

namespace {

// Gathers the seven values from the frames that carry them, in the tag's order: the last
// frame of a field decides; among comments one without a description wins, the last one
// among equals. Only the deciding frames are decoded, at the end, straight into the values.
class ValueCollector {
public:
    explicit ValueCollector(std::uint8_t major) : major_(major) {}

    // The frame's `data` goes to `slot` (ValueSlot); it must outlive the collector unless
    // `transient` is set, when it is copied.
    void Add(int slot, bool readable, std::string_view data, bool transient)
    {
        if (!readable || slot < 0)
            return;
        if (slot == Comment) {
            const bool described = Described(data);
            if (described && haveComment_ && !commentDescribed_)
                return;
            haveComment_ = true;
            commentDescribed_ = described;
        }
        if (transient)
            data = kept_.emplace_front(data);
        texts_[static_cast<std::size_t>(slot)] = data;
    }

    void Values(TagValues &values)
    {
        Decode(Title, values.title);
        Decode(Artist, values.artist);
        Decode(Album, values.album);
        Decode(Year, values.year);
        if (values.year.empty() && major_ == 4) {
            Decode(Recorded, values.year);
            values.year.resize(std::min<std::size_t>(values.year.size(), 4));
            TrimInPlace(values.year);
        }
        Decode(Track, scratch_);
        values.track = ParseTrack(scratch_);
        Decode(Genre, values.genre);
        const auto close = values.genre.rfind(')');
        if (close != std::string::npos)
            values.genre.erase(0, close + 1);
        Decode(Comment, values.comment);
    }

private:
    // The text of a slot's frame, without blanks at either end; a comment's text follows
    // its language and description.
    void Decode(int slot, std::string &out) const
    {
        std::string_view data = texts_[static_cast<std::size_t>(slot)];
        if (data.empty()) {
            out.clear();
            return;
        }
        const auto encoding = Byte(data, 0);
        data.remove_prefix(1);
        if (slot == Comment) {
            std::string_view description;
            SplitAtTerminator(encoding, data.size() < 3 ? std::string_view() : data.substr(3), description, data);
        }
        // A blank is one byte in every encoding but UTF-16, and no other character
        // decodes to one: those texts are trimmed before they are copied.
        if (encoding == 1 || encoding == 2) {
            DecodeText(encoding, data, out);
            TrimInPlace(out);
        } else if (encoding == 3) {
            DecodeText(encoding, Trimmed(data), out);
        } else {
            out.assign(Trimmed(data));          // the usual case: the bytes as they are
        }
    }

    // What !ParseComm(data).description.empty() tells, without decoding the usual empty
    // description.
    static bool Described(std::string_view data)
    {
        if (data.size() < 4)
            return false;
        std::string_view description, text;
        SplitAtTerminator(Byte(data, 0), data.substr(4), description, text);
        return !description.empty() && !DecodeText(Byte(data, 0), description).empty();
    }

    std::uint8_t major_;
    std::array<std::string_view, SlotCount + 1> texts_{};
    std::forward_list<std::string> kept_;       // copies that `texts_` may point into
    std::string scratch_;
    bool haveComment_ = false, commentDescribed_ = false;
};

} // namespace

TagValues ExtractValues(const ParsedTag &tag)
{
    ValueCollector collector(tag.major);
    for (const Frame &frame : tag.frames)
        collector.Add(ValueSlot(frame.id, tag.major), frame.readable, frame.data, false);
    TagValues values;
    collector.Values(values);
    return values;
}

namespace {

// False when `cut` is given and the frames go on past the bytes of `tag`.
bool ValuesOf(std::string_view tag, bool *cut, TagValues &values)
{
    ValueCollector collector(tag.size() < kHeaderSize ? 0 : Byte(tag, 3));
    if (tag.size() >= kHeaderSize) {
        const std::uint8_t major = Byte(tag, 3);
        const bool tagUnsync = Byte(tag, 5) & 0x80;
        std::string resynced;
        const bool known = WalkFrames(tag, [&](const FrameSpan &span) {
            const int slot = ValueSlot(span.id, major);
            if (slot < 0)
                return;             // a picture or another program's frame: not even looked at
            if (major >= 3 && !tagUnsync && span.header[9] == 0) {
                collector.Add(slot, true, span.stored, false);      // the usual frame: no extras
                return;
            }
            const Payload payload = FramePayload(span, major, tagUnsync, resynced);
            // A resynchronised tag or frame lives only as long as the walk or the frame.
            collector.Add(slot, payload.readable, payload.data, payload.resynchronised || (tagUnsync && major < 4));
        }, cut);
        if (known && cut && *cut)
            return false;
    }
    collector.Values(values);
    return true;
}

} // namespace

void ReadValues(std::string_view tag, TagValues &values) { ValuesOf(tag, nullptr, values); }

TagValues ReadValues(std::string_view tag)
{
    TagValues values;
    ReadValues(tag, values);
    return values;
}

bool ReadValuesFromStart(std::string_view start, std::size_t tagSize, TagValues &values)
{
    if (start.size() >= tagSize) {
        ReadValues(start.substr(0, tagSize), values);
        return true;
    }
    bool cut = false;
    return ValuesOf(start, &cut, values);
}

std::uint8_t ParseTrack(std::string_view value)
{
    std::string_view digits = Trimmed(value);
    digits = digits.substr(0, digits.find('/'));
    bool negative = false;
    if (!digits.empty() && (digits[0] == '+' || digits[0] == '-')) {
        negative = digits[0] == '-';
        digits.remove_prefix(1);
    }
    std::uint64_t number = 0;       // unsigned: a second sign is no number
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size()
        || number > (negative ? 2147483648ULL : 2147483647ULL))
        return 0;
    // The lowest 8 bits of the 32-bit number: 300 gives 44, -1 gives 255.
    return static_cast<std::uint8_t>(negative ? 0 - number : number);
}

std::string ParseGenre(std::string_view value)
{
    std::string text = TrimBoth(value);
    const auto close = text.rfind(')');
    return close == std::string::npos ? text : text.substr(close + 1);
}

std::vector<std::string> KeptFrames(const ParsedTag &tag)
{
    std::vector<std::string> kept;
    if (tag.major != 3 && tag.major != 4)
        return kept;                // version 2 frames do not fit a version 3 tag
    for (const Frame &frame : tag.frames)
        if (ReplacedSlot(frame, tag.major) < 0)
            kept.push_back(frame.raw);
    return kept;
}

namespace {

// One of the seven frames for `text`, or nothing for an empty text.
std::string RenderFrame(int slot, const std::string &text, std::uint8_t major, std::string_view language)
{
    if (text.empty())
        return {};
    // Latin-1 unless the text holds characters that only UTF-16 carries.
    const bool wide = NeedsUnicode(text);
    std::string data(1, wide ? '\x01' : '\0');
    if (slot == Comment) {
        data += language;
        data += wide ? std::string("\xFF\xFE\0\0", 4) : std::string(1, '\0');
    }
    data += wide ? EncodeUtf16(text) : text;
    const std::string_view id = slot == Year && major == 4 ? "TDRC" : kIds[slot];
    return FrameBytes(id, data, major);
}

std::string TrackText(std::uint8_t track) { return track ? std::to_string(track) : std::string(); }

std::array<std::string, SlotCount> SlotTexts(const TagValues &values)
{
    return {values.title, values.artist, values.album, TrackText(values.track), values.year, values.genre,
            values.comment};
}

std::string WithHeader(std::uint8_t major, std::string body, std::size_t padding)
{
    body.append(padding, '\0');
    return std::string("ID3") + static_cast<char>(major) + std::string(2, '\0')
           + EncodeSyncsafe(static_cast<std::uint32_t>(body.size())) + body;
}

} // namespace

std::optional<std::string> RenderTag(const TagValues &values, std::uint8_t major,
                                     const std::vector<std::string> &kept)
{
    const auto texts = SlotTexts(values);
    std::string body;
    for (int slot = 0; slot < SlotCount; ++slot)
        body += RenderFrame(slot, texts[slot], major, "eng");
    for (const std::string &frame : kept)
        body += frame;
    if (body.size() > kMaxTagBody)
        return std::nullopt;
    return WithHeader(major, std::move(body), 0);
}

std::uint8_t RenderedMajor(const ParsedTag &old) { return old.major == 4 ? 4 : 3; }

std::optional<std::string> RenderBody(const TagValues &values, const ParsedTag &old)
{
    const bool carried = old.major == 3 || old.major == 4;
    const std::uint8_t major = RenderedMajor(old);
    const TagValues before = ExtractValues(old);
    const auto texts = SlotTexts(values), oldTexts = SlotTexts(before);
    std::string language = "eng";
    if (const Frame *comment = CommentFrame(old)) {
        const std::string oldLanguage = ParseComm(comment->data).language;
        if (oldLanguage.size() == 3)
            language = oldLanguage;
    }
    std::string body;
    for (int slot = 0; slot < SlotCount; ++slot) {
        if (carried && texts[slot] == oldTexts[slot]) {
            // Unchanged: its frames stay byte for byte (encoding, language, description).
            for (const Frame &frame : old.frames)
                if (ReplacedSlot(frame, old.major) == slot)
                    body += frame.raw;
        } else {
            body += RenderFrame(slot, texts[slot], major, language);
        }
    }
    if (carried)
        for (const Frame &frame : old.frames)
            if (ReplacedSlot(frame, old.major) < 0)
                body += frame.raw;
    if (body.size() > kMaxTagBody)
        return std::nullopt;
    return body;
}

std::string TagBlock(std::uint8_t major, std::string_view body, std::size_t padding)
{
    return WithHeader(major, std::string(body), padding);
}

} // namespace cvtags
