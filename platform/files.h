#pragma once

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

// Why a file cannot be read, or written (made in its folder when missing); an empty error
// when the system shows no reason.
std::error_code ReadAccessError(const QString &path);
std::error_code WriteAccessError(const QString &path);

// The user's desktop folder, "" when there is none.
QString DesktopFolder();

// Adds write permission for the owner, keeping the other mode bits. False on failure.
bool ResetAttributes(const QString &path);
