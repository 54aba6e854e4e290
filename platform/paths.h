#pragma once

// File and folder names and the paths made of them. Every split, join and conversion of a
// path happens here, so that how names are held can change in one place.
//
// A name or path that came from the file system is held as its bytes ("native"), beside the
// text shown for it; the text is never encoded back. The text decodes the bytes as UTF-8 and
// shows each byte that is not part of a UTF-8 character as U+FFFD. Names typed by the user or
// made from tags are text, and reach the file system as UTF-8.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

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
bool NameLeavesFolder(const QByteArray &native);

// Whether a name holds a control character (U+0000 to U+001F, U+007F).
bool HasControlChars(const QString &name);

// A name as a preview shows it: each control character as its visible symbol (U+2400 to
// U+241F, U+2421), so that a name holding a line break still takes exactly one line.
QString VisibleName(const QString &name);
// Names as a preview shows them, one per line.
QString VisibleNameLines(const QStringList &names);

// Joins a folder (a full path) and an entry name; "" when the folder is no real folder (the
// list of drives) or the name could leave it, so such a path can never reach a rename.
QString PathInFolder(const QString &folder, const QString &name);
QByteArray PathInFolder(const QByteArray &folder, const QByteArray &name);

// The bytes the file system is given for a text (UTF-8), and the text shown for bytes it gave.
QByteArray NativePath(const QString &text);
QString PathFromNative(QByteArrayView native);
bool IsUtf8(QByteArrayView native);

// What follows the last "/" of a native path; its folder ("/" for the root, "." for a bare name).
QByteArray NativeFileName(const QByteArray &path);
QByteArray NativeFolderOf(const QByteArray &path);
// An absolute native path without "." and ".." parts, repeated "/" or a final "/" (the root
// stays "/"); a path that is not absolute is given back unchanged.
QByteArray CleanNativePath(const QByteArray &path);

// The bytes of a new name made from an old one by changing its text (an extension changed,
// text numbered, inserted or replaced): the characters the new text keeps at its start and at
// its end keep the old name's own bytes, the rest is UTF-8. For an old name that is UTF-8
// this is NativePath(newText).
QByteArray NativeRenamed(const QByteArray &oldNative, const QString &newText);

// A native path as the settings store it, and back. A path that is UTF-8 is stored as its
// text; in any other, each byte that is not part of a UTF-8 character, and each "%", becomes
// "%" and two capital hexadecimal digits. Reading decodes the escapes only when they give such
// bytes, so every path stored as plain text reads back unchanged, unless its text also reads
// as such an escaped path (`PlainStoredPath` gives that reading).
QString StoredPath(const QByteArray &native);
QByteArray PathFromStored(const QString &stored);
QByteArray PlainStoredPath(const QString &stored);

// The path the tag library is given for a file.
std::filesystem::path TagFilePath(const QString &path);
std::filesystem::path TagFilePath(const QByteArray &native);
