// `PopupMenu1`: the one context menu shared by the main window, its controls and the tray icon.
#pragma once

#include "app/MenuState.h"

#include <QMenu>
#include <QPointer>

class QActionGroup;

class PopupMenuWidget : public QMenu
{
    Q_OBJECT
public:
    explicit PopupMenuWidget(QWidget *parent = nullptr);

    /// The item of that component name ("N5", "Cut1", "N44", "RUS"...); for a submenu its menuAction().
    /// Null when there is no such item.
    QAction *item(const QString &name) const;
    /// The submenu of that component name ("N35", "N23", "N40"...), or null.
    QMenu *submenu(const QString &name) const;
    /// The component names of every item, submenu and named separator, in menu order (depth first).
    QStringList itemNames() const;

    View currentView() const { return m_view; }
    /// Remembers the view that is showing; the menu applies it every time it is about to open.
    void setCurrentView(View view);
    /// Shows and hides the view-specific commands and the separators N44 and N6 for `view`.
    void applyView(View view);

    /// N2 "Свернуть" is enabled while the window is shown, N3 "Развернуть" while it is hidden.
    void setWindowShown(bool shown);
    bool windowShown() const { return m_windowShown; }

    /// Checks the language item named `code`; an unknown code leaves all seven unchecked.
    void setLanguageCode(const QString &code);
    /// Checks the news lead item of that many minutes; any other value leaves all seven unchecked.
    void setNewsLeadMinutes(int minutes);
    /// Lead time of a news lead item ("N43" -1, "N41" 60, ..., "N42" 0); `ok` false for any other name.
    static int newsLeadOf(const QString &itemName, bool *ok = nullptr);
    /// The two-letter speech language of a language item ("RUS" -> "ru"), empty for any other code.
    static QString voiceLangOf(const QString &code);

    /// Makes this the context menu of `window` (opened where the user asked for it) and gives F10 to N1
    /// while the window has the keyboard focus.
    void attachTo(QWidget *window);
    /// Lets a control that would bring its own context menu (a note editor) use this one instead: its
    /// request goes up to the window.
    static void shareWith(QWidget *control);

    /// The control the edit commands act on: the one that had the keyboard focus when the menu opened.
    QWidget *editTarget() const { return m_editTarget; }

signals:
    /// A language item was chosen (its code, "RUS"...): the language switch follows.
    void languageChosen(const QString &code);
    /// A news lead item was chosen: the new `NewsLeadMinutes`.
    void newsLeadChosen(int minutes);

private:
    QAction *addItem(QMenu *menu, const char *name, const QString &caption, const QKeySequence &keys = {});
    QMenu *addSubmenu(QMenu *menu, const char *name, const QString &caption);
    QAction *addSeparatorItem(QMenu *menu, const char *name = nullptr);
    QAction *addOption(QMenu *menu, const char *name, const QString &caption);
    void build();
    void onAboutToShow();
    void runEditCommand(const char *slot);
    void setVisibleItems(const QStringList &names, bool visible);

    View m_view = View::Clock;
    bool m_windowShown = true;
    QActionGroup *m_languages = nullptr;
    QActionGroup *m_newsLead = nullptr;
    QPointer<QWidget> m_editTarget;
};
