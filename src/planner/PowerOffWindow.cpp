#include "planner/PowerOffWindow.h"

#include "planner/PowerCountdown.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSvgRenderer>

PowerOffWindow::PowerOffWindow(PowerCountdown *countdown, QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint
                          | Qt::MSWindowsFixedSizeDialogHint),
      m_countdown(countdown)
{
    setObjectName(QStringLiteral("PowerOFF"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("Выключение компьютера"));
    setFixedSize(420, 114);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::red);
    setPalette(pal);

    auto *image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setGeometry(12, 20, 62, 60);
    QPixmap pixmap(62, 60);
    pixmap.fill(Qt::transparent);
    {
        QSvgRenderer renderer(QStringLiteral(":/wallclock.svg"));
        QPainter painter(&pixmap);
        renderer.render(&painter, QRectF(0, 0, 62, 60));
    }
    image->setPixmap(pixmap);

    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("Label1"));
    m_message->setGeometry(76, 16, 337, 53);
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setWordWrap(true);
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(19);
    m_message->setFont(font);
    QPalette white = m_message->palette();
    white.setColor(QPalette::WindowText, Qt::white);
    m_message->setPalette(white);

    m_cancel = new QPushButton(QStringLiteral("Не выключать комтьютер"), this);
    m_cancel->setObjectName(QStringLiteral("SpeedButton1"));
    m_cancel->setGeometry(140, 84, 185, 22);
    m_cancel->setFlat(true);

    if (m_countdown) {
        connect(m_cancel, &QPushButton::clicked, m_countdown, &PowerCountdown::cancel);
        connect(m_countdown, &PowerCountdown::captionChanged, this, &QWidget::setWindowTitle);
        connect(m_countdown, &PowerCountdown::messageChanged, m_message, &QLabel::setText);
        connect(m_countdown, &PowerCountdown::showRequested, this, [this] {
            show();
            raise();
        });
        connect(m_countdown, &PowerCountdown::hideRequested, this, &QWidget::hide);
        m_message->setText(m_countdown->message());
    }
}

QString PowerOffWindow::message() const
{
    return m_message->text();
}

void PowerOffWindow::showEvent(QShowEvent *event)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    if (m_countdown)
        m_countdown->shown();
    QWidget::showEvent(event);
}

void PowerOffWindow::closeEvent(QCloseEvent *event)
{
    // The title bar only hides the window; the count goes on unseen and the action still happens.
    if (m_countdown)
        m_countdown->hiddenByUser();
    QWidget::closeEvent(event);
}
