// The main window `Form1`: creates every room's parts, runs the start-up steps, and wires the rooms
// together; the behaviour itself lives in the rooms.
#pragma once

#include "app/ProgramValues.h"
#include "platform/Services.h"

#include <QList>
#include <QWidget>
#include <memory>

class AboutWindow;
class QLabel;
class QTextEdit;
class CalendarPanel;
class DataSet;
class DataSetModel;
class ClockFaceView;
class PhoneBookPanel;
class QuickNotes;
class ProgramEnd;
class PlannerPanel;
class PopupMenuWidget;
class ToolbarPanel;
class TrayIcon;
class WebPageWindow;
class WindowBehaviourWidget;
struct ClockLabels;

class MainWindow : public QWidget
{
    Q_OBJECT
public:
    /// end: the platform's end of the program, watched since before this window; while the start-up steps
    /// run, a request stops them.
    explicit MainWindow(ProgramEnd &end, QWidget *parent = nullptr);
    ~MainWindow() override;

    const ProgramValues &values() const { return m_values; }

    /// The About, web, reminder and countdown windows, created hidden in this order after the start-up (once).
    void createOtherWindows();
    /// The About window comes up (from the bottom caption or the menu), made first if it is not yet.
    void showAboutWindow();
    /// The phone-book, planner and calendar panels (`Panel3`, `Panel4`, `Panel5`), made at their first need and
    /// at the latest right after the window's first paint: then placed, translated and wired as the start-up
    /// would have done had they come with the window. Any use of a panel goes through here first.
    void ensurePanels();
    /// The tray icon appears once the window is on the screen (made then, unless something needed it earlier).
    void showTrayIcon();

    /// The four notes and the settings, saved at a close asked by the platform and at the end of the program.
    void saveAll();
    /// `SaveSettings`: the settings file, then the language file of `code`. Throws Failure on a refused write.
    void saveSettings(const QString &code);
    /// `AddHotKey` for the four utility hot keys (the start-up, and the update tick every 100 s).
    void addHotKeys();

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Parts;

    /// The tray icon, made at its first use: the platform's tray costs start time before the first picture.
    TrayIcon &tray();

    void createSurface();
    void createShell();
    void addStartupSteps();
    /// `Panel3`, `Panel4`, `Panel5`, those made so far.
    QList<QWidget *> panels() const;
    void createMenuAndTray();
    void createVoiceAndScheduler();
    void wireShellCommands();
    void wireBackup();
    void closeTablesForRestore();
    void reopenTablesAfterRestore();
    void readSettings();
    void openTables();
    /// The calendar table's rows in the calendar grid, once both the panel and the table's model exist.
    void showCalendarModel();
    void wirePhoneBook();
    /// The note commands of the popup menu, on the note that is shown.
    void wireNotes();
    /// The four banners: started once the window shows (online only), refreshed by `Timer3`.
    void startBanners();
    /// The menu items that open the calendar, forecast and video windows.
    void wireWebWindows(const QList<WebPageWindow *> &windows);
    /// `ImportCalendar`: starts the weekly feed's import; the window never waits for it.
    void importCalendar();
    /// `TimerUpdate` with its notice, the About window's check and the installer download.
    void startUpdateCheck(AboutWindow *about);
    void showClockLabels(const ClockLabels &labels);
    void showNextNews();
    void reportFailure(const QString &text);
    /// A failure of the saves at the end: the close and the destruction both save, and the one failure
    /// they share is shown once.
    void reportSaveFailure(const QString &text);

    ProgramEnd &m_end;
    std::unique_ptr<Parts> m_parts;
    ProgramValues m_values;
    Services m_services;

    QLabel *m_label1 = nullptr;
    QLabel *m_label2 = nullptr;
    QLabel *m_label3 = nullptr;
    QLabel *m_label4 = nullptr;
    QWidget *m_bannerStrip = nullptr;
    ClockFaceView *m_clockView = nullptr;
    PhoneBookPanel *m_phonePanel = nullptr;
    PlannerPanel *m_eventPanel = nullptr;
    CalendarPanel *m_calendarPanel = nullptr;
    DataSetModel *m_calendarModel = nullptr;
    /// The "round corners" step has run: panels made later get the same left corners.
    bool m_cornersRounded = false;
    QuickNotes *m_quickNotes = nullptr;
    QList<QTextEdit *> m_notes;
    PopupMenuWidget *m_menu = nullptr;
    ToolbarPanel *m_toolbar = nullptr;
    WindowBehaviourWidget *m_behaviour = nullptr;
    TrayIcon *m_tray = nullptr;
    QWidget *m_aboutWindow = nullptr;
    QList<QWidget *> m_otherWindows;
    /// A restore has put other notes on disk; this copy ends without writing its own.
    bool m_notesReplaced = false;
    QList<DataSet *> m_closedForRestore;
    bool m_schedulerWasRunning = false;
    /// The path of the language file whose loading failed: never written over by this copy (empty: none).
    QString m_unreadLanguageFile;
    /// The last save failure shown, cleared by a save that succeeds.
    QString m_lastSaveFailure;
};
