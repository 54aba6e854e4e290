#include "tags/ID3v1.h"

#include "tags/FileOps.h"
#include "tags/ID3v1Trailer.h"
#include "tags/ID3v2Block.h"
#include "tags/SafeSave.h"
#include "tags/TagText.h"

#include <fcntl.h>
#include <unistd.h>

const std::array<std::string_view, 148> GenreNames = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz", "Metal",
    "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno", "Industrial",
    "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop", "Vocal", "Jazz+Funk",
    "Fusion", "Trance", "Classical", "Instrumental", "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise",
    "AlternRock", "Bass", "Soul", "Punk", "Space", "Meditative", "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic",
    "Darkwave", "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy", "Cult", "Gangsta",
    "Top 40", "Christian Rap", "Pop/Funk", "Jungle", "Native American", "Cabaret", "New Wave", "Psychadelic", "Rave", "Showtunes",
    "Trailer", "Lo-Fi", "Tribal", "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical", "Rock & Roll", "Hard Rock",
    "Folk", "Folk-Rock", "National Folk", "Swing", "Fast Fusion", "Bebob", "Latin", "Revival", "Celtic", "Bluegrass",
    "Avantgarde", "Gothic Rock", "Progessive Rock", "Psychedelic Rock", "Symphonic Rock", "Slow Rock", "Big Band", "Chorus", "Easy Listening", "Acoustic",
    "Humour", "Speech", "Chanson", "Opera", "Chamber Music", "Sonata", "Symphony", "Booty Bass", "Primus", "Porn Groove",
    "Satire", "Slow Jam", "Club", "Tango", "Samba", "Folklore", "Ballad", "Power Ballad", "Rhythmic Soul", "Freestyle",
    "Duet", "Punk Rock", "Drum Solo", "A capella", "Euro-House", "Dance Hall", "Goa", "Drum & Bass", "Club-House", "Hardcore",
    "Terror", "Indie", "BritPop", "Negerpunk", "Polsk Punk", "Beat", "Christian Gangsta Rap", "Heavy Metal", "Black Metal", "Crossover",
    "Contemporary Christian", "Christian Rock", "Merengue", "Salsa", "Trash Metal", "Anime", "JPop", "Synthpop",
};

namespace {

using cvtags::kTrailerSize;

// The last 128 bytes of an open file; false when it is shorter or a read fails.
bool ReadTrailer(int fd, std::int64_t fileSize, char *bytes)
{
    return fileSize >= static_cast<std::int64_t>(kTrailerSize)
           && cvtags::ReadAt(fd, static_cast<std::uint64_t>(fileSize) - kTrailerSize, bytes, kTrailerSize);
}

bool ReadTrailer(int fd, std::int64_t fileSize, std::string &bytes)
{
    bytes.assign(kTrailerSize, '\0');
    return ReadTrailer(fd, fileSize, bytes.data());
}

bool HasTrailer(std::string_view bytes) { return bytes.substr(0, 3) == "TAG"; }

// Puts `block` (empty to remove the trailer) at the end of the file in place of an
// existing trailer. A file without one is left untouched when there is nothing to add.
bool ChangeTrailer(const std::filesystem::path &fileName, std::string_view block)
{
    // An interrupted version 2 save is finished first: its record names the file's size.
    std::error_code error;
    const std::filesystem::path file = std::filesystem::canonical(fileName, error);
    if (error)
        return false;
    cvtags::Recover(file);
    cvtags::FileDescriptor fd;
    struct stat st {};
    std::string old;
    if (!cvtags::OpenRegular(file, O_RDONLY, fd, st) || !ReadTrailer(fd.Get(), st.st_size, old))
        return false;
    if (!HasTrailer(old) && block.empty())
        return true;
    fd.Close();

    cvtags::WritableGuard writable(file);
    if (!writable.Ok() || !cvtags::OpenRegular(file, O_RDWR, fd, st) || !cvtags::LockExclusive(fd.Get())
        || !ReadTrailer(fd.Get(), st.st_size, old))
        return false;
    const auto size = static_cast<std::uint64_t>(st.st_size);
    const bool had = HasTrailer(old);
    if (!had && block.empty())
        return true;
    bool ok;
    if (block.empty()) {
        ok = ::ftruncate(fd.Get(), static_cast<off_t>(size - kTrailerSize)) == 0;
    } else if (had) {
        // Overwritten in place, so there is no moment without a trailer.
        ok = cvtags::WriteAt(fd.Get(), size - kTrailerSize, block);
        if (!ok)
            cvtags::WriteAt(fd.Get(), size - kTrailerSize, old);
    } else {
        ok = cvtags::WriteAt(fd.Get(), size, block);
        // Best effort: should the cut fail too, the bytes that arrived stay behind the audio.
        if (!ok && ::ftruncate(fd.Get(), static_cast<off_t>(size)) != 0)
            ok = false;
    }
    ok = fd.Close() && ok;
    if (ok)
        writable.Keep();
    return ok;
}

} // namespace

