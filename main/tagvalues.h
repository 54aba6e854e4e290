#pragma once

// How the tag editor's controls and the tag objects exchange values. No window needed.

#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>
#include <string_view>

// A tag value (UTF-8, as the tag objects hold it) as a text, and a text as a tag value. Every
// conversion between the two goes through these.
QString TagValueText(std::string_view value);
std::string TagValueOf(const QString &text);

// The items of both genre boxes: an empty first item, then the genre names in table order,
// so item n + 1 is genre number n.
QStringList GenreItems();

// The box item that shows a version 1 genre number: n + 1 for a named genre, 0 (the empty
// item) for 255, and -1 (no item) for the numbers 148 to 254, which have no name.
int GenreItemOfIndex(std::uint8_t genreIndex);

// The genre number an item of the version 1 box stands for: the empty item gives 255, item
// n + 1 genre n, no item (-1) gives 254.
std::uint8_t GenreIndexOfItem(int item);

// The item among GenreItems() whose text is `text`, ignoring letter case; "" is the empty
// first item; -1 when the text is none of them.
int FindGenreItem(QStringView text);

// Track shown in a track box (0 to 99).
int TrackToShow(std::uint8_t track);

// Year shown in a year box: a text of digits as its number, a text starting with four digits
// and something else (a date such as "2004-05-12") as those four digits, anything else 0.
// At most 9999.
int YearToShow(std::string_view year);

// The decimal text of a year box's value, without leading zeros ("0", "987").
std::string YearText(int value);

// Values saved from a box that still shows what the record holds keep the record's own value,
// so a year like "19xx" (or none), a track above 99 or a genre number without a name survives
// a save of the other fields. A box the user changed gives the box's value.
std::string YearToSave(int shown, const std::string &current);
std::uint8_t TrackToSave(int shown, std::uint8_t current);
std::uint8_t GenreIndexToSave(int item, std::uint8_t current);

// A text control's value to save: the record's own value while the control still shows what
// it was given for it (`shown`), so line breaks or characters the control shows differently
// are kept; otherwise the control's text as V1Text or V2Text gives it.
std::string V1TextToSave(const QString &text, const QString &shown, const std::string &current);
std::string V2TextToSave(const QString &text, const QString &shown, const std::string &current);

// A spin box's text as a whole number; 0 when it is not one (an empty box).
int SpinText(const QString &cleanText);

// A text of a version 1 edit as the setter receives it: at most 255 characters (the setter
// keeps what the trailer can hold of them).
std::string V1Text(const QString &text);
// A text of a version 2 control as a tag value.
std::string V2Text(const QString &text);

// "Fichero actual (2 de 5) :"; position counts from 0, (0 de 0) for none.
QString PositionCaption(int position, int count);
