#include "app/MainWindow.h"

MainWindow::MainWindow(QWidget *parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("Veltrane"));
    setFixedSize(510, 290);
}

MainWindow::~MainWindow() = default;
