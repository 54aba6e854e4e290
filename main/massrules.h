#pragma once

// Mass assignment: the values derived from a file's path, the field they go into, and the
// copies of all values between the two tag versions.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>
#include <string_view>

class TID3v1;
class TID3v2;

// The value choices, in their order: positions 0, 1 and 2 of MassValueChoices().
enum class MassValue { Typed = -1, FileName = 0, NumberedFileName = 1, FolderName = 2 };
QStringList MassValueChoices();
// The choice a text of the value box stands for: the one it equals letter for letter, else Typed.
MassValue MassValueOf(const QString &text);
// The field choices, in their order.
enum class MassField { None = -1, Title = 0, Artist = 1, Album = 2, Comment = 3 };
QStringList MassFieldChoices();

// How many digits the running number of a list of `count` files has: 2, or 3 from 100 on.
int NumberWidth(int count);

// The value for the file at `position` (from 0) of `count` files: the typed text as it stands,
// or derived from the file's path.
QString MassValueFor(MassValue choice, const QString &typed, const QString &path, int position, int count);

// Puts a text (UTF-8) into a field through the tag's setter.
void SetMassField(TID3v1 &tag, MassField field, std::string_view value);
void SetMassField(TID3v2 &tag, MassField field, std::string_view value);

// The genre name of a version 1 genre number; "" for 255 and for numbers without a name.
std::string GenreTextOf(std::uint8_t genreIndex);
// The version 1 genre number of a genre text, letter case ignored: 255 for "", the name's
// number, 254 for a text that is no name.
std::uint8_t GenreIndexOf(std::string_view genre);

// Every value of one version into the other, through the setters (version 1 cuts them). The
// genre is the source's own, or the one given (the tag editor takes what its genre box shows).
void CopyV1ToV2(const TID3v1 &from, TID3v2 &to);
void CopyV1ToV2(const TID3v1 &from, TID3v2 &to, std::string_view genre);
void CopyV2ToV1(const TID3v2 &from, TID3v1 &to);
void CopyV2ToV1(const TID3v2 &from, TID3v1 &to, std::uint8_t genreIndex);
