#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Rules for the new names typed into the advanced-rename dialog, one name per line.

// The findings of forbidden characters: visiting the lines from the last to the first and
// each line from its first character, one sentence and a line break per occurrence. "" when
// every line may be used.
QString ForbiddenCharsReport(const QStringList &lines);
inline const QString RemoveForbiddenQuestion = QStringLiteral("¿Eliminar caracteres erróneos?");

// Every forbidden character removed from every line.
QStringList WithoutForbiddenChars(QStringList lines);

// Empty lines deleted; the others lose their leading and trailing spaces (only spaces), so a
// line of spaces becomes an empty line that stays.
QStringList TrimNewNames(const QStringList &lines);

// The warning when the numbers of old and new names differ.
QString CountMismatchText(qsizetype originals, qsizetype renamed);

// The lines of a text file of names: UTF-16 little- or big-endian when it starts with that
// byte-order mark, else UTF-8 when the bytes are valid UTF-8 (a byte-order mark dropped),
// Windows-1252 otherwise; lines end at CR, LF or CR LF, and a final line break starts no
// further line.
QStringList TextFileLines(const QByteArray &bytes);

// Whether replacing `sought` by `replacement` is refused: either holds the other (letter case
// counts; an empty replacement is held by nothing).
bool IsEquivalentReplacement(const QString &sought, const QString &replacement);
inline const QString EquivalentReplacementWarning =
    QStringLiteral("Esa sustitución no es válida. Lo está sustituyendo por un valor equivalente.");

// Reads a text file of names into its lines (TextFileLines). On failure (gone, a folder, no
// permission, too large to be a list of names) gives false and the error text naming the file.
bool ReadNameFile(const QString &path, QStringList &lines, QString &error);
