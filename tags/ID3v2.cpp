#include "tags/ID3v2.h"

#include "tags/ID3v2Block.h"
#include "tags/SafeSave.h"
#include "tags/TagError.h"
#include "tags/TagText.h"

#include <algorithm>

namespace {

using cvtags::kHeaderSize;

// Tags up to this size are changed in place when the new one fits; larger ones are rewritten,
// the frames streamed from the file.
constexpr std::uint64_t kMaxInPlace = 4u << 20;
// Room a tag that grows gets for later edits, so that the next save fits in place.
std::uint64_t GrowthPadding(std::uint64_t body) { return std::min<std::uint64_t>(1024 + body / 10, 1u << 20); }

bool IsTag(std::string_view bytes) { return bytes.substr(0, 3) == "ID3"; }

// Puts `values` as the file's tag, or removes the tag when `values` is null. A new tag that
// fits in the old one's space (frames and padding) is written in place through the journal;
// otherwise, and for a removal, the file is rewritten.
bool Rebuild(const std::filesystem::path &fileName, const cvtags::TagValues *values)
{
    cvtags::TagFile file;
    if (!file.OpenWrite(fileName))
        return false;
    const std::string_view head = file.Head();
    if (head.size() < kHeaderSize)
        return cvtags::Fail(cvtags::TagError::TooShort);
    const bool hasTag = IsTag(head);
    if (!values && !hasTag)
        return cvtags::Fail(cvtags::TagError::NoTag);
    // A stated size past the end of the file leaves the old block in place as audio.
    const auto tagSize = static_cast<std::uint64_t>(
        hasTag ? cvtags::TagSizeFromHeader(head, static_cast<std::int64_t>(file.Size())) : 0);
    if (!values)
        return tagSize == 0 || file.Rewrite({}, tagSize);
    const cvtags::TagSource source(file.Fd(), head);
    const cvtags::TagLayout old = tagSize > 0 ? cvtags::WalkTag(source, tagSize) : cvtags::TagLayout();
    cvtags::RenderedTag tag;
    if (!cvtags::RenderTag(*values, source, old, tag))
        return false;
    const cvtags::TagSource frames = old.FramesSource(source);
    if (tagSize > 0 && kHeaderSize + tag.bodySize <= tagSize && tagSize <= kMaxInPlace
        && !cvtags::TagFile::JournalMissing()) {
        std::string block, before;
        if (!cvtags::Materialise(tag, frames, tagSize - kHeaderSize - tag.bodySize, block)
            || !source.Read(0, static_cast<std::size_t>(tagSize), before))
            return false;
        if (before.size() != block.size())
            return cvtags::Fail(cvtags::TagError::FileChanged);
        // Only the bytes that differ are written.
        const auto first = std::mismatch(block.begin(), block.end(), before.begin()).first - block.begin();
        if (first == static_cast<std::ptrdiff_t>(block.size()))
            return true;
        const auto last = block.rend() - std::mismatch(block.rbegin(), block.rend(), before.rbegin()).first;
        const auto at = static_cast<std::size_t>(first), length = static_cast<std::size_t>(last - first);
        return file.Patch(at, before.substr(at, length), block.substr(at, length), file.Size(), 0, tagSize, block);
    }
    std::vector<cvtags::TagFile::Piece> pieces;
    const std::uint64_t padding = GrowthPadding(tag.bodySize);
    pieces.push_back({cvtags::TagHeader(tag.major, tag.bodySize, padding)});
    for (cvtags::RenderedTag::Piece &piece : tag.pieces) {
        if (!piece.bytes.empty() || old.resynced.empty()) {
            pieces.push_back({std::move(piece.bytes), piece.offset, piece.size});
            continue;
        }
        // Frames of a tag unsynchronised as a whole come from memory, not from the file.
        std::string bytes;
        if (!frames.Read(piece.offset, static_cast<std::size_t>(piece.size), bytes))
            return false;
        pieces.push_back({std::move(bytes)});
    }
    pieces.push_back({std::string(static_cast<std::size_t>(padding), '\0')});
    return file.Rewrite(pieces, tagSize);
}

} // namespace

TID3v2::TID3v2() { ClearFields(); }

void TID3v2::ClearFields()
{
    present_ = false;
    revision_ = 0;
    tagSize_ = 0;
    values_.title.clear();
    values_.artist.clear();
    values_.album.clear();
    values_.year.clear();
    values_.genre.clear();
    values_.comment.clear();
    values_.track = 0;
}

bool TID3v2::ReadTag(const std::filesystem::path &fileName)
{
    ClearFields();
    cvtags::TagFile file;
    return file.OpenRead(fileName) && ReadFrom(file);
}

bool TID3v2::ReadFrom(cvtags::TagFile &file)
{
    ClearFields();
    const std::string_view head = file.Head();
    if (head.size() < kHeaderSize)
        return cvtags::Fail(cvtags::TagError::TooShort);
    if (!IsTag(head))
        return true;
    present_ = true;
    revision_ = static_cast<std::uint8_t>(head[3]);
    tagSize_ = static_cast<std::int32_t>(cvtags::TagSizeFromHeader(head, static_cast<std::int64_t>(file.Size())));
    if (tagSize_ > 0)
        cvtags::ReadValues(cvtags::TagSource(file.Fd(), head), static_cast<std::uint64_t>(tagSize_), values_);
    return true;
}

bool TID3v2::WriteTag(const std::filesystem::path &fileName) const
{
    return Rebuild(fileName, &values_);
}

bool TID3v2::DeleteTag(const std::filesystem::path &fileName) const
{
    return Rebuild(fileName, nullptr);
}

bool TID3v2::Present() const { return present_; }
std::uint8_t TID3v2::Revision() const { return revision_; }
std::int32_t TID3v2::TagSize() const { return tagSize_; }

// Setters remove trailing blanks only; leading ones are kept as typed.
const std::string &TID3v2::Title() const { return values_.title; }
void TID3v2::SetTitle(std::string_view value) { values_.title = cvtags::TrimRight(value); }
const std::string &TID3v2::Artist() const { return values_.artist; }
void TID3v2::SetArtist(std::string_view value) { values_.artist = cvtags::TrimRight(value); }
const std::string &TID3v2::Album() const { return values_.album; }
void TID3v2::SetAlbum(std::string_view value) { values_.album = cvtags::TrimRight(value); }
const std::string &TID3v2::Year() const { return values_.year; }
void TID3v2::SetYear(std::string_view value) { values_.year = cvtags::TrimRight(value); }
const std::string &TID3v2::Genre() const { return values_.genre; }
void TID3v2::SetGenre(std::string_view value) { values_.genre = cvtags::TrimRight(value); }
const std::string &TID3v2::Comment() const { return values_.comment; }
void TID3v2::SetComment(std::string_view value) { values_.comment = cvtags::TrimRight(value); }
std::uint8_t TID3v2::Track() const { return values_.track; }
void TID3v2::SetTrack(std::uint8_t value) { values_.track = value; }
