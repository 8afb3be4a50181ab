// The application object: title, failure handler, the seven windows in their order, and the loop.
#pragma once

#include <QApplication>

class Application : public QApplication
{
    Q_OBJECT
public:
    Application(int &argc, char **argv);
    /// Builds the real services and windows and runs the message loop until the program ends.
    static int run(int argc, char **argv);

    /// Failures that no step handles reach the user in a message box titled "Veltrane"; the program goes on.
    bool notify(QObject *receiver, QEvent *event) override;
};
