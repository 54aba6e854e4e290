#pragma once

#include <QString>

// The five line transformations of the advanced renaming. A position p counts characters
// (code points, so a character outside the basic plane is never cut in two) from the start
// of the line: 0 is before the first character, p is after the p-th.

// Inserts the number first + index (filled with leading zeros up to length when fill is set,
// never cut) into the line at the position.
QString NumberLines(const QString &line, int index, int first, bool fill, int length, int position);

// Inserts the text at the position; beyond the end it is appended.
QString InsertText(const QString &line, const QString &text, int position);

// Removes up to count characters after the first `position` characters.
QString DeleteCharacters(const QString &line, int position, int count);

// Removes every occurrence of the text, letter case ignored, matches not overlapping.
QString DeleteText(const QString &line, const QString &text);

// Replaces every occurrence of oldText (letter case ignored, matches not overlapping, the
// replacement not searched again) by newText as typed.
QString ReplaceText(const QString &line, const QString &oldText, const QString &newText);

// The form of a text used for matching with letter case ignored: each character replaced by
// its capital where that takes as many code units, so indexes in both forms agree.
QString MatchForm(const QString &text);
