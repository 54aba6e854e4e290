#pragma once

#include <QGroupBox>
#include <QStringList>

class QButtonGroup;
class QGridLayout;

// A framed group of radio buttons, one per item, laid out in columns (filled row by row).
// ItemIndex is the position of the chosen item, -1 for none.
class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    RadioGroup(const QString &caption, const QStringList &items, int columns = 1, QWidget *parent = nullptr);

    int ItemIndex() const;
    void SetItemIndex(int index);
    int Count() const;

signals:
    // The user chose an item (a click or the keyboard), also the one already chosen.
    void Click();

private:
    QButtonGroup *buttons_ = nullptr;
};
