#pragma once

#include <QDialog>

class FormStorage;
class NumberSpinEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QWidget;

// "Eliminar": characters deleted from a position, or a text deleted, in every new name.
class TfEliminar : public QDialog {
    Q_OBJECT
public:
    // Accepted on the page "Desde posición" closes with ResultOk, on "Eliminar cadena" with
    // ResultYes.
    static constexpr int ResultOk = QDialog::Accepted;
    static constexpr int ResultYes = 6;

    explicit TfEliminar(QWidget *parent = nullptr);
    ~TfEliminar() override;

    QTabWidget *pcPrincipal = nullptr;
    QWidget *tsPosicion = nullptr;
    QLabel *Label1 = nullptr;
    NumberSpinEdit *sePosicion = nullptr;
    QLabel *Label2 = nullptr;
    NumberSpinEdit *seCaracteres = nullptr;
    QWidget *tsCadena = nullptr;
    QLabel *Label3 = nullptr;
    QLineEdit *edEliminar = nullptr;
    QPushButton *sbAceptar = nullptr;
    QPushButton *sbSalir = nullptr;
    FormStorage *FormStorage1 = nullptr;

public slots:
    void sePosicionChange();
    void sbAceptarClick();
    void sbSalirClick();
};
