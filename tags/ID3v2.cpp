#include "tags/ID3v2.h"

// Placeholder bodies until the tag reader and writer land.
TID3v2::TID3v2() { ClearFields(); }
void TID3v2::ClearFields()
{
    present_ = false; revision_ = 0; tagSize_ = 0; title_.clear(); artist_.clear(); album_.clear();
    year_.clear(); genre_.clear(); comment_.clear(); track_ = 0;
}
bool TID3v2::ReadTag(const std::filesystem::path &) { ClearFields(); return false; }
bool TID3v2::WriteTag(const std::filesystem::path &) const { return false; }
bool TID3v2::DeleteTag(const std::filesystem::path &) const { return false; }
bool TID3v2::Present() const { return present_; }
std::uint8_t TID3v2::Revision() const { return revision_; }
std::int32_t TID3v2::TagSize() const { return tagSize_; }
const std::string &TID3v2::Title() const { return title_; }
void TID3v2::SetTitle(std::string_view v) { title_ = v; }
const std::string &TID3v2::Artist() const { return artist_; }
void TID3v2::SetArtist(std::string_view v) { artist_ = v; }
const std::string &TID3v2::Album() const { return album_; }
void TID3v2::SetAlbum(std::string_view v) { album_ = v; }
const std::string &TID3v2::Year() const { return year_; }
void TID3v2::SetYear(std::string_view v) { year_ = v; }
const std::string &TID3v2::Genre() const { return genre_; }
void TID3v2::SetGenre(std::string_view v) { genre_ = v; }
const std::string &TID3v2::Comment() const { return comment_; }
void TID3v2::SetComment(std::string_view v) { comment_ = v; }
std::uint8_t TID3v2::Track() const { return track_; }
void TID3v2::SetTrack(std::uint8_t v) { track_ = v; }
