#pragma once

#include "tags/TagFields.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace cvtags { class TagFile; }

// The 128-byte ID3v1 trailer at the end of an MP3 file. Texts are UTF-8; the trailer stores
// Windows-1252, so the setters keep of a text what it can hold: a character without a byte
// there becomes '?', and the lengths (30 and 4) count characters.
class TID3v1 {
public:
    TID3v1();                                        // ClearFields
    void ClearFields();
    bool ReadTag(const std::filesystem::path &fileName);
    bool WriteTag(const std::filesystem::path &fileName) const;
    bool DeleteTag(const std::filesystem::path &fileName) const;

    bool Present() const;
    std::uint8_t Revision() const;

    const std::string &Title() const;    void SetTitle(std::string_view value);
    const std::string &Artist() const;   void SetArtist(std::string_view value);
    const std::string &Album() const;    void SetAlbum(std::string_view value);
    const std::string &Year() const;     void SetYear(std::string_view value);
    const std::string &Comment() const;  void SetComment(std::string_view value);
    std::uint8_t Track() const;          void SetTrack(std::uint8_t value);
    std::uint8_t GenreIndex() const;     void SetGenreIndex(std::uint8_t value);

private:
    friend bool ReadTags(const std::filesystem::path &fileName, TID3v1 &v1, class TID3v2 &v2);
    bool ReadFrom(cvtags::TagFile &file);

    bool present_ = false;
    cvtags::TrailerFields fields_;
};

// The ID3v1 genre names, indexed by genre number (0 to 147); 255 means no genre.
extern const std::array<std::string_view, 148> GenreNames;
