#include "widgets/buttons.h"

#include <QApplication>
#include <QToolButton>

QIcon Picture(const char *themeName, QStyle::StandardPixmap fallback)
{
    return QIcon::fromTheme(QString::fromLatin1(themeName), QApplication::style()->standardIcon(fallback));
}

QToolButton *PictureButton(QWidget *parent, const char *name, const QString &hint, const QIcon &icon,
                           const QString &caption, Qt::FocusPolicy focus)
{
    auto *button = Named(new QToolButton(parent), name);
    button->setToolTip(hint);
    button->setIcon(icon);
    if (!caption.isEmpty()) {
        button->setText(caption);
        button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    }
    button->setFocusPolicy(focus);
    return button;
}

QToolButton *FlatButton(QWidget *parent, const char *name, const QString &hint, const QIcon &icon,
                        const QString &caption, Qt::FocusPolicy focus)
{
    QToolButton *button = PictureButton(parent, name, hint, icon, caption, focus);
    button->setAutoRaise(true);
    return button;
}
