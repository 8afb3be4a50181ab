#include "app/WindowBehaviourWidget.h"

#include "app/PopupMenuWidget.h"
#include "platform/X11TaskbarSkip.h"
#include "platform/X11WindowMove.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QTimer>
#include <QWidget>
#include <QWindow>

WindowBehaviourWidget::WindowBehaviourWidget(QWidget *window, PopupMenuWidget *menu, QObject *parent)
    : QObject(parent), m_window(window), m_menu(menu)
{
    window->installEventFilter(this);
    connect(menu->item(QStringLiteral("N2")), &QAction::triggered, this, &WindowBehaviourWidget::hideToTray);
    connect(menu->item(QStringLiteral("N3")), &QAction::triggered, this, &WindowBehaviourWidget::showFromTray);
    menu->setWindowShown(true);
}

bool WindowBehaviourWidget::isChecked(const char *name) const
{
    QAction *a = m_menu ? m_menu->item(QString::fromLatin1(name)) : nullptr;
    return a && a->isChecked();
}

void WindowBehaviourWidget::watch(QWidget *surface)
{
    surface->installEventFilter(this);
    // A grid or a memo receives its mouse events on the viewport.
    if (auto *area = qobject_cast<QAbstractScrollArea *>(surface))
        area->viewport()->installEventFilter(this);
}

void WindowBehaviourWidget::addDragSurface(QWidget *surface)
{
    m_dragSurfaces.insert(surface);
    if (auto *area = qobject_cast<QAbstractScrollArea *>(surface))
        m_dragSurfaces.insert(area->viewport());
    watch(surface);
}

void WindowBehaviourWidget::addHideSurface(QWidget *surface)
{
    m_hideSurfaces.insert(surface);
    if (auto *area = qobject_cast<QAbstractScrollArea *>(surface))
        m_hideSurfaces.insert(area->viewport());
    watch(surface);
}

void WindowBehaviourWidget::applyStartTranslucency()
{
    if (m_window && isChecked("N5"))
        m_window->setWindowOpacity(kTranslucentOpacity);
}

bool WindowBehaviourWidget::isTranslucent() const
{
    return m_window && m_window->windowOpacity() < 1.0;
}

void WindowBehaviourWidget::hideToTray()
{
    if (!m_window)
        return;
    m_drag = Drag::None;
    m_window->hide();
    if (m_menu)
        m_menu->setWindowShown(false);
    emit hiddenToTray();
}

void WindowBehaviourWidget::showFromTray()
{
    if (!m_window)
        return;
    if (m_window->isMinimized())
        m_window->showNormal();
    else
        m_window->show();
    m_window->raise();
    m_window->activateWindow();
    if (m_menu)
        m_menu->setWindowShown(true);
    emit shownFromTray();
}

bool WindowBehaviourWidget::isOverWindow(const QPoint &global) const
{
    if (!m_window || !m_window->isVisible())
        return false;
    const QPoint local = m_window->mapFromGlobal(global);
    if (!m_window->rect().contains(local))
        return false;
    return m_window->mask().isEmpty() || m_window->mask().contains(local);
}

void WindowBehaviourWidget::pointerLeft()
{
    followPointerThroughPopup(false);
    // N5 is read at each leave: toggling it changes nothing until the pointer next leaves.
    if (m_window && isChecked("N5"))
        m_window->setWindowOpacity(kTranslucentOpacity);
}

void WindowBehaviourWidget::followPointerThroughPopup(bool on)
{
    if (on == m_followingPopup)
        return;
    m_followingPopup = on;
    // Only while a popup is up: the application's every event passes here meanwhile.
    if (on)
        qApp->installEventFilter(this);
    else
        qApp->removeEventFilter(this);
}

bool WindowBehaviourWidget::followPopupEvent(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!m_window || !widget || widget->windowType() != Qt::Popup)
        return false;
    switch (event->type()) {
    case QEvent::MouseMove:
        // The popup sees every move while it holds the pointer, also those over the window below it.
        if (isOverWindow(static_cast<QMouseEvent *>(event)->globalPosition().toPoint()))
            m_window->setWindowOpacity(1.0);
        else if (isChecked("N5"))
            m_window->setWindowOpacity(kTranslucentOpacity);
        return true;
    case QEvent::Hide:
        // Once the last popup has gone, the pointer is where it is: over the window the window stays as it is
        // (the window system's enter follows), elsewhere it has left.
        QTimer::singleShot(0, this, [this] {
            if (m_followingPopup && !QApplication::activePopupWidget()) {
                if (isOverWindow(QCursor::pos()))
                    followPointerThroughPopup(false);
                else
                    pointerLeft();
            }
        });
        return true;
    default: return false;
    }
}

