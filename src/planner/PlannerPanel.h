// The event panel `Panel4`: the grid of events, its navigator, and the editor of the current event.
#pragma once

#include "planner/PlannerTexts.h"
#include "platform/Services.h"

#include <QList>
#include <QWidget>
#include <functional>

class AlarmTimer;
class DataSet;
class DataSetModel;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QTableView;
class QTimeEdit;
class QToolButton;

/*
 * Wiring (the main window):
 *   auto *panel = new PlannerPanel(&alarm, &scheduler, services, this);   // 481 x 290 at 0, 0, hidden
 *   panel->setTexts(PlannerTexts(lookup)); panel->retranslate();         // after every language load
 *   panel->setShowPanel([this] { speedButton3Click(); });                 // view switch used by newEventWithText
 *   connect(panel, &PlannerPanel::label12CaptionChanged, ...);            // keeps the language object in step
 *   notes/phone book: panel->newEventWithText(text);
 *
 * Editing mode follows the navigator: after insert and edit the scheduler's timer stops and the editor
 * is enabled; after delete, post, cancel and refresh the timer starts and the editor only shows.
 * The editor's own controls (not the store's binder) carry `Execute`, `Repeat` and the day flags into the
 * record when the user posts, so a post made by the scheduler never picks up what the editor shows.
 */
class PlannerPanel : public QWidget
{
    Q_OBJECT
public:
    enum class NavButton { Insert, Delete, Edit, Post, Cancel, Refresh };

    PlannerPanel(DataSet *alarm, AlarmTimer *scheduler, const Services &services, QWidget *parent = nullptr);

    /// The language texts; until they are set the panel uses the scheduler's.
    void setTexts(const PlannerTexts &texts) { m_texts = texts; }
    /// Captions and lists from the language: the kind list selects item 0, the unit list item 2.
    void retranslate();
    /// The view switch of the planner's toolbar button, run by newEventWithText.
    void setShowPanel(std::function<void()> showPanel) { m_showPanel = std::move(showPanel); }
    /// The file dialog of the browse button (replaceable so a test needs no person).
    void setFileChooser(std::function<QString()> chooser) { m_fileChooser = std::move(chooser); }

    /// Shows the planner, inserts a new event with the given text and puts the focus on the text edit.
    /// The event is stored only when the user posts it.
    void newEventWithText(const QString &text);

    /// A navigator button: its action on the table, then the editing mode (`DBNavigator2Click`).
    void navigate(NavButton button);

    /// The caption `Label12` has now; the language file stores it under "Label12".
    QString label12Caption() const;
    /// The holder of the banner `WebBrowser4` (`Panel7`).
    QWidget *bannerHolder() const { return m_bannerHolder; }
    QTableView *grid() const { return m_grid; }

signals:
    void label12CaptionChanged(const QString &caption);

private:
    void buildControls();
    /// Widens the time pickers to their text where the font needs more than the places allow.
    void placePickers();
    void setEditingMode(bool editing);
    void updateNavigator();
    void showRecord();
    void showBoundControls();
    void fillNumbers(int unit);
    void kindChosen(int kind);
    void unitChosen(int unit);
    void repeatToggled(bool checked);
    void browse();
    void afterInsert();
    void beforePost();
    void setLabel12(const QString &caption);
    void setExecuteShown(const QString &text);
    void executeEdited(const QString &text);
    bool editState() const;
    const PlannerTexts &texts() const;

    DataSet *m_alarm;
    AlarmTimer *m_scheduler;
    Services m_services;
    PlannerTexts m_texts;
    std::function<void()> m_showPanel;
    std::function<QString()> m_fileChooser;
    DataSetModel *m_model = nullptr;
    bool m_editingMode = false;
    /// The pending insert or edit was started by the user (the navigator), not by the scheduler.
    bool m_userEdit = false;
    QString m_acceptedText;

    QWidget *m_bannerHolder = nullptr;
    QTableView *m_grid = nullptr;
    QWidget *m_navigator = nullptr;
    QList<QToolButton *> m_navButtons;
    QComboBox *m_kind = nullptr; // ComboBox2
    QDateEdit *m_date = nullptr; // DateTimePicker1
    QTimeEdit *m_time = nullptr; // DateTimePicker2
    QLabel *m_label12 = nullptr;
    QLineEdit *m_execute = nullptr;  // DBEdit10
    QToolButton *m_browse = nullptr; // SpeedButton4
    QGroupBox *m_group = nullptr;    // GroupBox1
    QCheckBox *m_repeat = nullptr;   // DBCheckBox8
    QLabel *m_label15 = nullptr;
    QComboBox *m_unit = nullptr;   // ComboBox4
    QComboBox *m_number = nullptr; // ComboBox3
    QList<QCheckBox *> m_days;     // Day1 .. Day7
    QLabel *m_label13 = nullptr;
    QTimeEdit *m_hourStart = nullptr; // DateTimePicker3
    QLabel *m_label14 = nullptr;
    QTimeEdit *m_hourEnd = nullptr; // DateTimePicker4
};
