#include "rename/newnames.h"

#include "platform/paths.h"
#include "platform/windows1252.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <string_view>

namespace {
bool IsForbidden(QChar c) { return ForbiddenNameChars.contains(c); }
} // namespace

QString ForbiddenCharsReport(const QStringList &lines)
{
    QString report;
    for (qsizetype i = lines.size() - 1; i >= 0; --i) {
        const QString &line = lines.at(i);
        for (const QChar c : line) {
            if (!IsForbidden(c))
                continue;
            report += QStringLiteral("El carácter '") + c + QStringLiteral("' en la línea ") + QString::number(i + 1)
                + QStringLiteral(" no está permitido para los nombres de ficheros.\n");
        }
    }
    return report;
}

QStringList WithoutForbiddenChars(QStringList lines)
{
    for (QString &line : lines)
        line.removeIf(IsForbidden);
    return lines;
}

QStringList TrimNewNames(const QStringList &lines)
{
    QStringList trimmed;
    trimmed.reserve(lines.size());
    for (const QString &line : lines) {
        if (line.isEmpty())
            continue;
        qsizetype start = 0;
        qsizetype end = line.size();
        while (start < end && line.at(start) == u' ')
            ++start;
        while (end > start && line.at(end - 1) == u' ')
            --end;
        trimmed.append(start == 0 && end == line.size() ? line : line.mid(start, end - start));
    }
    return trimmed;
}

QString CountMismatchText(qsizetype originals, qsizetype renamed)
{
    return QStringLiteral("El número de ficheros en las listas no coincide.\n\nFicheros originales: ")
        + QString::number(originals) + QStringLiteral("\nFicheros renombrados: ") + QString::number(renamed);
}

QStringList TextFileLines(const QByteArray &bytes)
{
    QString text;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        // UTF-16 as its byte-order mark says; a pair that is no character shows as U+FFFD.
        const bool little = bytes.startsWith("\xFF\xFE");
        QStringDecoder utf16(little ? QStringDecoder::Utf16LE : QStringDecoder::Utf16BE);
        text = utf16.decode(bytes.mid(2));
        if (bytes.size() % 2 != 0)
            text += QChar::ReplacementCharacter;
    } else {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        text = utf8.decode(bytes);
        if (utf8.hasError())
            text = FromWindows1252(std::string_view(bytes.constData(), std::size_t(bytes.size())));
        else if (text.startsWith(QChar(0xFEFF)))
            text.remove(0, 1);
    }
    QStringList lines;
    qsizetype start = 0;
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c != u'\r' && c != u'\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == u'\r' && i + 1 < size && text.at(i + 1) == u'\n')
            ++i;
        start = i + 1;
    }
    if (start < size)
        lines.append(text.mid(start));
    return lines;
}

bool IsEquivalentReplacement(const QString &sought, const QString &replacement)
{
    return (!replacement.isEmpty() && sought.contains(replacement)) || replacement.contains(sought);
}

bool ReadNameFile(const QString &path, QStringList &lines, QString &error)
{
    // Far more than any list of names; a larger file is surely not one and would only stall
    // the editor.
    constexpr qint64 MaxBytes = 64 * 1024 * 1024;
    const QString cannot = QStringLiteral("No se puede abrir el fichero \"%1\".").arg(path);
    const QFileInfo info(path);
    if (info.isDir()) {
        error = cannot + QStringLiteral("\nEs una carpeta.");
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = cannot + u'\n' + file.errorString();
        return false;
    }
    const QString tooLarge = cannot + QStringLiteral("\nEs demasiado grande para ser una lista de nombres.");
    if (file.size() > MaxBytes) {
        error = tooLarge;
        return false;
    }
    const QByteArray bytes = file.read(MaxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        error = cannot + u'\n' + file.errorString();
        return false;
    }
    if (bytes.size() > MaxBytes) {
        error = tooLarge;
        return false;
    }
    lines = TextFileLines(bytes);
    return true;
}
