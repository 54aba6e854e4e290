#pragma once

#include <QDialog>
#include <QStringList>

class QLabel;
class QPlainTextEdit;
class QPushButton;
class QSplitter;

// "Vista previa": the old names beside the new ones before anything is renamed.
class TfVistaPrevia : public QDialog {
    Q_OBJECT
public:
    explicit TfVistaPrevia(QWidget *parent = nullptr);

    // Line i of each side is entry i; control characters show as visible symbols.
    void ShowNames(const QStringList &oldNames, const QStringList &newNames);
    // Marks each new name whose reason is not empty (why it will fail), tells the reason
    // when the pointer rests on it and sums the reasons up under both sides.
    void MarkLines(const QStringList &reasons);
    QStringList LineMarks() const { return marks_; }

    QPlainTextEdit *mOrigen = nullptr;
    QSplitter *Splitter1 = nullptr;
    QPlainTextEdit *mDestino = nullptr;
    QLabel *lbMarcas = nullptr;
    QPushButton *sbAceptar = nullptr;
    QPushButton *sbSalir = nullptr;

public slots:
    void sbAceptarClick();
    void sbSalirClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QStringList marks_;
};
