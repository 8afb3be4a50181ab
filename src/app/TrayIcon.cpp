#include "app/TrayIcon.h"

#include "platform/Sound.h"

#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QMenu>
#include <QMouseEvent>
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
    if (menu)
        menu->installEventFilter(this);
}

TrayIcon::~TrayIcon() = default;

void TrayIcon::handleActivation(QSystemTrayIcon::ActivationReason reason)
{
    switch (reason) {
    case Trigger:
        // The click waits for the double-click time: only if no second click comes is it a single click.
        m_clickPending = true;
        m_clickTimer.start();
        if (m_leftPopup && m_menu) {
            m_menuFromPress = true;
            m_menu->popup(QCursor::pos());
        }
        break;
    case DoubleClick:
        m_menuFromPress = false;
        if (m_menu && m_menu->isVisible())
            m_menu->hide();
        onDoubleClick();
        break;
    case Context:
    case MiddleClick:
    case Unknown: break;
    }
}

bool TrayIcon::isOnIcon(const QPoint &global) const
{
    const QRect area = geometry();
    return area.isValid() && area.contains(global);
}

bool TrayIcon::eventFilter(QObject *watched, QEvent *event)
{
    // While the menu that a left press opened is up, it holds the pointer: the second press of a double
    // click reaches the menu, not the tray. A left press on the icon within the double-click time is
    // that second press; the menu gets it as a press or, being quick, as a double click.
    const bool pressed = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
    if (watched == m_menu && m_menuFromPress && pressed) {
        const auto *press = static_cast<QMouseEvent *>(event);
        if (press->button() == Qt::LeftButton && m_clickPending && m_clickTimer.isActive()
            && isOnIcon(press->globalPosition().toPoint())) {
            m_menuFromPress = false;
            m_menu->hide();
            onDoubleClick();
            return true;
        }
    }
    if (watched == m_menu && event->type() == QEvent::Hide)
        m_menuFromPress = false;
    return QSystemTrayIcon::eventFilter(watched, event);
}

void TrayIcon::onDoubleClick()
{
    // A double click cancels the single click that its first press began.
    m_clickPending = false;
    m_clickTimer.stop();
    emit doubleClicked();
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
        // Without the sound module nothing sounds (the log tells why once).
        SoundFactory *sounds = SoundModule::factory();
        if (!sounds)
            return;
        m_sound = sounds->createChime(QUrl(QStringLiteral("qrc:/mailbeep.wav")), 0.8f);
    }
    m_sound->play();
}
