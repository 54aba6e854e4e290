#pragma once

#include "tags/TagFields.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace cvtags { class TagFile; }

// The ID3v2 tag block at the start of an MP3 file. Texts are UTF-8, whatever encoding a frame
// uses; a new frame is Latin-1 when that holds its text, UTF-16 when Windows-1252 does, else
// UTF-16 (version 3) or UTF-8 (version 4).
class TID3v2 {
public:
    TID3v2();                                        // ClearFields
    void ClearFields();
    bool ReadTag(const std::filesystem::path &fileName);
    bool WriteTag(const std::filesystem::path &fileName) const;
    bool DeleteTag(const std::filesystem::path &fileName) const;

    bool Present() const;
    std::uint8_t Revision() const;
    std::int32_t TagSize() const;

    const std::string &Title() const;    void SetTitle(std::string_view value);
    const std::string &Artist() const;   void SetArtist(std::string_view value);
    const std::string &Album() const;    void SetAlbum(std::string_view value);
    const std::string &Year() const;     void SetYear(std::string_view value);
    const std::string &Genre() const;    void SetGenre(std::string_view value);
    const std::string &Comment() const;  void SetComment(std::string_view value);
    std::uint8_t Track() const;          void SetTrack(std::uint8_t value);

private:
    friend bool ReadTags(const std::filesystem::path &fileName, class TID3v1 &v1, TID3v2 &v2);
    bool ReadFrom(cvtags::TagFile &file);

    bool present_ = false;
    std::uint8_t revision_ = 0;
    std::int32_t tagSize_ = 0;
    cvtags::TagValues values_;
};
