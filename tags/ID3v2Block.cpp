#include "tags/ID3v2Block.h"

#include "tags/FileOps.h"
#include "tags/TagError.h"
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
// Where a version 4 recording date goes: the year, when the tag has no year frame.
constexpr int Recorded = SlotCount;

constexpr std::array<std::string_view, SlotCount> kIds = {"TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON", "COMM"};
constexpr std::size_t kWindow = 16u << 10;

std::uint8_t Byte(std::string_view s, std::size_t i) { return static_cast<std::uint8_t>(s[i]); }

constexpr std::uint32_t BigEndian(std::string_view s)
{
    if (!std::is_constant_evaluated() && s.size() == 4) {
        std::uint32_t v;
        std::memcpy(&v, s.data(), sizeof v);
        return __builtin_bswap32(v);
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

// Version 2.2 frames and their version 2.3 counterparts (the last six as the common
// players write them).
constexpr std::array<std::pair<std::string_view, std::string_view>, 67> kV22ToV23 = {{
    {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"ETC", "ETCO"}, {"EQU", "EQUA"},
    {"GEO", "GEOB"}, {"IPL", "IPLS"}, {"MCI", "MCDI"}, {"MLL", "MLLT"}, {"PIC", "APIC"}, {"POP", "POPM"},
    {"REV", "RVRB"}, {"RVA", "RVAD"}, {"SLT", "SYLT"}, {"STC", "SYTC"}, {"TAL", "TALB"}, {"TBP", "TBPM"},
    {"TCM", "TCOM"}, {"TCO", "TCON"}, {"TCR", "TCOP"}, {"TDA", "TDAT"}, {"TDY", "TDLY"}, {"TEN", "TENC"},
    {"TFT", "TFLT"}, {"TIM", "TIME"}, {"TKE", "TKEY"}, {"TLA", "TLAN"}, {"TLE", "TLEN"}, {"TMT", "TMED"},
    {"TOA", "TOPE"}, {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TORY"}, {"TOT", "TOAL"}, {"TP1", "TPE1"},
    {"TP2", "TPE2"}, {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TPA", "TPOS"}, {"TPB", "TPUB"}, {"TRC", "TSRC"},
    {"TRD", "TRDA"}, {"TRK", "TRCK"}, {"TSI", "TSIZ"}, {"TSS", "TSSE"}, {"TT1", "TIT1"}, {"TT2", "TIT2"},
    {"TT3", "TIT3"}, {"TXT", "TEXT"}, {"TXX", "TXXX"}, {"TYE", "TYER"}, {"UFI", "UFID"}, {"ULT", "USLT"},
    {"WAF", "WOAF"}, {"WAR", "WOAR"}, {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"}, {"WPB", "WPUB"},
    {"WXX", "WXXX"}, {"TCP", "TCMP"}, {"TST", "TSOT"}, {"TSA", "TSOA"}, {"TSP", "TSOP"}, {"TS2", "TSO2"},
    {"TSC", "TSOC"},
}};

std::string_view V23Id(std::string_view v22)
{
    for (const auto &[from, to] : kV22ToV23)
        if (from == v22)
            return to;
    return {};
}

// Frame ids: a capital letter, then capitals or digits.
constexpr std::array<bool, 256> IdCharacters(bool first)
{
    std::array<bool, 256> table{};
    for (int c = 'A'; c <= 'Z'; ++c)
        table[static_cast<std::size_t>(c)] = true;
    for (int c = '0'; c <= '9' && !first; ++c)
        table[static_cast<std::size_t>(c)] = true;
    return table;
}
constexpr std::array<bool, 256> kIdFirst = IdCharacters(true), kIdRest = IdCharacters(false);

inline bool ValidId(const char *id, bool four)
{
    return kIdFirst[static_cast<std::uint8_t>(id[0])] && kIdRest[static_cast<std::uint8_t>(id[1])]
           && kIdRest[static_cast<std::uint8_t>(id[2])] && (!four || kIdRest[static_cast<std::uint8_t>(id[3])]);
}

// Walks the frames of `source` from `pos` to `end`, calling visit(FrameRef) for each.
// Returns whether the walk reached the end of the frames (padding aside).
template <class Visit>
bool WalkFrames(const TagSource &source, std::uint64_t pos, std::uint64_t end, std::uint8_t major, bool plain,
                Visit &&visit)
{
    const std::uint32_t headerSize = major == 2 ? 6 : 10;
    std::string scratch;
    std::size_t count = 0;
    while (pos < end) {
        std::string_view header;
        const std::size_t want = end - pos < headerSize ? static_cast<std::size_t>(end - pos) : headerSize;
        if (source.Holds(pos, want))
            header = source.Held(pos, want);
        else if (!source.View(pos, want, scratch, header) || header.size() < want)
            return false;
        if (header[0] == '\0')
            return true;                    // padding
        if (header.size() < headerSize)
            return false;
        if (!ValidId(header.data(), major != 2) || ++count > kMaxFrames)
            return false;
        const std::uint32_t size = major == 2 ? BigEndian(header.substr(3, 3))
                                 : major == 3 || plain ? BigEndian(header.substr(4, 4))
                                                       : DecodeSize28(header.substr(4, 4));
        if (size > end - pos - headerSize)
            return false;
        FrameRef frame;
        std::memcpy(frame.id, header.data(), 4);
        if (major == 2)
            frame.id[3] = '\0';
        frame.offset = pos;
        frame.headerSize = headerSize;
        frame.size = size;
        if (major > 2) {
            frame.status = static_cast<std::uint8_t>(header[8]);
            frame.format = static_cast<std::uint8_t>(header[9]);
        }
        visit(frame);
        pos += headerSize + size;
    }
    return true;
}

// Where the frames of a tag begin and end, in the coordinates of the frames' source.
struct Span {
    std::uint64_t begin = 0, end = 0;
    bool known = false;
};

// Reads the header, undoes a whole-tag unsynchronisation into `resynced`, skips an extended
// header. Not known for versions other than 2 to 4, or a compressed version 2 tag.
Span FrameSpan(const TagSource &file, std::uint64_t tagSize, std::uint8_t &major, std::uint8_t &flags,
               std::string &resynced)
{
    Span span;
    std::string scratch;
    std::string_view header;
    if (tagSize < kHeaderSize || !file.View(0, kHeaderSize, scratch, header) || header.size() < kHeaderSize)
        return span;
    major = Byte(header, 3);
    flags = Byte(header, 5);
    if (major < 2 || major > 4 || (major == 2 && (flags & 0x40)))
        return span;
    std::uint64_t end = tagSize;
    if (major == 4 && (flags & 0x10) && end >= 2 * kHeaderSize)
        end -= kHeaderSize;
    span.begin = kHeaderSize;
    span.end = end;
    if ((flags & 0x80) && major < 4) {
        if (end - kHeaderSize > kMaxInMemoryTag || !file.Read(kHeaderSize, end - kHeaderSize, scratch))
            return span;
        resynced = Resynchronise(scratch);
        span.begin = 0;
        span.end = resynced.size();
    }
    const TagSource frames = resynced.empty() && !((flags & 0x80) && major < 4) ? file : TagSource(resynced);
    if (major >= 3 && (flags & 0x40)) {
        std::string_view ext;
        if (!frames.View(span.begin, 4, scratch, ext) || ext.size() < 4)
            return span;
        const std::uint64_t extSize = major == 3 ? 4u + BigEndian(ext) : DecodeSize28(ext);
        span.begin += extSize;
        if (span.begin > span.end)
            return span;
    }
    span.known = true;
    return span;
}

// A frame's payload with its extras undone; empty and unreadable when it is compressed,
// encrypted or too large to decode.
bool Payload(const TagSource &frames, const FrameRef &frame, std::uint8_t major, bool tagUnsync,
             std::string &scratch, std::string &resynced, std::string_view &data)
{
    if (frame.size > kMaxValueFrame)
        return false;
    std::string_view stored;
    if (!frames.View(frame.offset + frame.headerSize, frame.size, scratch, stored) || stored.size() != frame.size)
        return false;
    std::size_t skip = 0;
    if (major == 3) {
        if (frame.format & 0xC0)
            return false;
        skip = (frame.format & 0x20) ? 1 : 0;
    } else if (major == 4) {
        if (frame.format & 0x0C)
            return false;
        if (tagUnsync || (frame.format & 0x02)) {
            resynced = Resynchronise(stored);
            stored = resynced;
        }
        skip = ((frame.format & 0x40) ? 1 : 0) + ((frame.format & 0x01) ? 4 : 0);
    }
    if (skip > stored.size())
        return false;
    data = stored.substr(skip);
    return true;
}

bool Described(std::string_view data)
{
    if (data.size() < 4)
        return false;
    std::string_view description, text;
    SplitAtTerminator(Byte(data, 0), data.substr(4), description, text);
    return !description.empty() && !DecodeText(Byte(data, 0), description).empty();
}

// Gathers, frame by frame in the tag's order, the payloads that decide the seven values.
class ValueCollector {
public:
    ValueCollector(const TagSource &frames, std::uint8_t major, bool tagUnsync)
        : frames_(frames), major_(major), tagUnsync_(tagUnsync) {}

    void Add(const FrameRef &frame)
    {
        const int slot = ValueSlot(std::string_view(frame.id, major_ == 2 ? 3 : 4), major_);
        if (slot < 0)
            return;
        std::string_view data;
        const std::uint64_t at = frame.offset + frame.headerSize;
        if (major_ >= 3 && frame.format == 0 && !tagUnsync_ && frame.size <= kMaxValueFrame && frames_.Holds(at, frame.size)) {
            data = frames_.Held(at, frame.size);        // the usual frame: its bytes as they are, at hand
        } else {
            std::string scratch, resynced;
            if (!Payload(frames_, frame, major_, tagUnsync_, scratch, resynced, data))
                return;
            if (!frames_.Stable(data))
                data = copies_.emplace_front(data);
        }
        if (slot == Comment) {
            const bool described = Described(data);
            if (described && haveComment_ && !commentDescribed_)
                return;
            haveComment_ = true;
            commentDescribed_ = described;
        }
        // Bytes at hand are only pointed to; others are copied before the next read moves them.
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
            values.year.resize(FirstCharacters(values.year, 4).size());
            TrimInPlace(values.year);
        }
        std::string track;
        Decode(Track, track);
        values.track = ParseTrack(track);
        Decode(Genre, values.genre);
        const auto close = values.genre.rfind(')');
        if (close != std::string::npos)
            values.genre.erase(0, close + 1);
        Decode(Comment, values.comment);
    }

    // The deciding comment's language, when it has one of three letters.
    std::string Language() const
    {
        const std::string_view data = texts_[Comment];
        return data.size() >= 4 ? std::string(data.substr(1, 3)) : std::string();
    }

private:
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
        // A blank is one byte in every encoding but UTF-16, and no other character decodes
        // to one: those texts are trimmed before they are copied.
        if (encoding == 1 || encoding == 2) {
            DecodeText(encoding, data, out);
            TrimInPlace(out);
        } else if (encoding == 3) {
            DecodeText(encoding, Trimmed(data), out);
        } else {
            Windows1252ToUtf8(Trimmed(data), out);
        }
    }

    const TagSource &frames_;
    std::uint8_t major_;
    bool tagUnsync_;
    std::array<std::string_view, SlotCount + 1> texts_{};
    std::forward_list<std::string> copies_;
    bool haveComment_ = false, commentDescribed_ = false;
};

// Walks a tag, trying plain version 4 sizes when syncsafe ones do not reach the end.
template <class Visit>
bool Walk(const TagSource &file, std::uint64_t tagSize, TagLayout &layout, Visit &&visit)
{
    const Span span = FrameSpan(file, tagSize, layout.major, layout.flags, layout.resynced);
    layout.size = tagSize;
    if (!span.known)
        return false;
    const TagSource frames = layout.FramesSource(file);
    if (layout.major == 4) {
        // A frame larger than 127 bytes tells the two apart; most tags need one walk.
        if (WalkFrames(frames, span.begin, span.end, 4, false, [](const FrameRef &) {}))
            return WalkFrames(frames, span.begin, span.end, 4, false, visit);
        if (WalkFrames(frames, span.begin, span.end, 4, true, [](const FrameRef &) {})) {
            layout.plainSizes = true;
            return WalkFrames(frames, span.begin, span.end, 4, true, visit);
        }
    }
    return WalkFrames(frames, span.begin, span.end, layout.major, false, visit);
}

std::string FrameHeader(std::string_view id, std::uint32_t size, std::uint8_t major, std::uint8_t status,
                        std::uint8_t format)
{
    std::string header(id);
    header += major == 4 ? EncodeSyncsafe(size) : BigEndian32(size);
    header += static_cast<char>(status);
    header += static_cast<char>(format);
    return header;
}

// The comment frame without a description that a rewrite replaces; a described (or unreadable)
// one is another program's and stays.
int ReplacedSlot(const TagSource &frames, const FrameRef &frame, std::uint8_t major, bool tagUnsync)
{
    const int slot = ValueSlot(std::string_view(frame.id), major);
    if (slot == Recorded)
        return Year;
    if (slot != Comment)
        return slot;
    std::string scratch, resynced;
    std::string_view data;
    return Payload(frames, frame, major, tagUnsync, scratch, resynced, data) && !Described(data) ? Comment : -1;
}

std::string TrackText(std::uint8_t track) { return track ? std::to_string(track) : std::string(); }

std::array<std::string, SlotCount> SlotTexts(const TagValues &values)
{
    return {values.title, values.artist, values.album, TrackText(values.track), values.year, values.genre,
            values.comment};
}

// One of the seven frames for `text` (nothing for an empty text).
std::string NewFrame(int slot, const std::string &text, std::uint8_t major, std::string_view language)
{
    if (text.empty())
        return {};
    const std::uint8_t encoding = TextEncodingFor(text, major);
    const bool wide = encoding == 1;
    std::string data(1, static_cast<char>(encoding));
    if (slot == Comment) {
        data += language;
        data += wide ? std::string("\xFF\xFE\0\0", 4) : std::string(1, '\0');   // an empty description
    }
    data += EncodeText(encoding, text);
    const std::string_view id = slot == Year && major == 4 ? "TDRC" : kIds[static_cast<std::size_t>(slot)];
    return FrameHeader(id, static_cast<std::uint32_t>(data.size()), major, 0, 0) + data;
}

void AddBytes(RenderedTag &out, std::string bytes)
{
    if (bytes.empty())
        return;
    out.bodySize += bytes.size();
    if (!out.pieces.empty() && !out.pieces.back().bytes.empty())
        out.pieces.back().bytes += bytes;
    else
        out.pieces.push_back({std::move(bytes), 0, 0});
}

void AddRange(RenderedTag &out, std::uint64_t offset, std::uint64_t size)
{
    if (size == 0)
        return;
    out.bodySize += size;
    auto &last = out.pieces.empty() ? out.pieces.emplace_back() : out.pieces.back();
    if (last.bytes.empty() && last.size > 0 && last.offset + last.size == offset)
        last.size += size;
    else
        out.pieces.push_back({std::string(), offset, size});
}

std::string PictureMime(std::string_view format)
{
    if (format == "JPG")
        return "image/jpeg";
    if (format == "-->")
        return "-->";
    std::string mime = "image/";
    for (char c : Trimmed(format))
        mime += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return mime;
}

// An old frame carried into the new tag: as it is, or with the header (and for a picture
// the start) that its new version needs.
bool KeepFrame(const TagSource &frames, const FrameRef &frame, const TagLayout &old, RenderedTag &out)
{
    const std::uint64_t data = frame.offset + frame.headerSize;
    if (old.major == 3) {
        AddRange(out, frame.offset, frame.headerSize + std::uint64_t{frame.size});
        return true;
    }
    if (old.major == 4) {
        // Frames a whole-tag flag unsynchronised say so themselves once the flag is gone.
        const std::uint8_t format = (old.flags & 0x80) ? frame.format | 0x02 : frame.format;
        if (!old.plainSizes && format == frame.format) {
            AddRange(out, frame.offset, frame.headerSize + std::uint64_t{frame.size});
        } else {
            AddBytes(out, FrameHeader(frame.id, frame.size, 4, frame.status, format));
            AddRange(out, data, frame.size);
        }
        return true;
    }
    const std::string_view id = V23Id(frame.id);
    if (id.empty())
        return Fail(TagError::UnconvertibleFrame);
    if (id == "APIC") {
        // Encoding, image format, picture type…: the format becomes a MIME type.
        std::string scratch;
        std::string_view start;
        if (frame.size < 5 || !frames.View(data, 4, scratch, start) || start.size() < 4)
            return Fail(TagError::UnconvertibleFrame);
        std::string head = std::string(1, start[0]) + PictureMime(start.substr(1, 3)) + '\0';
        AddBytes(out, FrameHeader(id, static_cast<std::uint32_t>(head.size() + frame.size - 4), 3, 0, 0) + head);
        AddRange(out, data + 4, frame.size - 4);
        return true;
    }
    AddBytes(out, FrameHeader(id, frame.size, 3, 0, 0));
    AddRange(out, data, frame.size);
    return true;
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

bool TagSource::ViewBeyond(std::uint64_t offset, std::size_t size, std::string &scratch, std::string_view &out) const
{
    if (offset < head_.size() && fd_ < 0) {
        out = head_.substr(static_cast<std::size_t>(offset), size);
        return true;
    }
    if (fd_ < 0) {
        out = {};
        return true;
    }
    if (size <= kWindow / 4) {
        if (!window_)
            window_ = std::make_shared<std::string>();
        if (offset < windowAt_ || offset + size > windowAt_ + window_->size()) {
            if (!ReadUpTo(fd_, offset, kWindow, *window_))
                return FailWithErrno();
            windowAt_ = offset;
        }
        const std::size_t at = static_cast<std::size_t>(offset - windowAt_);
        out = std::string_view(*window_).substr(at, std::min(size, window_->size() - at));
        return true;
    }
    if (!Read(offset, size, scratch))
        return false;
    out = scratch;
    return true;
}

bool TagSource::Read(std::uint64_t offset, std::size_t size, std::string &out) const
{
    if (fd_ < 0 || offset + size <= head_.size()) {
        out.assign(offset < head_.size() ? head_.substr(static_cast<std::size_t>(offset), size) : std::string_view());
        return true;
    }
    return ReadUpTo(fd_, offset, size, out) || FailWithErrno();
}

TagSource TagLayout::FramesSource(const TagSource &file) const
{
    return resynced.empty() && !((flags & 0x80) && major < 4) ? file : TagSource(resynced);
}

TagLayout WalkTag(const TagSource &file, std::uint64_t tagSize)
{
    TagLayout layout;
    layout.complete = Walk(file, tagSize, layout, [&](const FrameRef &frame) { layout.frames.push_back(frame); });
    return layout;
}

void CollectValues(const TagSource &file, const TagLayout &layout, TagValues &values)
{
    const TagSource frames = layout.FramesSource(file);
    ValueCollector collector(frames, layout.major, layout.major == 4 && (layout.flags & 0x80));
    for (const FrameRef &frame : layout.frames)
        collector.Add(frame);
    collector.Values(values);
}

bool ReadValues(const TagSource &file, std::uint64_t tagSize, TagValues &values)
{
    TagLayout layout;
    std::uint8_t major = 0, flags = 0;
    std::string resynced;
    // The collector needs the frames' source before the walk decides it: the same one the
    // walk uses, built from the header alone.
    const Span span = FrameSpan(file, tagSize, major, flags, resynced);
    layout.major = major;
    layout.flags = flags;
    layout.resynced = std::move(resynced);
    const TagSource frames = layout.FramesSource(file);
    ValueCollector collector(frames, major, major == 4 && (flags & 0x80));
    bool complete = false;
    if (span.known) {
        bool plain = false;
        if (major == 4 && !WalkFrames(frames, span.begin, span.end, 4, false, [](const FrameRef &) {}))
            plain = WalkFrames(frames, span.begin, span.end, 4, true, [](const FrameRef &) {});
        complete = WalkFrames(frames, span.begin, span.end, major, plain, [&](const FrameRef &f) { collector.Add(f); });
    }
    collector.Values(values);
    return complete;
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

std::uint8_t TextEncodingFor(std::string_view text, std::uint8_t major)
{
    // A text Windows-1252 holds keeps the bytes it always had: Latin-1, or UTF-16 for the
    // letters Latin-1 lacks (€, “…”). Any other text is what each version's readers all
    // know: UTF-16 in version 3, UTF-8 in version 4.
    switch (CharacterSetOf(text)) {
    case CharacterSet::Latin1: return 0;
    case CharacterSet::Windows1252: return 1;
    case CharacterSet::Unicode: break;
    }
    return major == 4 ? 3 : 1;
}

bool RenderTag(const TagValues &values, const TagSource &file, const TagLayout &old, RenderedTag &out)
{
    out = RenderedTag();
    const bool hadTag = old.size > 0;
    if (hadTag && !old.complete)
        return Fail(TagError::UnreadableTag);
    out.major = old.major == 4 ? 4 : 3;
    const TagSource frames = old.FramesSource(file);
    const bool tagUnsync = old.major == 4 && (old.flags & 0x80);
    TagValues before;
    ValueCollector collector(frames, old.major, tagUnsync);
    for (const FrameRef &frame : old.frames)
        collector.Add(frame);
    collector.Values(before);
    std::string language = collector.Language();
    if (language.size() != 3 || language.find('\0') != std::string::npos)
        language = "eng";
    const auto texts = SlotTexts(values), oldTexts = SlotTexts(before);
    std::array<bool, SlotCount> emitted{};
    for (const FrameRef &frame : old.frames) {
        const int slot = ReplacedSlot(frames, frame, old.major, tagUnsync);
        if (slot >= 0 && texts[static_cast<std::size_t>(slot)] != oldTexts[static_cast<std::size_t>(slot)]) {
            if (!emitted[static_cast<std::size_t>(slot)])
                AddBytes(out, NewFrame(slot, texts[static_cast<std::size_t>(slot)], out.major, language));
            emitted[static_cast<std::size_t>(slot)] = true;
        } else if (!KeepFrame(frames, frame, old, out)) {
            return false;
        }
    }
    for (int slot = 0; slot < SlotCount; ++slot)
        if (!emitted[static_cast<std::size_t>(slot)] && texts[static_cast<std::size_t>(slot)] != oldTexts[static_cast<std::size_t>(slot)])
            AddBytes(out, NewFrame(slot, texts[static_cast<std::size_t>(slot)], out.major, language));
    if (out.bodySize > kMaxTagBody)
        return Fail(TagError::TooLarge);
    return true;
}

std::string TagHeader(std::uint8_t major, std::uint64_t bodySize, std::uint64_t padding)
{
    return std::string("ID3") + static_cast<char>(major) + std::string(2, '\0')
           + EncodeSyncsafe(static_cast<std::uint32_t>(bodySize + padding));
}

bool Materialise(const RenderedTag &tag, const TagSource &frames, std::uint64_t padding, std::string &out)
{
    out = TagHeader(tag.major, tag.bodySize, padding);
    out.reserve(static_cast<std::size_t>(kHeaderSize + tag.bodySize + padding));
    std::string scratch;
    for (const RenderedTag::Piece &piece : tag.pieces) {
        if (!piece.bytes.empty()) {
            out += piece.bytes;
            continue;
        }
        if (!frames.Read(piece.offset, static_cast<std::size_t>(piece.size), scratch))
            return false;
        if (scratch.size() != piece.size)
            return Fail(TagError::FileChanged);     // shorter than when it was walked
        out += scratch;
    }
    out.append(static_cast<std::size_t>(padding), '\0');
    return true;
}

} // namespace cvtags
