#pragma once

// Renaming files from their tags: the names built from tag values, and the plan of renames.

#include "rename/renameplan.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>
#include <vector>

class TID3v1;
class TID3v2;

// The text preceded by as many "0" as it lacks to reach `width`; never shortened.
QString ZeroPad(const QString &text, int width);

// The field items of the rename sheet, in their initial order; an item is known by its text.
inline const QString RenameFieldTrack = QStringLiteral("Pista");
inline const QString RenameFieldTitle = QStringLiteral("Título");
inline const QString RenameFieldArtist = QStringLiteral("Artista");
inline const QString RenameFieldAlbum = QStringLiteral("Álbum");
QStringList RenameFields();

// The tag values of one file that a new name is built from (UTF-8, not copied:
// the tag object must outlive it).
struct RenameSource {
    std::uint8_t track = 0;
    const std::string *title = nullptr;
    const std::string *artist = nullptr;
    const std::string *album = nullptr;
};
RenameSource RenameSourceOf(const TID3v1 &tag);
RenameSource RenameSourceOf(const TID3v2 &tag);

// The new name of the file at `position` (from 0): the parts of the checked fields in order,
// joined by the separator, or "<nn><separator> Indefinido" when that gives nothing; then ".mp3".
// Texts of unknown fields are passed over.
QString RenameLine(const RenameSource &source, const QStringList &checkedFields, const QString &separator,
                   int position);
// The new names of all files, in order.
QStringList RenameLines(const std::vector<RenameSource> &sources, const QStringList &checkedFields,
                        const QString &separator);

// The preview's text: one line per name, with control characters shown as their visible
// symbols, so that a name holding a line break still takes exactly one line.
QString RenamePreviewText(const QStringList &names);

// Pairs each file (a full path as the file system names it) with the name of the same
// position inside `folder` (likewise); a file without a name, or whose name could leave the
// folder, holds a control character or starts with "." (hidden), or when there is no folder to
// go to, fails. Failures are reported by file name.
std::vector<RenameStep> PlanTagRename(const QList<QByteArray> &oldPaths, const QStringList &names,
                                      const QByteArray &folder);
