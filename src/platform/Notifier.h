// Balloons above the tray icon and short notification sounds.
#pragma once

#include <QString>

class Notifier
{
public:
    enum class BalloonIcon { None = 0, Information = 1, Warning = 2, Error = 3 };

    virtual ~Notifier() = default;
    /// Hides any balloon, then shows a new one (title cut to 63 characters, text to 255).
    virtual void showBalloon(const QString &title, const QString &text, int seconds, BalloonIcon icon) = 0;
    /// Removes the balloon that is showing, if any.
    virtual void hideBalloon() = 0;
    /// Plays a short notification sound without waiting for it ("MailBeep", "Notify", ...).
    virtual void playSound(const QString &name) = 0;
};
