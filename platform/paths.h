#pragma once

// File and folder names and the paths made of them. Every split, join and conversion of a
// path happens here, so that how names are held can change in one place.

#include <QByteArray>
#include <QString>

#include <filesystem>

// The characters refused in a new file name and in an extension.
inline const QString ForbiddenNameChars = QStringLiteral("\"/:<>?\\|");

// What follows the last "/" of a path.
QString FileNamePart(const QString &path);

// The characters after the last "." of a file name; "" when there is none or it ends with ".".
QString ExtensionOf(const QString &fileName);

// The file's name (what follows the last "/") without its extension: everything before the
// last "."; a name without "." stays whole.
QString FileNameWithoutExtension(const QString &path);

// The last part of the file's folder; "/" for a file in the root folder.
QString FolderNameOf(const QString &path);

// Whether a new name could leave its folder or name no entry: empty, ".", "..", or holding
// "/" or a NUL character.
bool NameLeavesFolder(const QString &name);

// Joins a folder (a full path) and an entry name; "" when the folder is no real folder (the
// list of drives) or the name could leave it, so such a path can never reach a rename.
QString PathInFolder(const QString &folder, const QString &name);

// The bytes the file system is given for a path, and the path those bytes show.
QByteArray NativePath(const QString &path);
QString PathFromNative(const QByteArray &bytes);

// The path the tag library is given for a file.
std::filesystem::path TagFilePath(const QString &path);
