// `CoolTrayIcon1`: the program's icon in the tray, its menu on a left or right press, single click told
// from double click, and the balloons and short sounds every room asks for through the Notifier seam.
#pragma once

#include "platform/Notifier.h"

#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>
#include <memory>

class QMenu;
class Chime;

class TrayIcon : public QSystemTrayIcon, public Notifier
{
    Q_OBJECT
public:
    /// Longest balloon title and text the tray accepts.
    static constexpr int kTitleLimit = 63;
    static constexpr int kTextLimit = 255;

    /// The icon with `menu` (`PopupMenu1`) as its menu; no tooltip. Call show() to put it into the tray.
    explicit TrayIcon(QMenu *menu, QObject *parent = nullptr);
    ~TrayIcon() override;

    /// Time allowed between the two clicks of a double click; the platform's double-click time by default.
    void setClickInterval(int ms) { m_clickTimer.setInterval(ms); }
    int clickInterval() const { return m_clickTimer.interval(); }
    /// Whether a left press opens the menu at the pointer (on by default).
    void setLeftPopup(bool on) { m_leftPopup = on; }

    // Notifier
    void showBalloon(const QString &title, const QString &text, int seconds, BalloonIcon icon) override;
    void hideBalloon() override;
    /// Plays the program's own short chime ("MailBeep" and any other alias) and returns at once.
    void playSound(const QString &name) override;

    bool balloonShowing() const { return m_balloonTimer.isActive(); }
    /// The balloon text and title as they were last sent to the tray (after cutting).
    QString lastBalloonTitle() const { return m_lastTitle; }
    QString lastBalloonText() const { return m_lastText; }

    static MessageIcon messageIconOf(BalloonIcon icon);

public slots:
    /// What the tray reports about a press on the icon; connected to activated().
    void handleActivation(QSystemTrayIcon::ActivationReason reason);

signals:
    /// `OnClick`: a single left click that no second click followed within the click interval.
    void clicked();
    /// `OnDblClick`: a double click on the icon.
    void doubleClicked();

protected:
    /// Whether a point of the screen lies on the icon in the tray.
    virtual bool isOnIcon(const QPoint &global) const;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void onClickTimeout();
    void onDoubleClick();

    QPointer<QMenu> m_menu;
    QTimer m_clickTimer;
    QTimer m_balloonTimer;
    bool m_clickPending = false;
    bool m_menuFromPress = false;
    bool m_leftPopup = true;
    QString m_lastTitle;
    QString m_lastText;
    std::unique_ptr<Chime> m_sound;
};
