#include "main/tagvalues.h"

#include "tags/ID3v1.h"

#include <algorithm>

QString TagValueText(std::string_view value) { return QString::fromUtf8(value.data(), qsizetype(value.size())); }

std::string TagValueOf(const QString &text) { return text.toStdString(); }

QStringList GenreItems()
{
    QStringList items;
    items.reserve(qsizetype(GenreNames.size()) + 1);
    items.append(QString());
    for (std::string_view name : GenreNames)
        items.append(TagValueText(name));
    return items;
}

int GenreItemOfIndex(std::uint8_t genreIndex)
{
    if (genreIndex < GenreNames.size())
        return genreIndex + 1;
    return genreIndex == 255 ? 0 : -1;
}

std::uint8_t GenreIndexOfItem(int item) { return static_cast<std::uint8_t>(item - 1); }

int FindGenreItem(QStringView text)
{
    if (text.isEmpty())
        return 0;
    static const QStringList items = GenreItems();
    for (qsizetype i = 1; i < items.size(); ++i)
        if (text.compare(items[i], Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

int TrackToShow(std::uint8_t track) { return std::min<int>(track, 99); }

int YearToShow(std::string_view year)
{
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    std::size_t digits = 0;
    while (digits < year.size() && isDigit(year[digits]))
        ++digits;
    if (digits == 0 || (digits < year.size() && digits != 4))
        return 0;
    int value = 0;
    for (std::size_t i = 0; i < digits && value <= 9999; ++i)
        value = value * 10 + (year[i] - '0');
    return std::min(value, 9999);
}

std::string YearText(int value) { return std::to_string(value); }

std::string YearToSave(int shown, const std::string &current)
{
    // An empty year shows as 0; left at 0 it stays empty.
    if (shown == YearToShow(current))
        return current;
    return YearText(shown);
}

std::uint8_t TrackToSave(int shown, std::uint8_t current)
{
    return shown == TrackToShow(current) ? current : static_cast<std::uint8_t>(shown);
}

std::uint8_t GenreIndexToSave(int item, std::uint8_t current)
{
    return item == -1 && GenreItemOfIndex(current) == -1 ? current : GenreIndexOfItem(item);
}

int SpinText(const QString &cleanText)
{
    bool ok = false;
    const int value = cleanText.trimmed().toInt(&ok);
    return ok ? value : 0;
}

std::string V1Text(const QString &text) { return TagValueOf(text.left(255)); }

std::string V2Text(const QString &text) { return TagValueOf(text); }

std::string V1TextToSave(const QString &text, const QString &shown, const std::string &current)
{
    return text == shown ? current : V1Text(text);
}

std::string V2TextToSave(const QString &text, const QString &shown, const std::string &current)
{
    return text == shown ? current : V2Text(text);
}

QString PositionCaption(int position, int count)
{
    if (position < 0 || count <= 0)
        return QStringLiteral("Fichero actual (0 de 0) :");
    return QStringLiteral("Fichero actual (%1 de %2) :").arg(position + 1).arg(count);
}
