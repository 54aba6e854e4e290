#pragma once

#include <QSpinBox>

// A whole-number field with up and down buttons. A key that would take the value above the
// maximum is refused; a minus sign may be typed, and the negative number it gives becomes the
// minimum.
class NumberSpinEdit : public QSpinBox {
    Q_OBJECT
public:
    NumberSpinEdit(QWidget *parent, int minimum, int maximum, int value);

protected:
    QValidator::State validate(QString &input, int &pos) const override;
    int valueFromText(const QString &text) const override;

private:
    bool ParseNegative(const QString &text, int &value) const;
};
