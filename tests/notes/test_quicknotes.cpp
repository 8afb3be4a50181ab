// The four quick notes: loading and saving their rich-text files (a note that did not load is never written,
// every save is tried), the autosave after typing, and the note commands of the popup menu.
#include "FakeServices.h"
#include "TempAppDir.h"
#include "notes/QuickNotes.h"
#include "platform/Failure.h"

#include <QDir>
#include <QFont>
#include <QSignalSpy>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QTextList>
#include <QWidget>

namespace {

/// Four notes in a fresh program folder, with fakes behind every seam.
struct NotesFixture
{
    TempAppDir dir;
    FakeServices fakes;
    QWidget window;
    QuickNotes notes{fakes.services(), &window};
    QStringList events;
    QStringList reports;

    NotesFixture()
    {
        notes.setNewEventWithText([this](const QString &text) {
            events << text;
        });
        notes.setReportFailure([this](const QString &text) {
            reports << text;
        });
    }

    QTextEdit *note(int i) const { return notes.editor(i); }

    /// Replaces the note's text and puts the caret at its end.
    void type(int i, const QString &text) const
    {
        note(i)->setPlainText(text);
        note(i)->moveCursor(QTextCursor::End);
    }

    void select(int i, int from, int to) const
    {
        QTextCursor c = note(i)->textCursor();
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        note(i)->setTextCursor(c);
    }

    /// The notes of the same folder as a new start of the program sees them.
    QString reloadedText(int i) const
    {
        FakeServices other;
        QWidget w;
        QuickNotes again(other.services(), &w);
        try {
            again.load(dir.appDir());
        } catch (const Failure &) {
            // Another note that does not load; the one asked for is read all the same.
        }
        return again.editor(i)->toPlainText();
    }
};

} // namespace

class TestQuickNotes : public QObject
{
    Q_OBJECT
private slots:
    void firstStartCreatesFourEmptyRichTextNotes()
    {
        NotesFixture f;
        f.notes.load(f.dir.appDir());
        for (int i = 1; i <= 4; ++i) {
            const QByteArray bytes = f.dir.read(QStringLiteral("note%1.rtf").arg(i));
            QVERIFY2(bytes.startsWith("{\\rtf1"), bytes.constData());
            QCOMPARE(f.note(i - 1)->toPlainText(), QString());
            QVERIFY(!f.note(i - 1)->isReadOnly());
        }
    }

    void formattedTextSurvivesSaveAndLoad()
    {
        NotesFixture f;
        f.notes.load(f.dir.appDir());
        f.type(2, QStringLiteral("Купить EUR\nпродать"));
        f.select(2, 0, 6);
        f.notes.toggleBold(2);
        QVERIFY(f.notes.saveAll().isEmpty());

        FakeServices other;
        QWidget w;
        QuickNotes again(other.services(), &w);
        again.load(f.dir.appDir());
        QCOMPARE(again.editor(2)->toPlainText(), QStringLiteral("Купить EUR\nпродать"));
        QTextCursor c(again.editor(2)->document());
        c.setPosition(3);
        QVERIFY(c.charFormat().fontWeight() >= QFont::Bold);
        c.setPosition(9);
        QVERIFY(c.charFormat().fontWeight() < QFont::Bold);
    }

    void plainTextFileLoadsAsText()
    {
        NotesFixture f;
        QVERIFY(f.dir.write(QStringLiteral("note1.rtf"), "just text\r\nline two"));
        QVERIFY(f.dir.write(QStringLiteral("note2.rtf"), "\xcf\xf0\xe8\xe2\xe5\xf2")); // Windows-1251
        f.notes.load(f.dir.appDir());
        QCOMPARE(f.note(0)->toPlainText(), QStringLiteral("just text\nline two"));
        QCOMPARE(f.note(1)->toPlainText(), QStringLiteral("Привет"));
    }

