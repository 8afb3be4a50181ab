// The four quick notes `RichEdit1`..`RichEdit4`: their editors, their files, and the note commands.
#pragma once

#include "platform/Services.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

class NoteFiles;
class QFont;
class QTextEdit;
class QWidget;

/*
 * Each note lives in "noteN.rtf" in the program folder, read and written as rich text. A note whose file
 * could not be read at start stays read-only and is never written: the file keeps what it holds. Every save
 * of the four is tried; the failures come back together. A changed note is also saved autosaveDelay after
 * the typing stops, through the same atomic write, so a crash loses at most those last seconds.
 *
 *   auto *notes = new QuickNotes(services, window);
 *   notes->setNewEventWithText([planner](const QString &t) { planner->newEventWithText(t); });
 *   notes->load(appDir);               // the start-up step; throws Failure naming every note that failed
 *   notes->boldToggle(0);              // a note command on the shown note
 *   const QStringList failed = notes->saveAll();
 */
class QuickNotes : public QObject
{
    Q_OBJECT
public:
    static constexpr int count = 4;
    static constexpr int autosaveDelayMs = 2000;

    QuickNotes(const Services &services, QWidget *parent);
    ~QuickNotes() override;

    QTextEdit *editor(int index) const { return m_editors.at(index); }
    const QList<QTextEdit *> &editors() const { return m_editors; }

    void setNewEventWithText(std::function<void(const QString &)> start) { m_newEventWithText = std::move(start); }
    /// The reminder word that starts a note's reminder (the planner's kind 0, "Напоминание").
    void setReminderWord(std::function<QString()> word) { m_reminderWord = std::move(word); }
    /// Where failures of the commands and of the autosave are reported (once per failure in a row).
    void setReportFailure(std::function<void(const QString &)> report) { m_report = std::move(report); }
    /// The font dialog of the font command: the chosen font, or nothing when cancelled.
    void setChooseFont(std::function<std::optional<QFont>(const QFont &)> choose) { m_chooseFont = std::move(choose); }
    void setAutosaveDelay(int ms) { m_autosave.setInterval(ms); }

    /// Empties the notes, creates each missing file as an empty note, then loads every note from its file.
    /// Every note is tried; throws Failure listing those that could not be read (they stay read-only).
    void load(const QString &appDir);
    bool isLoaded(int index) const { return m_loaded.value(index, false); }
    /// The file of a note ("" before load).
    QString path(int index) const;

    /// Saves the four loaded notes in order; returns the failure texts (empty when all were written).
    QStringList saveAll();
    /// From now on nothing is written (the files on disk were replaced under this program).
    void stopWriting();

    // The note commands, each on the note of that index (0..3).
    void toggleBold(int index);
    void toggleItalic(int index);
    void toggleUnderline(int index);
    void toggleStrikeOut(int index);
    void toggleBullets(int index);
    void chooseFont(int index);
    /// "Напомнить": asks, then starts a planner event with the reminder word and the selection (or the whole
    /// note), cut to the event text's 254 characters.
    void remind(int index);
    /// "Открыть в редакторе": saves the four notes, then opens the note's file with the desktop's handler.
    void openInEditor(int index);
    /// "Вставить дату, время": replaces the selection (or inserts at the caret) with the date and time.
    void insertDateTime(int index);

    struct FormatState
    {
        bool bold = false, italic = false, underline = false, strikeOut = false, bullets = false;
    };
    /// The styles the note's selection (or the caret) carries: the check marks of the format commands.
    FormatState formatState(int index) const;

private:
    /// Saves one note when it is loaded; throws Failure.
    void saveNote(int index);
    void autosave();
    void report(const QString &text);
    QTextEdit *target(int index) const;

    Services m_services;
    QList<QTextEdit *> m_editors;
    QList<bool> m_loaded;
    std::unique_ptr<NoteFiles> m_files;
    bool m_writing = true;
    QTimer m_autosave;
    QString m_lastAutosaveFailure;
    std::function<void(const QString &)> m_newEventWithText;
    std::function<QString()> m_reminderWord;
    std::function<void(const QString &)> m_report;
    std::function<std::optional<QFont>(const QFont &)> m_chooseFont;
};
