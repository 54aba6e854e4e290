#pragma once

// Small builders used by every window: named objects, pictures from the theme, picture buttons.

#include <QIcon>
#include <QString>
#include <QStyle>

class QToolButton;
class QWidget;

template <typename T>
T *Named(T *object, const char *name)
{
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

#include "widgets/linepicture.h"

// The theme's picture of that name, or the style's stock picture where the theme has none;
// stock pictures drawn in black (crosses, arrows) are drawn here instead in the scheme's
// colours, so they show on a dark background too.
QIcon Picture(const char *themeName, QStyle::StandardPixmap fallback);
// The theme's picture of that name, or one drawn here.
QIcon Picture(const char *themeName, Line fallback, LineColour colour = LineColour::Text);

// A button with a picture, a hint and (when given) a caption beside the picture; an ampersand
// in the caption marks its accelerator. Tab reaches it, but a click leaves the focus where it
// is, so a value being typed in an edit is read as it stands when the button is clicked.
QToolButton *PictureButton(QWidget *parent, const char *name, const QString &hint, const QIcon &icon,
                           const QString &caption = {}, Qt::FocusPolicy focus = Qt::TabFocus);

// The same, drawn flat until the pointer is over it.
QToolButton *FlatButton(QWidget *parent, const char *name, const QString &hint, const QIcon &icon,
                        const QString &caption = {}, Qt::FocusPolicy focus = Qt::TabFocus);
