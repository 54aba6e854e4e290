#include "platform/windows1252.h"

#include "tags/TagText.h"

// The conversion table is the tag library's, so both sides agree on every byte.

QString FromWindows1252(std::string_view bytes)
{
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char ch : bytes)
        text.append(QChar(static_cast<char16_t>(cvtags::FromWindows1252(static_cast<unsigned char>(ch)))));
    return text;
}
