#include "widgets/flattabs.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

QWidget *FlatTabButtons(QTabWidget *pages, QWidget *parent)
{
    auto *row = new QWidget(parent);
    row->setObjectName(pages->objectName() + QStringLiteral("Tabs"));
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    auto *group = new QButtonGroup(row);
    group->setExclusive(true);
    for (int i = 0; i < pages->count(); ++i) {
        auto *button = new QToolButton(row);
        button->setText(pages->tabText(i));
        button->setCheckable(true);
        button->setAutoRaise(true);
        // Reached by Tab, yet a click leaves the focus where a value is typed.
        button->setFocusPolicy(Qt::TabFocus);
        button->setChecked(i == pages->currentIndex());
        group->addButton(button, i);
        layout->addWidget(button);
    }
    layout->addStretch(1);
    pages->tabBar()->hide();
    // Hidden, the bar would still take the focus by Tab and keep it there.
    pages->tabBar()->setFocusPolicy(Qt::NoFocus);
    QObject::connect(group, &QButtonGroup::idClicked, pages, &QTabWidget::setCurrentIndex);
    QObject::connect(pages, &QTabWidget::currentChanged, group, [group](int index) {
        if (QAbstractButton *button = group->button(index))
            button->setChecked(true);
    });
    return row;
}
