#include "online/WebPageWindow.h"

#include <QGuiApplication>
#include <QScreen>

WebPageWindow::WebPageWindow(Kind kind, QWidget *parent) : QWidget(parent, Qt::Window), m_kind(kind)
{
    switch (kind) {
    case Kind::Calendar:
        setObjectName(QStringLiteral("Form2"));
        setWindowTitle(QStringLiteral("Экономический календарь"));
        setFixedSize(730, 440);
        break;
    case Kind::Forecast:
        setObjectName(QStringLiteral("Form3"));
        setWindowTitle(QStringLiteral("Форекс прогноз на сегодня"));
        resize(870, 640);
        break;
    case Kind::Video:
        setObjectName(QStringLiteral("Form4"));
        setWindowTitle(QStringLiteral("Видео прогноз"));
        setFixedSize(764, 632);
        break;
    }
    if (kind != Kind::Calendar) {
        if (const QScreen *screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() - rect().center());
    }
}
