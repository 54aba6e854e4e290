#pragma once

#include <QDialog>

class FormStorage;
class QLabel;
class QLineEdit;
class QPushButton;

// "Sustituir": one text replaced by another in every new name.
class TfSustituir : public QDialog {
    Q_OBJECT
public:
    explicit TfSustituir(QWidget *parent = nullptr);
    ~TfSustituir() override;

    QLabel *Label2 = nullptr;
    QLineEdit *edSustituir = nullptr;
    QLabel *Label1 = nullptr;
    QLineEdit *edPor = nullptr;
    QPushButton *sbAceptar = nullptr;
    QPushButton *sbSalir = nullptr;
    FormStorage *FormStorage1 = nullptr;

public slots:
    void sbAceptarClick();
    void sbSalirClick();
};
