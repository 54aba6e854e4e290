#pragma once

#include <QIcon>
#include <QString>
#include <QStyle>

class QBoxLayout;
class QDialog;
class QLabel;
class QPushButton;
class QSize;
class QToolButton;
class QWidget;

// Small builders shared by the advanced-rename windows.

template <typename T>
T *Named(T *object, const char *name)
{
    object->setObjectName(QString::fromLatin1(name));
    return object;
}

QIcon Picture(const char *themeName, QStyle::StandardPixmap fallback);

// A flat button with a picture, a hint and (when given) a caption beside the picture; an
// ampersand in the caption marks its accelerator.
QToolButton *FlatButton(QWidget *parent, const char *name, const QString &caption, const QString &hint,
                        const QIcon &icon);

QLabel *BoldLabel(QWidget *parent, const char *name, const QString &caption);

// The bottom bar of a dialog: "&Aceptar" at the left, "&Cancelar" at the right.
void AddAcceptCancelBar(QWidget *dialog, QBoxLayout *layout, QPushButton *&sbAceptar, QPushButton *&sbSalir);

// Fixed border, no title-bar buttons, at least the given client size, centred on the screen.
void FixDialogFrame(QDialog *dialog, const QSize &clientSize);

void CentreOnScreen(QWidget *window);

// A light grey background for lists and editors that show names.
void GreyBackground(QWidget *widget);
