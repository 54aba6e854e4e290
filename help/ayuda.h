#pragma once

#include <QDialog>
#include <QStringList>

class QPlainTextEdit;
class QToolButton;
class QWidget;

// The help text, line by line.
QStringList HelpLines();

// "Ayuda": the help text with shortcuts to mail the author and to open the web page.
class TfAyuda : public QDialog {
    Q_OBJECT
public:
    explicit TfAyuda(QWidget *parent = nullptr);

    QPlainTextEdit *Memo1 = nullptr;
    QWidget *Panel1 = nullptr;
    QToolButton *sbMail = nullptr;
    QToolButton *sbWeb = nullptr;
    QToolButton *sbSalir = nullptr;

public slots:
    void sbMailClick();
    void sbWebClick();
    void sbSalirClick();
};