TID3v1::TID3v1() { ClearFields(); }

void TID3v1::ClearFields()
{
    present_ = false;
    fields_.revision = 1;
    fields_.title.clear();
    fields_.artist.clear();
    fields_.album.clear();
    fields_.year.clear();
    fields_.comment.clear();
    fields_.track = 0;
    fields_.genreIndex = 255;
}

bool TID3v1::ReadTag(const std::filesystem::path &fileName)
{
    ClearFields();
    return cvtags::ReadFinished(fileName, [this](int fd, std::int64_t size, bool *marked) {
        // The trailer never goes through a record, but a save of the other tag may have
        // been cut short: the read finishes it, as every read does.
        char head[cvtags::kHeaderSize];
        if (marked && cvtags::ReadUpTo(fd, 0, head, sizeof head) == sizeof head
            && (*marked = cvtags::SaveMarked(std::string_view(head, sizeof head))))
            return false;
        return ReadFrom(fd, size);
    });
}

bool TID3v1::ReadFrom(int fd, std::int64_t fileSize)
{
    char bytes[kTrailerSize];
    const bool read = ReadTrailer(fd, fileSize, bytes);
    // A trailer sets every field; only its absence clears them.
    if (!read || !cvtags::ParseTrailer(std::string_view(bytes, sizeof bytes), fields_))
        ClearFields();
    else
        present_ = true;
    return read;
}

bool TID3v1::WriteTag(const std::filesystem::path &fileName) const
{
    return ChangeTrailer(fileName, cvtags::RenderTrailer(*this));
}

bool TID3v1::DeleteTag(const std::filesystem::path &fileName) const
{
    return ChangeTrailer(fileName, {});
}

bool TID3v1::Present() const { return present_; }
std::uint8_t TID3v1::Revision() const { return fields_.revision; }

// Setters trim first and cut second, so a cut text may end in a blank.
const std::string &TID3v1::Title() const { return fields_.title; }
void TID3v1::SetTitle(std::string_view value) { fields_.title = cvtags::TrimRight(value).substr(0, 30); }
const std::string &TID3v1::Artist() const { return fields_.artist; }
void TID3v1::SetArtist(std::string_view value) { fields_.artist = cvtags::TrimRight(value).substr(0, 30); }
const std::string &TID3v1::Album() const { return fields_.album; }
void TID3v1::SetAlbum(std::string_view value) { fields_.album = cvtags::TrimRight(value).substr(0, 30); }
const std::string &TID3v1::Year() const { return fields_.year; }
void TID3v1::SetYear(std::string_view value) { fields_.year = cvtags::TrimRight(value).substr(0, 4); }
const std::string &TID3v1::Comment() const { return fields_.comment; }
void TID3v1::SetComment(std::string_view value) { fields_.comment = cvtags::TrimRight(value).substr(0, 30); }
std::uint8_t TID3v1::Track() const { return fields_.track; }
void TID3v1::SetTrack(std::uint8_t value) { fields_.track = value; }
std::uint8_t TID3v1::GenreIndex() const { return fields_.genreIndex; }
void TID3v1::SetGenreIndex(std::uint8_t value) { fields_.genreIndex = value; }
