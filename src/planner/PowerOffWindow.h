// The red countdown window `TPowerOFF` shown for a minute before a power-off or a sleep.
#pragma once

#include <QWidget>

class PowerCountdown;
class QLabel;
class QPushButton;

class PowerOffWindow : public QWidget
{
    Q_OBJECT
public:
    explicit PowerOffWindow(PowerCountdown *countdown, QWidget *parent = nullptr);

    QString message() const;

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    PowerCountdown *m_countdown;
    QLabel *m_message;
    QPushButton *m_cancel;
};
