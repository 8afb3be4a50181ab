// Balloons above the tray icon and short notification sounds.
#pragma once

#include <QString>
#include <functional>
#include <utility>

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

/// A notifier whose real one is made at its first use: the tray icon is made once the window is on the screen,
/// or earlier if something asks for a balloon or a sound before that.
class NotifierOnDemand final : public Notifier
{
public:
    explicit NotifierOnDemand(std::function<Notifier &()> make) : m_make(std::move(make)) {}
    void showBalloon(const QString &title, const QString &text, int seconds, BalloonIcon icon) override
    {
        m_make().showBalloon(title, text, seconds, icon);
    }
    void hideBalloon() override { m_make().hideBalloon(); }
    void playSound(const QString &name) override { m_make().playSound(name); }

private:
    std::function<Notifier &()> m_make;
};
