#include "platform/paths.h"

#include <QList>

#include <vector>

QString FileNamePart(const QString &path) { return path.mid(path.lastIndexOf(u'/') + 1); }

QString ExtensionOf(const QString &fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    return dot < 0 ? QString() : fileName.mid(dot + 1);
}

QString FileNameWithoutExtension(const QString &path)
{
    const QString name = FileNamePart(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot < 0 ? name : name.left(dot);
}

QString FolderNameOf(const QString &path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    if (slash < 0)
        return {};
    QString folder = path.left(slash);
    while (folder.endsWith(u'/'))
        folder.chop(1);
    if (folder.isEmpty()) // only "/" stood before the name: the root folder
        return QStringLiteral("/");
    return FileNamePart(folder);
}

bool NameLeavesFolder(const QString &name)
{
    return name.isEmpty() || name == u"." || name == u".." || name.contains(u'/') || name.contains(QChar(0));
}

bool NameLeavesFolder(const QByteArray &native)
{
    return native.isEmpty() || native == "." || native == ".." || native.contains('/') || native.contains('\0');
}

bool HasControlChars(const QString &name)
{
    for (const QChar c : name)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            return true;
    return false;
}

QString VisibleName(const QString &name)
{
    if (!HasControlChars(name))
        return name;
    QString shown;
    shown.reserve(name.size());
    for (const QChar c : name) {
        const char16_t code = c.unicode();
        if (code < 0x20)
            shown += QChar(char16_t(0x2400 + code)); // the control pictures block
        else if (code == 0x7F)
            shown += QChar(char16_t(0x2421));
        else
            shown += c;
    }
    return shown;
}

QString VisibleNameLines(const QStringList &names)
{
    QStringList shown;
    shown.reserve(names.size());
    for (const QString &name : names)
        shown.append(VisibleName(name));
    return shown.join(u'\n');
}

QString PathInFolder(const QString &folder, const QString &name)
{
    if (!folder.startsWith(u'/') || NameLeavesFolder(name))
        return {};
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

QByteArray PathInFolder(const QByteArray &folder, const QByteArray &name)
{
    if (!folder.startsWith('/') || NameLeavesFolder(name))
        return {};
    return folder.endsWith('/') ? folder + name : folder + '/' + name;
}

namespace {

// The length of the UTF-8 character at the start of `bytes` (1 to 4), or 0 when its bytes
// are no valid UTF-8 (a stray continuation byte, an overlong form, a surrogate, beyond U+10FFFF,
// or cut short).
qsizetype CharLength(const unsigned char *p, qsizetype left)
{
    const unsigned char lead = p[0];
    if (lead < 0x80)
        return 1;
    qsizetype length = 0;
    unsigned char low = 0x80, high = 0xBF; // the range of the second byte
    if (lead >= 0xC2 && lead <= 0xDF)
        length = 2;
    else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else
        return 0;
    if (left < length || p[1] < low || p[1] > high)
        return 0;
    for (qsizetype i = 2; i < length; ++i)
        if ((p[i] & 0xC0) != 0x80)
            return 0;
    return length;
}

// The native name cut into its characters: each valid UTF-8 character, and each byte that is
// not part of one, with where it starts in the bytes and in the text shown.
struct Piece {
    qsizetype byteStart, bytes, unitStart, units;
};

std::vector<Piece> PiecesOf(QByteArrayView native)
{
    std::vector<Piece> pieces;
    pieces.reserve(std::size_t(native.size()));
    const auto *p = reinterpret_cast<const unsigned char *>(native.data());
    qsizetype units = 0;
    for (qsizetype at = 0; at < native.size();) {
        const qsizetype length = CharLength(p + at, native.size() - at);
        const qsizetype taken = length ? length : 1;
        const qsizetype shown = length == 4 ? 2 : 1; // beyond U+FFFF: a surrogate pair
        pieces.push_back({at, taken, units, shown});
        at += taken;
        units += shown;
    }
    return pieces;
}

int HexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    return -1;
}

} // namespace

bool IsUtf8(QByteArrayView native) { return native.isValidUtf8(); }

QByteArray NativePath(const QString &text) { return text.toUtf8(); }

QString PathFromNative(QByteArrayView native)
{
    if (IsUtf8(native))
        return QString::fromUtf8(native);
    QString text;
    text.reserve(native.size());
    const auto *p = reinterpret_cast<const unsigned char *>(native.data());
    qsizetype run = 0; // start of the valid bytes not yet added
    for (qsizetype at = 0; at < native.size();) {
        const qsizetype length = CharLength(p + at, native.size() - at);
        if (length) {
            at += length;
            continue;
        }
        text += QString::fromUtf8(native.sliced(run, at - run));
        text += QChar::ReplacementCharacter;
        run = ++at;
    }
    text += QString::fromUtf8(native.sliced(run));
    return text;
}

QByteArray NativeFileName(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash < 0 ? path : path.mid(slash + 1);
}

QByteArray NativeFolderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

QByteArray CleanNativePath(const QByteArray &path)
{
    if (!path.startsWith('/'))
        return path;
    QList<QByteArray> parts;
    for (const QByteArray &part : path.split('/')) {
        if (part.isEmpty() || part == ".")
            continue;
        if (part == "..") {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    if (parts.isEmpty())
        return QByteArrayLiteral("/");
    QByteArray clean;
    clean.reserve(path.size());
    for (const QByteArray &part : parts) {
        clean += '/';
        clean += part;
    }
    return clean;
}

QByteArray NativeRenamed(const QByteArray &oldNative, const QString &newText)
{
    if (IsUtf8(oldNative))
        return NativePath(newText);
    const QString oldText = PathFromNative(oldNative);
    const std::vector<Piece> pieces = PiecesOf(oldNative);
    const QStringView oldView(oldText);
    const QStringView newView(newText);
    const auto same = [&](const Piece &piece, qsizetype at) {
        return at >= 0 && at + piece.units <= newView.size()
            && oldView.sliced(piece.unitStart, piece.units) == newView.sliced(at, piece.units);
    };
    std::size_t kept = 0; // pieces kept at the start
    while (kept < pieces.size() && same(pieces[kept], pieces[kept].unitStart))
        ++kept;
    const qsizetype startUnits = kept < pieces.size() ? pieces[kept].unitStart : oldText.size();
    const qsizetype startBytes = kept < pieces.size() ? pieces[kept].byteStart : oldNative.size();
    std::size_t keptAtEnd = 0;
    qsizetype endUnits = 0;
    qsizetype endBytes = 0;
    while (keptAtEnd < pieces.size() - kept) {
        const Piece &piece = pieces[pieces.size() - 1 - keptAtEnd];
        const qsizetype at = newView.size() - endUnits - piece.units;
        if (at < startUnits || !same(piece, at))
            break;
        endUnits += piece.units;
        endBytes += piece.bytes;
        ++keptAtEnd;
    }
    return oldNative.left(startBytes) + NativePath(newText.mid(startUnits, newText.size() - startUnits - endUnits))
         + oldNative.right(endBytes);
}

QString StoredPath(const QByteArray &native)
{
    if (IsUtf8(native))
        return QString::fromUtf8(native);
    QString stored;
    for (const Piece &piece : PiecesOf(native)) {
        const QByteArrayView bytes = QByteArrayView(native).sliced(piece.byteStart, piece.bytes);
        if (piece.units == 1 && bytes.size() == 1 && static_cast<unsigned char>(bytes[0]) >= 0x80)
            stored += QStringLiteral("%%1").arg(static_cast<unsigned char>(bytes[0]), 2, 16, QLatin1Char('0')).toUpper();
        else if (bytes == "%")
            stored += QStringLiteral("%25");
        else
            stored += QString::fromUtf8(bytes);
    }
    return stored;
}

QByteArray PlainStoredPath(const QString &stored) { return NativePath(stored); }

QByteArray PathFromStored(const QString &stored)
{
    const QByteArray plain = NativePath(stored);
    if (!plain.contains('%'))
        return plain;
    QByteArray decoded;
    decoded.reserve(plain.size());
    for (qsizetype i = 0; i < plain.size(); ++i) {
        const int high = i + 2 < plain.size() && plain[i] == '%' ? HexValue(char16_t(uchar(plain[i + 1]))) : -1;
        const int low = high >= 0 ? HexValue(char16_t(uchar(plain[i + 2]))) : -1;
        if (low >= 0) {
            decoded += char(high * 16 + low);
            i += 2;
        } else {
            decoded += plain[i];
        }
    }
    return IsUtf8(decoded) ? plain : decoded;
}

std::filesystem::path TagFilePath(const QString &path) { return TagFilePath(NativePath(path)); }

std::filesystem::path TagFilePath(const QByteArray &native)
{
    return std::filesystem::path(std::string(native.constData(), std::size_t(native.size())));
}
