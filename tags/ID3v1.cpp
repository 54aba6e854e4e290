#include "tags/ID3v1.h"

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

// Placeholder bodies until the trailer reader and writer land.
TID3v1::TID3v1() { ClearFields(); }
void TID3v1::ClearFields()
{
    present_ = false; revision_ = 1; title_.clear(); artist_.clear(); album_.clear(); year_.clear();
    comment_.clear(); track_ = 0; genreIndex_ = 255;
}
bool TID3v1::ReadTag(const std::filesystem::path &) { ClearFields(); return false; }
bool TID3v1::WriteTag(const std::filesystem::path &) const { return false; }
bool TID3v1::DeleteTag(const std::filesystem::path &) const { return false; }
bool TID3v1::Present() const { return present_; }
std::uint8_t TID3v1::Revision() const { return revision_; }
const std::string &TID3v1::Title() const { return title_; }
void TID3v1::SetTitle(std::string_view v) { title_ = v; }
const std::string &TID3v1::Artist() const { return artist_; }
void TID3v1::SetArtist(std::string_view v) { artist_ = v; }
const std::string &TID3v1::Album() const { return album_; }
void TID3v1::SetAlbum(std::string_view v) { album_ = v; }
const std::string &TID3v1::Year() const { return year_; }
void TID3v1::SetYear(std::string_view v) { year_ = v; }
const std::string &TID3v1::Comment() const { return comment_; }
void TID3v1::SetComment(std::string_view v) { comment_ = v; }
std::uint8_t TID3v1::Track() const { return track_; }
void TID3v1::SetTrack(std::uint8_t v) { track_ = v; }
std::uint8_t TID3v1::GenreIndex() const { return genreIndex_; }
void TID3v1::SetGenreIndex(std::uint8_t v) { genreIndex_ = v; }
