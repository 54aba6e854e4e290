#pragma once

#include "platform/paths.h"

#include <QByteArray>
#include <QString>

#include <cstdint>

// One row of the file list: the parent entry, a drive, a folder or a file.
struct FileEntry {
    enum class Kind : std::uint8_t { Parent, Drive, Folder, File };

    // The caption of the parent entry. A file may have this name too: entries are told
    // apart by their kind, never by their caption.
    static inline const QString ParentCaption = QStringLiteral(" <- Anterior");

    QString name;                // the caption: the text shown for `native`
    QByteArray native;           // the name's bytes, as the file system gave them
    Kind kind = Kind::File;
    bool hidden = false;
    bool readOnly = false;
    bool link = false;
    qint64 size = -1;            // bytes; -1 when unknown or meaningless
    qint64 modified = 0;         // seconds since the epoch; 0 when unknown
};

// One selected entry of a file list as it was when the selection was taken: what it is and
// its name. Operations on many entries work on such a snapshot, never on a list that may be
// re-read while they ask their questions.
struct SelectedEntry {
    SelectedEntry() = default;
    SelectedEntry(FileEntry::Kind entryKind, const QString &caption, const QByteArray &bytes = {})
        : kind(entryKind), name(caption), native(bytes)
    {
    }

    FileEntry::Kind kind = FileEntry::Kind::File;
    QString name;                // the caption
    QByteArray native;           // the name's bytes; empty for a name given as text (its UTF-8)
};

// The bytes of the selected entry's name.
inline QByteArray NativeName(const SelectedEntry &entry)
{
    return entry.native.isEmpty() ? NativePath(entry.name) : entry.native;
}
