#pragma once

#include <QDialog>

class FormStorage;
class NumberSpinEdit;
class QLabel;
class QLineEdit;
class QPushButton;

// "Agregar": a text inserted into every new name at one position.
class TfAgregar : public QDialog {
    Q_OBJECT
public:
    explicit TfAgregar(QWidget *parent = nullptr);
    ~TfAgregar() override;

    QLabel *Label2 = nullptr;
    QLineEdit *edCadena = nullptr;
    QLabel *Label1 = nullptr;
    NumberSpinEdit *sePosicion = nullptr;
    QPushButton *sbAceptar = nullptr;
    QPushButton *sbSalir = nullptr;
    FormStorage *FormStorage1 = nullptr;

public slots:
    void sePosicionChange();
    void sbAceptarClick();
    void sbSalirClick();
};
