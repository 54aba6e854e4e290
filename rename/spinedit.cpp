#include "rename/spinedit.h"

#include <QLocale>

#include <algorithm>

NumberSpinEdit::NumberSpinEdit(QWidget *parent, int minimum, int maximum, int value) : QSpinBox(parent)
{
    setRange(minimum, maximum);
    setValue(value);
    setAccelerated(true);
}

bool NumberSpinEdit::ParseNegative(const QString &text, int &value) const
{
    const QString trimmed = text.trimmed();
    if (!trimmed.startsWith(u'-') && !trimmed.startsWith(locale().negativeSign()))
        return false;
    bool ok = false;
    const qlonglong number = locale().toLongLong(trimmed, &ok);
    if (!ok) {
        // Too many digits for a number still reads as "below the minimum".
        const QString digits = trimmed.mid(1);
        ok = !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit(); });
        value = minimum();
        return ok;
    }
    value = int(qBound(qlonglong(minimum()), number, qlonglong(maximum())));
    return true;
}

QValidator::State NumberSpinEdit::validate(QString &input, int &pos) const
{
    const QString trimmed = input.trimmed();
    if (trimmed == u"-" || trimmed == locale().negativeSign())
        return QValidator::Intermediate;
    int value = 0;
    if (ParseNegative(input, value))
        return QValidator::Acceptable;
    return QSpinBox::validate(input, pos);
}

int NumberSpinEdit::valueFromText(const QString &text) const
{
    int value = 0;
    if (ParseNegative(text, value))
        return value;
    return QSpinBox::valueFromText(text);
}
