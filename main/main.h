#pragma once

#include <QMainWindow>

class TfUtilities : public QMainWindow {
    Q_OBJECT
public:
    explicit TfUtilities(QWidget *parent = nullptr);
};
