#include "widgets/radiogroup.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

RadioGroup::RadioGroup(const QString &caption, const QStringList &items, int columns, QWidget *parent)
    : QGroupBox(caption, parent), buttons_(new QButtonGroup(this))
{
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    columns = qMax(1, columns);
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items[i], this);
        buttons_->addButton(button, i);
        layout->addWidget(button, i / columns, i % columns);
    }
    connect(buttons_, &QButtonGroup::idClicked, this, [this] { emit Click(); });
}

int RadioGroup::ItemIndex() const { return buttons_->checkedId(); }

void RadioGroup::SetItemIndex(int index)
{
    if (QAbstractButton *button = buttons_->button(index)) {
        button->setChecked(true);
        return;
    }
    // No item chosen: an exclusive group cannot be emptied directly.
    buttons_->setExclusive(false);
    for (QAbstractButton *button : buttons_->buttons())
        button->setChecked(false);
    buttons_->setExclusive(true);
}

int RadioGroup::Count() const { return int(buttons_->buttons().size()); }
