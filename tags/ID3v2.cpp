#include "tags/ID3v2.h"

#include "tags/FileOps.h"
#include "tags/ID3v2Block.h"
#include "tags/SafeSave.h"
#include "tags/TagText.h"

#include <algorithm>
#include <fcntl.h>

namespace {

using cvtags::kHeaderSize;

// Most tags fit in the first read; a larger one takes a second.
constexpr std::size_t kFirstRead = 4096;
// A reader needs only the frames, which in most tags end well before their padding does.
constexpr std::size_t kFirstReadForValues = 1024;

bool IsTag(std::string_view bytes) { return bytes.substr(0, 3) == "ID3"; }

// The first `size` bytes of the file, at least the header; false when fewer than 10 arrive.
bool ReadStart(int fd, std::size_t size, std::string &bytes)
{
    return cvtags::ReadUpTo(fd, 0, size, bytes) && bytes.size() >= kHeaderSize;
}

// Room a tag that grows gets for later edits, so that the next save fits in place.
std::size_t GrowthPadding(std::size_t body) { return 1024 + body / 10; }

// Puts `values` as the file's tag, or removes the tag when `values` is null. A new tag
// that fits in the old one's space (frames and padding) is written in place through an
// intent record; otherwise, and for a removal, the file is rewritten.
bool Rebuild(const std::filesystem::path &fileName, const cvtags::TagValues *values)
{
    // The rename replaces the real file, not a link pointing to it.
    std::error_code error;
    const std::filesystem::path file = std::filesystem::canonical(fileName, error);
    if (error || !std::filesystem::is_regular_file(file, error))
        return false;
    cvtags::WritableGuard writable(file);
    if (!writable.Ok())
        return false;
    cvtags::Recover(file);

    cvtags::FileDescriptor source;
    struct stat st {};
    std::string start;
    if (!cvtags::OpenRegular(file, O_RDWR, source, st) || !cvtags::LockExclusive(source.Get())
        || !ReadStart(source.Get(), kFirstRead, start))
        return false;
    const bool hasTag = IsTag(start);
    if (!values && !hasTag)
        return false;
    // A stated size past the end of the file leaves the old block in place as audio.
    const std::int64_t tagSize = hasTag ? cvtags::TagSizeFromHeader(start, st.st_size) : 0;
    const auto size = static_cast<std::size_t>(tagSize);

    std::string block;
    if (values) {
        cvtags::ParsedTag old;
        if (tagSize > 0) {
            if (size > start.size() && !cvtags::ReadUpTo(source.Get(), 0, size, start))
                return false;
            start.resize(std::min(start.size(), size));
            old = cvtags::ParseTag(start);
        }
        const auto body = cvtags::RenderBody(*values, old);
        if (!body)
            return false;
        const std::uint8_t major = cvtags::RenderedMajor(old);
        if (!cvtags::ContinueAfter(cvtags::SaveStep::Read))
            return false;
        if (tagSize > 0 && start.size() == size && cvtags::kHeaderSize + body->size() <= size) {
            block = cvtags::TagBlock(major, *body, size - cvtags::kHeaderSize - body->size());
            if (block == start) {
                writable.Keep();
                return true;
            }
            switch (cvtags::OverwriteStart(file, source.Get(), st, start, block)) {
            case cvtags::InPlace::Done:
                writable.Keep();
                return true;
            case cvtags::InPlace::Failed:
                return false;
            case cvtags::InPlace::NotPossible:
                // The rewrite below keeps the same room. The mark came and went: the file's
                // time is no longer the one read, but its bytes are.
                if (::fstat(source.Get(), &st) != 0)
                    return false;
                break;
            }
        } else {
            block = cvtags::TagBlock(major, *body, std::min(GrowthPadding(body->size()), cvtags::kMaxTagBody - body->size()));
        }
    } else if (!cvtags::ContinueAfter(cvtags::SaveStep::Read)) {
        return false;
    }
    if (!cvtags::ReplaceContent(file, source.Get(), st, block, static_cast<std::uint64_t>(tagSize)))
        return false;
    writable.Keep();
    return true;
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
    return cvtags::ReadFinished(fileName, [this](int fd, std::int64_t size, bool *marked) {
        return ReadFrom(fd, size, marked);
    });
}

bool TID3v2::ReadFrom(int fd, std::int64_t fileSize, bool *marked)
{
    ClearFields();
    // On the stack: a small tag costs one read and no allocation.
    char head[kFirstReadForValues];
    const std::int64_t got = cvtags::ReadUpTo(fd, 0, head, sizeof head);
    if (got < static_cast<std::int64_t>(kHeaderSize))
        return false;
    std::string_view bytes(head, static_cast<std::size_t>(got));
    if (!IsTag(bytes))
        return true;
    if (marked && (*marked = cvtags::SaveMarked(bytes)))
        return false;
    present_ = true;
    revision_ = static_cast<std::uint8_t>(bytes[3]);
    tagSize_ = static_cast<std::int32_t>(cvtags::TagSizeFromHeader(bytes, fileSize));
    if (tagSize_ == 0 || revision_ < 2 || revision_ > 4)
        return true;
    const auto size = static_cast<std::size_t>(tagSize_);
    // Into the fields' own strings: reading file after file allocates little.
    if (!cvtags::ReadValuesFromStart(bytes, size, values_)) {
        std::string whole(bytes), rest;
        // A failed read ends the frames where the bytes end.
        if (cvtags::ReadUpTo(fd, bytes.size(), size - bytes.size(), rest))
            whole += rest;
        cvtags::ReadValues(whole, values_);
    }
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
