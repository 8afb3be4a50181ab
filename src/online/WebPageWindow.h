// A web window (calendar, forecast, video forecast): its caption, frame and size; the page view comes later.
#pragma once

#include <QWidget>

class WebPageWindow : public QWidget
{
    Q_OBJECT
public:
    enum class Kind { Calendar, Forecast, Video };
    explicit WebPageWindow(Kind kind, QWidget *parent = nullptr);
    Kind kind() const { return m_kind; }

private:
    Kind m_kind;
};
