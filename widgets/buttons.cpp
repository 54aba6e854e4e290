#include "widgets/buttons.h"

#include <QApplication>
#include <QToolButton>

namespace {
// The stock pictures that are black line art in the usual styles, and what stands for them.
struct DrawnStandIn {
    QStyle::StandardPixmap stock;
    Line shape;
    LineColour colour;
};
// The tag editor's navigation arrows are the "blue arrows" its help text speaks of.
constexpr DrawnStandIn DrawnStandIns[] = {
    {QStyle::SP_DialogCloseButton, Line::Close, LineColour::Text},
    {QStyle::SP_ArrowLeft, Line::Left, LineColour::Text},
    {QStyle::SP_ArrowBack, Line::Left, LineColour::Text},
    {QStyle::SP_ArrowRight, Line::Right, LineColour::Text},
    {QStyle::SP_ArrowForward, Line::Right, LineColour::Text},
    {QStyle::SP_ArrowUp, Line::Up, LineColour::Text},
    {QStyle::SP_ArrowDown, Line::Down, LineColour::Text},
    {QStyle::SP_MediaSkipBackward, Line::First, LineColour::Blue},
    {QStyle::SP_MediaSeekBackward, Line::Previous, LineColour::Blue},
    {QStyle::SP_MediaSeekForward, Line::Next, LineColour::Blue},
    {QStyle::SP_MediaSkipForward, Line::Last, LineColour::Blue},
    {QStyle::SP_TrashIcon, Line::Trash, LineColour::Text},
    {QStyle::SP_MediaVolume, Line::Note, LineColour::Text},
};
} // namespace

QIcon Picture(const char *themeName, QStyle::StandardPixmap fallback)
{
    const QString name = QString::fromLatin1(themeName);
    if (QIcon::hasThemeIcon(name))
        return QIcon::fromTheme(name);
    for (const DrawnStandIn &standIn : DrawnStandIns)
        if (standIn.stock == fallback)
            return LinePicture(standIn.shape, standIn.colour);
    return QApplication::style()->standardIcon(fallback);
}

QIcon Picture(const char *themeName, Line fallback, LineColour colour)
{
    const QString name = QString::fromLatin1(themeName);
    return QIcon::hasThemeIcon(name) ? QIcon::fromTheme(name) : LinePicture(fallback, colour);
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
