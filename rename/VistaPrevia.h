#pragma once

#include <QDialog>
#include <QStringList>

class QPlainTextEdit;
class QPushButton;
class QSplitter;

// "Vista previa": the old names beside the new ones before anything is renamed.
class TfVistaPrevia : public QDialog {
    Q_OBJECT
public:
    explicit TfVistaPrevia(QWidget *parent = nullptr);

    // Line i of each side is entry i.
    void ShowNames(const QStringList &oldNames, const QStringList &newNames);

    QPlainTextEdit *mOrigen = nullptr;
    QSplitter *Splitter1 = nullptr;
    QPlainTextEdit *mDestino = nullptr;
    QPushButton *sbAceptar = nullptr;
    QPushButton *sbSalir = nullptr;

public slots:
    void sbAceptarClick();
    void sbSalirClick();
};
