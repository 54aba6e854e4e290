#include "main/main.h"

TfUtilities::TfUtilities(QWidget *parent) : QMainWindow(parent) {}