bool WindowBehaviourWidget::landsOn(QWidget *surface, const QMouseEvent *event)
{
    // Events a control did not take travel up to its parents; those presses belong to the control.
    return surface->childAt(event->position().toPoint()) == nullptr;
}

bool WindowBehaviourWidget::handleMouse(QWidget *surface, QMouseEvent *event)
{
    const QPoint global = event->globalPosition().toPoint();
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        // A press passed up from a control reaches every surface above it with the same time stamp; only a
        // new press may end a drag whose release went astray.
        if (event->timestamp() != m_pressTime) {
            m_pressTime = event->timestamp();
            m_drag = Drag::None;
        }
        // Only the left button drags: the right one must still bring up the context menu.
        if (event->button() == Qt::LeftButton && m_dragSurfaces.contains(surface) && landsOn(surface, event)
            && !isChecked("N7")) {
            m_drag = Drag::Pressed;
            m_pressGlobal = global;
            m_windowStart = m_window->pos();
        }
        return false; // the surface still sees its press (a grid selects its row)
    case QEvent::MouseMove:
        if (m_drag == Drag::Pressed && (event->buttons() & Qt::LeftButton)
            && (global - m_pressGlobal).manhattanLength() >= QApplication::startDragDistance()) {
            // The move starts only once the pointer really moves, so clicks and double clicks stay intact; it
            // is anchored at the press, so the window does not trail the pointer by the distance gone so far.
            QWindow *handle = m_window->windowHandle();
            if (handle && X11WindowMove::start(handle, m_pressGlobal)) {
                // The window manager follows the pointer from here on and takes the release.
                m_drag = Drag::None;
                return true;
            }
            m_drag = Drag::Manual;
        }
        if (m_drag == Drag::Manual) {
            m_window->move(m_windowStart + (global - m_pressGlobal));
            return true;
        }
        return false;
    case QEvent::MouseButtonRelease:
        if (event->button() == Qt::LeftButton && m_drag != Drag::None) {
            const bool moved = m_drag == Drag::Manual;
            m_drag = Drag::None;
            return moved;
        }
        return false;
    case QEvent::MouseButtonDblClick:
        if (event->button() == Qt::LeftButton && m_hideSurfaces.contains(surface) && landsOn(surface, event)) {
            m_drag = Drag::None;
            // Hide after the click has been delivered, not while the widget is still handling it.
            QTimer::singleShot(0, this, &WindowBehaviourWidget::hideToTray);
            return true;
        }
        return false;
    default: return false;
    }
}

bool WindowBehaviourWidget::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window) {
        switch (event->type()) {
        case QEvent::Enter:
            followPointerThroughPopup(false);
            m_window->setWindowOpacity(1.0);
            break;
        case QEvent::Leave:
            // Opening a popup menu takes the pointer from the window while it still rests over it.
            if (QApplication::activePopupWidget() && isOverWindow(QCursor::pos()))
                followPointerThroughPopup(true);
            else
                pointerLeft();
            break;
        case QEvent::Show:
            // The program shows itself as its window and its tray icon, never as a taskbar button: marked before
            // the map and again once mapped (a window manager forgets the state of a withdrawn window).
            X11TaskbarSkip::apply(m_window->windowHandle());
            QTimer::singleShot(0, this, [this] {
                if (m_window && m_window->isVisible())
                    X11TaskbarSkip::apply(m_window->windowHandle());
            });
            break;
        case QEvent::WindowStateChange:
            // Minimizing hides to the tray, by the same path as N2, so N2 and N3 stay in step.
            if (m_window->isMinimized() && m_window->isVisible())
                QTimer::singleShot(0, this, [this] {
                    if (m_window && m_window->isMinimized() && m_window->isVisible())
                        hideToTray();
                });
            break;
        default: break;
        }
    }
    if (m_followingPopup && followPopupEvent(watched, event))
        return false;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
        if (m_window && (m_dragSurfaces.contains(watched) || m_hideSurfaces.contains(watched)))
            return handleMouse(static_cast<QWidget *>(watched), static_cast<QMouseEvent *>(event));
        return false;
    default: return false;
    }
}
