#include "rename/transformations.h"

namespace {

// Code-unit index of the place after the first `position` characters; -1 when the line has
// fewer characters.
qsizetype IndexOfCharacter(const QString &line, int position)
{
    qsizetype index = 0;
    for (int seen = 0; seen < position; ++seen) {
        if (index >= line.size())
            return -1;
        index += (line.at(index).isHighSurrogate() && index + 1 < line.size() && line.at(index + 1).isLowSurrogate())
            ? 2
            : 1;
    }
    return index;
}

QString InsertAt(const QString &line, const QString &text, int position)
{
    if (text.isEmpty())
        return line;
    const qsizetype index = position <= 0 ? 0 : IndexOfCharacter(line, position);
    if (index < 0)
        return line + text;
    QString result;
    result.reserve(line.size() + text.size());
    result.append(QStringView(line).left(index)).append(text).append(QStringView(line).mid(index));
    return result;
}

QString Substitute(const QString &line, const QString &sought, const QString &replacement)
{
    if (sought.isEmpty() || line.size() < sought.size())
        return line;
    const QString lineForm = MatchForm(line);
    const QString soughtForm = MatchForm(sought);
    qsizetype match = lineForm.indexOf(soughtForm);
    if (match < 0)
        return line;
    QString result;
    result.reserve(line.size());
    qsizetype from = 0;
    while (match >= 0) {
        result.append(QStringView(line).mid(from, match - from)).append(replacement);
        from = match + sought.size();
        match = lineForm.indexOf(soughtForm, from);
    }
    result.append(QStringView(line).mid(from));
    return result;
}

} // namespace

QString MatchForm(const QString &text)
{
    QString form = text;
    QChar *out = form.data();
    const qsizetype size = form.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = out[i];
        if (c.isHighSurrogate() && i + 1 < size && out[i + 1].isLowSurrogate()) {
            const char32_t upper = QChar::toUpper(QChar::surrogateToUcs4(c, out[i + 1]));
            if (QChar::requiresSurrogates(upper)) {
                out[i] = QChar(QChar::highSurrogate(upper));
                out[i + 1] = QChar(QChar::lowSurrogate(upper));
            }
            ++i;
        } else {
            const char32_t upper = QChar::toUpper(char32_t(c.unicode()));
            if (!QChar::requiresSurrogates(upper))
                out[i] = QChar(char16_t(upper));
        }
    }
    return form;
}

QString NumberLines(const QString &line, int index, int first, bool fill, int length, int position)
{
    QString number = QString::number(qint64(first) + index);
    if (fill && number.size() < length)
        number.prepend(QString(length - number.size(), u'0'));
    return InsertAt(line, number, position);
}

QString InsertText(const QString &line, const QString &text, int position) { return InsertAt(line, text, position); }

QString DeleteCharacters(const QString &line, int position, int count)
{
    if (count <= 0)
        return line;
    const qsizetype start = IndexOfCharacter(line, qMax(position, 0));
    if (start < 0 || start >= line.size())
        return line;
    qsizetype end = start;
    for (int removed = 0; removed < count && end < line.size(); ++removed)
        end += (line.at(end).isHighSurrogate() && end + 1 < line.size() && line.at(end + 1).isLowSurrogate()) ? 2 : 1;
    QString result = line;
    result.remove(start, end - start);
    return result;
}

QString DeleteText(const QString &line, const QString &text) { return Substitute(line, text, QString()); }

QString ReplaceText(const QString &line, const QString &oldText, const QString &newText)
{
    return Substitute(line, oldText, newText);
}
