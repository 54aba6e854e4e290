#pragma once

#include <QDialog>

class QCheckBox;
class QToolButton;

// "Configuración": whether to look for a newer version at start-up, and a check at once.
class TfConfiguracion : public QDialog {
    Q_OBJECT
public:
    explicit TfConfiguracion(QWidget *parent = nullptr);

    QCheckBox *cbRevisar = nullptr;
    QToolButton *sbRevisarAhora = nullptr;
    QToolButton *sbSalir = nullptr;

public slots:
    void FormCreate();
    void cbRevisarClick();
    void sbRevisarAhoraClick();
    void sbSalirClick();
};