    // A note whose file could not be read (a dangling link, a directory) is reported, stays read-only and
    // is never written over; the other notes load and save as usual.
    void noteThatDidNotLoadIsNeverWritten_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("dangling link") << QStringLiteral("link");
        QTest::newRow("directory") << QStringLiteral("dir");
    }
    void noteThatDidNotLoadIsNeverWritten()
    {
        QFETCH(QString, kind);
        NotesFixture f;
        QVERIFY(f.dir.write(QStringLiteral("note1.rtf"), "{\\rtf1 first}"));
        QVERIFY(f.dir.write(QStringLiteral("note3.rtf"), "{\\rtf1 third}"));
        const QString bad = f.dir.path(QStringLiteral("note4.rtf"));
        if (kind == QLatin1String("link"))
            QVERIFY(QFile::link(f.dir.path(QStringLiteral("gone.rtf")), bad));
        else
            QVERIFY(QDir().mkdir(bad));

        try {
            f.notes.load(f.dir.appDir());
            QFAIL("the failed note was not reported");
        } catch (const Failure &failure) {
            QVERIFY2(failure.text().contains(QStringLiteral("note4.rtf")), qPrintable(failure.text()));
        }
        QVERIFY(f.notes.isLoaded(0) && f.notes.isLoaded(1) && f.notes.isLoaded(2));
        QVERIFY(!f.notes.isLoaded(3));
        QVERIFY(f.note(3)->isReadOnly());
        QCOMPARE(f.note(0)->toPlainText(), QStringLiteral("first"));

        f.note(3)->setPlainText(QStringLiteral("never saved"));
        f.type(0, QStringLiteral("first, edited"));
        QVERIFY(f.notes.saveAll().isEmpty());
        QFileInfo after(bad);
        QVERIFY(after.isSymLink() || after.isDir());
        QCOMPARE(f.reloadedText(2), QStringLiteral("third"));
        QVERIFY(f.dir.read(QStringLiteral("note1.rtf")).contains("first, edited"));
    }

    // One note that cannot be written does not stop the saves of those after it.
    void everySaveIsTriedAndFailuresComeBackTogether()
    {
        NotesFixture f;
        f.notes.load(f.dir.appDir());
        for (int i = 0; i < 4; ++i)
            f.type(i, QStringLiteral("text %1").arg(i + 1));
        for (const char *name : {"note2.rtf", "note3.rtf"}) {
            QVERIFY(QFile::remove(f.dir.path(QLatin1String(name))));
            QVERIFY(QDir().mkdir(f.dir.path(QLatin1String(name))));
        }
        const QStringList failures = f.notes.saveAll();
        QCOMPARE(failures.size(), 2);
        QVERIFY(failures[0].contains(QStringLiteral("note2.rtf")));
        QVERIFY(failures[1].contains(QStringLiteral("note3.rtf")));
        QVERIFY(f.dir.read(QStringLiteral("note1.rtf")).contains("text 1"));
        QVERIFY(f.dir.read(QStringLiteral("note4.rtf")).contains("text 4"));
    }

    void changedNoteIsSavedSoonAfterTypingStops()
    {
        NotesFixture f;
        f.notes.setAutosaveDelay(100);
        f.notes.load(f.dir.appDir());
        const QByteArray before = f.dir.read(QStringLiteral("note2.rtf"));
        f.note(1)->setFocus();
        QTest::keyClicks(f.note(1), QStringLiteral("abc"));
        QCOMPARE(f.dir.read(QStringLiteral("note2.rtf")), before);
        QTRY_VERIFY(f.dir.read(QStringLiteral("note2.rtf")).contains("abc"));
        QVERIFY(!f.note(1)->document()->isModified());

        // A failing autosave is reported once while it keeps failing, not at every pause in the typing.
        QVERIFY(QFile::remove(f.dir.path(QStringLiteral("note2.rtf"))));
        QVERIFY(QDir().mkdir(f.dir.path(QStringLiteral("note2.rtf"))));
        QTest::keyClicks(f.note(1), QStringLiteral("d"));
        QTRY_COMPARE(f.reports.size(), 1);
        QTest::keyClicks(f.note(1), QStringLiteral("e"));
        QTest::qWait(300);
        QCOMPARE(f.reports.size(), 1);
    }

    void stopWritingLeavesTheFilesAlone()
    {
        NotesFixture f;
        f.notes.load(f.dir.appDir());
        const QByteArray before = f.dir.read(QStringLiteral("note1.rtf"));
        f.notes.stopWriting();
        f.type(0, QStringLiteral("after a restore"));
        QVERIFY(f.notes.saveAll().isEmpty());
        QCOMPARE(f.dir.read(QStringLiteral("note1.rtf")), before);
    }

    void formatCommandsToggleAndShowTheirState()
    {
        NotesFixture f;
        f.notes.load(f.dir.appDir());
        f.type(0, QStringLiteral("one two"));
        f.select(0, 0, 3);
        using Toggle = void (QuickNotes::*)(int);
        const struct
        {
            Toggle toggle;
            bool QuickNotes::FormatState::*flag;
        } styles[] = {{&QuickNotes::toggleBold, &QuickNotes::FormatState::bold},
                      {&QuickNotes::toggleItalic, &QuickNotes::FormatState::italic},
                      {&QuickNotes::toggleUnderline, &QuickNotes::FormatState::underline},
                      {&QuickNotes::toggleStrikeOut, &QuickNotes::FormatState::strikeOut}};
        for (const auto &s : styles) {
            QVERIFY(!(f.notes.formatState(0).*s.flag));
            (f.notes.*s.toggle)(0);
            QVERIFY(f.notes.formatState(0).*s.flag);
            // The caret in the unformatted word shows no mark.
            f.select(0, 5, 5);
            QVERIFY(!(f.notes.formatState(0).*s.flag));
            f.select(0, 0, 3);
            (f.notes.*s.toggle)(0);
            QVERIFY(!(f.notes.formatState(0).*s.flag));
            (f.notes.*s.toggle)(0);
        }
        // The format shortcut answers in the focused note.
        f.select(0, 4, 7);
        f.note(0)->show();
        f.window.show();
        f.window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f.window));
        f.note(0)->setFocus();
        QTest::keyClick(f.note(0), Qt::Key_B, Qt::ControlModifier);
        QVERIFY(f.notes.formatState(0).bold);
    }

    void bulletsFollowTheParagraph()
    {
        NotesFixture f;
        f.notes.load(f.dir.appDir());
        f.type(1, QStringLiteral("first\nsecond"));
        f.select(1, 0, 0);
        f.notes.toggleBullets(1);
        QVERIFY(f.notes.formatState(1).bullets);
        f.select(1, 7, 7);
        QVERIFY(!f.notes.formatState(1).bullets);
        QVERIFY(f.notes.saveAll().isEmpty());

        FakeServices other;
        QWidget w;
        QuickNotes again(other.services(), &w);
        again.load(f.dir.appDir());
        QCOMPARE(again.editor(1)->toPlainText(), QStringLiteral("first\nsecond"));
        QVERIFY(again.editor(1)->document()->firstBlock().textList());
        QVERIFY(!again.editor(1)->document()->lastBlock().textList());

        f.select(1, 0, 0);
        f.notes.toggleBullets(1);
        QVERIFY(!f.notes.formatState(1).bullets);
        QCOMPARE(f.note(1)->toPlainText(), QStringLiteral("first\nsecond"));
    }

    void remindStartsAnEventFromSelectionOrWholeNote()
    {
        NotesFixture f;
        f.notes.load(f.dir.appDir());
        f.notes.setReminderWord([] {
            return QStringLiteral("Напоминание");
        });
        f.type(0, QStringLiteral("buy EUR\nat 1.08"));
        f.select(0, 4, 7);
        f.notes.remind(0);
        QCOMPARE(f.fakes.prompts.shown.last().text, QStringLiteral("Создать напоминание из выделенного текста?"));
        f.select(0, 2, 2);
        f.notes.remind(0);
        f.fakes.prompts.answers = {false};
        f.notes.remind(0);
        f.type(0, QString(300, QLatin1Char('x')));
        f.notes.remind(0);
        QCOMPARE(f.events.size(), 3);
        QCOMPARE(f.events[0], QStringLiteral("Напоминание EUR"));
        QCOMPARE(f.events[1], QStringLiteral("Напоминание buy EUR\nat 1.08"));
        QCOMPARE(f.events[2].size(), 254);
    }

    void openInEditorSavesFirst()
    {
        NotesFixture f;
        f.notes.load(f.dir.appDir());
        f.type(2, QStringLiteral("fresh"));
        f.notes.openInEditor(2);
        QCOMPARE(f.fakes.shell.opened, QStringList{f.dir.path(QStringLiteral("note3.rtf"))});
        QVERIFY(f.dir.read(QStringLiteral("note3.rtf")).contains("fresh"));
    }

    void insertDateTimeReplacesTheSelection()
    {
        NotesFixture f;
        f.notes.load(f.dir.appDir());
        f.fakes.clock.setLocal(QDateTime(QDate(2026, 3, 5), QTime(9, 5, 7)));
        f.type(0, QStringLiteral("at XX ok"));
        f.select(0, 3, 5);
        f.notes.insertDateTime(0);
        QCOMPARE(f.note(0)->toPlainText(), QStringLiteral("at 05.03.2026 9:05:07 ok"));
    }

    void chosenFontAppliesToTheSelection()
    {
        NotesFixture f;
        f.notes.load(f.dir.appDir());
        f.type(0, QStringLiteral("abc def"));
        f.select(0, 0, 3);
        int asked = 0;
        f.notes.setChooseFont([&asked](const QFont &) -> std::optional<QFont> {
            ++asked;
            if (asked == 1)
                return std::nullopt;
            QFont font(QStringLiteral("DejaVu Sans"));
            font.setPixelSize(20);
            return font;
        });
        f.notes.chooseFont(0);
        QVERIFY(f.note(0)->currentFont().pixelSize() != 20);
        f.notes.chooseFont(0);
        QCOMPARE(f.note(0)->currentFont().pixelSize(), 20);
        f.select(0, 5, 5);
        QVERIFY(f.note(0)->currentFont().pixelSize() != 20);
    }
};

QTEST_MAIN(TestQuickNotes)
#include "test_quicknotes.moc"
