#pragma once

#include "platform/placement.h"
#include "widgets/buttons.h"

#include <QString>

class QBoxLayout;
class QDialog;
class QLabel;
class QPushButton;
class QSize;
class QWidget;

// Small builders shared by the advanced-rename windows.

QLabel *BoldLabel(QWidget *parent, const char *name, const QString &caption);

// The bottom bar of a dialog: "&Aceptar" at the left, "&Cancelar" at the right.
void AddAcceptCancelBar(QWidget *dialog, QBoxLayout *layout, QPushButton *&sbAceptar, QPushButton *&sbSalir);

// Fixed border, no title-bar buttons, at least the given client size, centred on the screen.
void FixDialogFrame(QDialog *dialog, const QSize &clientSize);

// A light grey background for lists and editors that show names.
void GreyBackground(QWidget *widget);
