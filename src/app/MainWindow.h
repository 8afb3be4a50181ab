// The main window: owns every room's parts and wires them together; holds no logic of its own.
#pragma once

#include <QWidget>

class MainWindow : public QWidget
{
    Q_OBJECT
public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;
};
