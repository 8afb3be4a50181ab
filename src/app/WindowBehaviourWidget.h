// How the user handles the borderless main window: dragging, translucency while the pointer is away, hiding
// to the tray by menu, double click or minimizing, and showing it again.
#pragma once

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSet>

class PopupMenuWidget;
class QAction;
class QMouseEvent;
class QWidget;

class WindowBehaviourWidget : public QObject
{
    Q_OBJECT
public:
    /// Opacity of the window while the pointer is away and N5 is checked: alpha 75 of 255.
    static constexpr double kTranslucentOpacity = 75.0 / 255.0;

    /// Watches `window`; reads the options N7 (fixed position) and N5 (translucent) from `menu`, answers its
    /// commands N2 (hide) and N3 (show) and keeps exactly one of them enabled.
    WindowBehaviourWidget(QWidget *window, PopupMenuWidget *menu, QObject *parent = nullptr);

    /// A press and drag on `surface` moves the window unless N7 is checked. Only presses that land on the
    /// surface itself count, not those on its controls; a scroll area counts by its viewport.
    void addDragSurface(QWidget *surface);
    /// A double click on `surface` itself hides the window to the tray.
    void addHideSurface(QWidget *surface);

    /// At start-up: the window starts translucent when N5 is checked.
    void applyStartTranslucency();
    bool isTranslucent() const;

    /// `N2Click`: hides the main window so that only the tray icon remains; N3 becomes the enabled one.
    void hideToTray();
    /// `N3Click`, also the tray icon's double click: shows the window in its normal state in front; N2
    /// becomes the enabled one.
    void showFromTray();

signals:
    void hiddenToTray();
    void shownFromTray();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool isChecked(const char *name) const;
    /// Whether the pointer at `global` is over the window's own shape, whatever Qt's enter and leave say.
    bool isOverWindow(const QPoint &global) const;
    /// The pointer left the window: translucent when N5 is checked.
    void pointerLeft();
    /// While a popup holds the pointer the window hears nothing of it; follow it through the popup's events.
    void followPointerThroughPopup(bool on);
    bool followPopupEvent(QObject *watched, QEvent *event);
    void watch(QWidget *surface);
    /// True when the mouse event was delivered to `surface` itself rather than passed up from a control on it.
    static bool landsOn(QWidget *surface, const QMouseEvent *event);
    bool handleMouse(QWidget *surface, QMouseEvent *event);

    QPointer<QWidget> m_window;
    QPointer<PopupMenuWidget> m_menu;
    QSet<QObject *> m_dragSurfaces;
    QSet<QObject *> m_hideSurfaces;

    enum class Drag { None, Pressed, Manual };
    Drag m_drag = Drag::None;
    QPoint m_pressGlobal;
    QPoint m_windowStart;
    quint64 m_pressTime = 0;
    /// A popup took the pointer while it was over the window: the leave it caused is not a real one.
    bool m_followingPopup = false;
};
