#include "platform/windows1252.h"

#include "tags/TagText.h"

#include <QList>

// The conversion table is the tag library's, so both sides agree on every byte.

QString FromWindows1252(std::string_view bytes)
{
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char ch : bytes)
        text.append(QChar(static_cast<char16_t>(cvtags::FromWindows1252(static_cast<unsigned char>(ch)))));
    return text;
}

std::string ToWindows1252(const QString &text)
{
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    // Walk by code point, so a character outside the basic plane gives one '?', not two.
    for (const char32_t c : text.toUcs4())
        bytes.push_back(cvtags::ToWindows1252(c));
    return bytes;
}
