#pragma once

#include <QString>

#include <cstdint>

// One row of the file list: the parent entry, a drive, a folder or a file.
struct FileEntry {
    enum class Kind : std::uint8_t { Parent, Drive, Folder, File };

    // The caption of the parent entry. A file may have this name too: entries are told
    // apart by their kind, never by their caption.
    static inline const QString ParentCaption = QStringLiteral(" <- Anterior");

    QString name;                // the caption
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
    FileEntry::Kind kind = FileEntry::Kind::File;
    QString name;
};
