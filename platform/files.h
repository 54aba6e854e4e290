#pragma once

#include <QByteArray>
#include <QString>

#include <system_error>

// Renames a file or folder. Never replaces an existing entry; renaming onto the unchanged
// name succeeds; a change of letter case only succeeds on a file system that ignores case.
// A new name holding "/" in its last part, or equal to "." or "..", fails. Both paths are
// full paths; the new one may lie in another folder of the same volume. On failure `error`
// holds the reason: the system's errno (EEXIST when the new name is taken, EINVAL for a
// name that is refused).
bool RenameEntry(const QString &oldPath, const QString &newPath, std::error_code &error);
bool RenameEntry(const QString &oldPath, const QString &newPath);
// The same for paths as the file system names them.
bool RenameEntry(const QByteArray &oldPath, const QByteArray &newPath, std::error_code &error);

// The rename itself, for paths already checked (an entry at `from`, a different valid `to`):
// never replaces an entry; a change of letter case only succeeds where case is ignored.
bool RenameNoReplace(const QByteArray &from, const QByteArray &to, std::error_code &error);

// Whether the entry found under a new name is the renamed entry itself, spelled with other
// letter case: the names differ in letter case only, no entry of the folder is spelled exactly
// like the new name, and either both names lead to the same file, or the file system tells
// that it ignores case, or it refuses renames that never replace (FUSE file systems that
// ignore case give each spelling a file number of its own).
bool SameEntryRespelled(const QByteArray &oldName, const QByteArray &newName, bool sameFile, bool ignoresCase,
                        bool noReplaceRefused, bool exactNameListed);

// Why a file cannot be read, or written (made in its folder when missing); an empty error
// when the system shows no reason.
std::error_code ReadAccessError(const QString &path);
std::error_code WriteAccessError(const QString &path);

// Whether a native path names a folder (a link to one counts).
bool IsFolder(const QByteArray &path);

// The user's desktop folder, "" when there is none.
QString DesktopFolder();

// Adds write permission for the owner, keeping the other mode bits. False on failure.
bool ResetAttributes(const QString &path);
