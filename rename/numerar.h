#pragma once

#include <QDialog>

class FormStorage;
class NumberSpinEdit;
class QCheckBox;
class QLabel;
class QPushButton;

// "Numerar": the parameters of a running number added to every new name.
class TfNumerar : public QDialog {
    Q_OBJECT
public:
    explicit TfNumerar(QWidget *parent = nullptr);
    ~TfNumerar() override;

    QLabel *Label1 = nullptr;
    NumberSpinEdit *seEmpezar = nullptr;
    QCheckBox *ckRellenar = nullptr;
    QLabel *Label2 = nullptr;
    NumberSpinEdit *seLongitud = nullptr;
    QLabel *Label3 = nullptr;
    NumberSpinEdit *sePosicion = nullptr;
    QPushButton *sbAceptar = nullptr;
    QPushButton *sbSalir = nullptr;
    FormStorage *FormStorage1 = nullptr;

public slots:
    void seEmpezarChange();
    void ckRellenarClick();
    void FormActivate();
    void sbAceptarClick();
    void sbSalirClick();

protected:
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
};
