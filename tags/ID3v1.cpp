#include "tags/ID3v1.h"

#include "tags/ID3v1Trailer.h"
#include "tags/SafeSave.h"
#include "tags/TagError.h"
#include "tags/TagText.h"

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
bool ReadTrailer(cvtags::TagFile &file, char *bytes)
{
    return file.Size() >= kTrailerSize ? cvtags::ReadAt(file.Fd(), file.Size() - kTrailerSize, bytes, kTrailerSize)
                                        : cvtags::Fail(cvtags::TagError::TooShort);
}

bool HasTrailer(std::string_view bytes) { return bytes.substr(0, 3) == "TAG"; }

// Puts `block` (empty to remove the trailer) at the end of the file in place of an
// existing trailer. A file without one is left untouched when there is nothing to add.
bool ChangeTrailer(const std::filesystem::path &fileName, std::string_view block)
{
    char old[kTrailerSize];
    if (block.empty()) {
        // Nothing to remove is known without opening the file for writing.
        cvtags::TagFile reader;
        if (!reader.OpenRead(fileName) || !ReadTrailer(reader, old))
            return false;
        if (!HasTrailer(std::string_view(old, 3)))
            return true;
    }
    cvtags::TagFile file;
    if (!file.OpenWrite(fileName) || !ReadTrailer(file, old))
        return false;
    const std::uint64_t size = file.Size();
    const bool had = HasTrailer(std::string_view(old, 3));
    if (!had && block.empty())
        return true;
    const std::uint64_t offset = had ? size - kTrailerSize : size;
    const std::uint64_t newSize = block.empty() ? size - kTrailerSize : offset + kTrailerSize;
    // The audio before the trailer tells the file in the record, with the trailer itself.
    const std::uint64_t contextBegin = offset > 4096 ? offset - 4096 : 0;
    return file.Patch(offset, had ? std::string(old, kTrailerSize) : std::string(), std::string(block), newSize,
                      contextBegin, offset + kTrailerSize);
}

// A text as a setter keeps it.
std::string Held(std::string_view value, std::size_t characters)
{
    return cvtags::AsWindows1252Holds(cvtags::TrimmedRight(value), characters);
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
    cvtags::TagFile file;
    return file.OpenRead(fileName) && ReadFrom(file);
}

bool TID3v1::ReadFrom(cvtags::TagFile &file)
{
    char bytes[kTrailerSize];
    const bool read = ReadTrailer(file, bytes);
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

// Setters trim first and cut second, so a cut text may end in a blank; what they keep is what
// the trailer holds of the text, so the object shows what a write puts into the file.
const std::string &TID3v1::Title() const { return fields_.title; }
void TID3v1::SetTitle(std::string_view value) { fields_.title = Held(value, 30); }
const std::string &TID3v1::Artist() const { return fields_.artist; }
void TID3v1::SetArtist(std::string_view value) { fields_.artist = Held(value, 30); }
const std::string &TID3v1::Album() const { return fields_.album; }
void TID3v1::SetAlbum(std::string_view value) { fields_.album = Held(value, 30); }
const std::string &TID3v1::Year() const { return fields_.year; }
void TID3v1::SetYear(std::string_view value) { fields_.year = Held(value, 4); }
const std::string &TID3v1::Comment() const { return fields_.comment; }
void TID3v1::SetComment(std::string_view value) { fields_.comment = Held(value, 30); }
std::uint8_t TID3v1::Track() const { return fields_.track; }
void TID3v1::SetTrack(std::uint8_t value) { fields_.track = value; }
std::uint8_t TID3v1::GenreIndex() const { return fields_.genreIndex; }
void TID3v1::SetGenreIndex(std::uint8_t value) { fields_.genreIndex = value; }
