#include "app/TrayIcon.h"

#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QSoundEffect>
#include <QStyleHints>

TrayIcon::TrayIcon(QMenu *menu, QObject *parent) : QSystemTrayIcon(parent), m_menu(menu)
{
    setObjectName(QStringLiteral("CoolTrayIcon1"));
    QIcon icon(QStringLiteral(":/veltrane.svg"));
    // A missing image leaves the icon without a picture rather than stopping the program.
    setIcon(icon);
    setToolTip(QString());
    // The tray shows this menu by itself on a right press; the left press is answered below.
    setContextMenu(menu);

    m_clickTimer.setSingleShot(true);
    m_clickTimer.setInterval(QGuiApplication::styleHints()->mouseDoubleClickInterval());
    connect(&m_clickTimer, &QTimer::timeout, this, &TrayIcon::onClickTimeout);

    m_balloonTimer.setSingleShot(true);

    connect(this, &QSystemTrayIcon::activated, this, &TrayIcon::handleActivation);
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::handleActivation(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case Trigger:
        // The click waits for the double-click time: only if no second click comes is it a single click.
        m_clickPending = true;
        m_clickTimer.start();
        if (m_leftPopup && m_menu)
            m_menu->popup(QCursor::pos());
        break;
    case DoubleClick:
        // A double click cancels the single click that its first press began.
        m_clickPending = false;
        m_clickTimer.stop();
        if (m_menu && m_menu->isVisible())
            m_menu->hide();
        emit doubleClicked();
        break;
    case Context:
    case MiddleClick:
    case Unknown:
        break;
    }
}

void TrayIcon::onClickTimeout()
{
    if (!m_clickPending)
        return;
    m_clickPending = false;
    emit clicked();
}

QSystemTrayIcon::MessageIcon TrayIcon::messageIconOf(BalloonIcon icon)
{
    switch (icon) {
    case BalloonIcon::None: return NoIcon;
    case BalloonIcon::Information: return Information;
    case BalloonIcon::Warning: return Warning;
    case BalloonIcon::Error: return Critical;
    }
    return NoIcon;
}

void TrayIcon::showBalloon(const QString &title, const QString &text, int seconds, BalloonIcon icon)
{
    hideBalloon();
    m_lastTitle = title.left(kTitleLimit);
    m_lastText = text.left(kTextLimit);
    const int ms = qMax(1, seconds) * 1000;
    showMessage(m_lastTitle, m_lastText, messageIconOf(icon), ms);
    m_balloonTimer.start(ms);
}

void TrayIcon::hideBalloon()
{
    if (!m_balloonTimer.isActive())
        return;
    m_balloonTimer.stop();
    // An empty message takes down the balloon that is showing and shows nothing new.
    showMessage(QString(), QString(), NoIcon, 1);
}

void TrayIcon::playSound(const QString &name)
{
    // Every alias the program asks for gets the same short chime of our own; play() returns at once.
    Q_UNUSED(name);
    if (!m_sound) {
        m_sound = new QSoundEffect(this);
        m_sound->setSource(QUrl(QStringLiteral("qrc:/mailbeep.wav")));
        m_sound->setVolume(0.8f);
    }
    m_sound->play();
}
