#include "notes/QuickNotes.h"

#include "notes/NoteFiles.h"
#include "platform/Clock.h"
#include "platform/Failure.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"
#include "platform/TextCodec.h"

#include <QAction>
#include <QFontDialog>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <QTextEdit>
#include <QTextList>

namespace {

/// The longest text of a planner event.
constexpr int eventTextLimit = 254;

QString joined(const QStringList &failures)
{
    return failures.join(QLatin1Char('\n'));
}

} // namespace

QuickNotes::QuickNotes(const Services &services, QWidget *parent) : QObject(parent), m_services(services)
{
    // Comic Sans MS is rarely installed on Linux; Comic Neue has the same shapes and metrics.
    QFont::insertSubstitution(QStringLiteral("Comic Sans MS"), QStringLiteral("Comic Neue"));
    QFont noteFont(QStringLiteral("Comic Sans MS"));
    noteFont.setPixelSize(16);
    // Note colours: black, the tooltip's pale yellow, sky blue, red.
    static const QColor backgrounds[] = {Qt::black, QColor(255, 255, 225), QColor(166, 202, 240), Qt::red};

    m_autosave.setSingleShot(true);
    m_autosave.setInterval(autosaveDelayMs);
    connect(&m_autosave, &QTimer::timeout, this, &QuickNotes::autosave);

    for (int i = 0; i < count; ++i) {
        auto *note = new QTextEdit(parent);
        QPalette notePalette = note->palette();
        notePalette.setColor(QPalette::Base, backgrounds[i]);
        notePalette.setColor(QPalette::Text, i == 0 ? Qt::white : Qt::black);
        note->setPalette(notePalette);
        note->setFont(noteFont);
        note->setObjectName(QStringLiteral("RichEdit%1").arg(i + 1));
        note->setFrameShape(QFrame::NoFrame);
        note->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        note->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        note->setGeometry(0, 0, 478, 290);
        note->hide();
        // The format shortcuts answer in the note that has the focus.
        auto addShortcut = [this, note, i](QKeySequence keys, void (QuickNotes::*command)(int)) {
            auto *action = new QAction(note);
            action->setShortcut(keys);
            action->setShortcutContext(Qt::WidgetShortcut);
            connect(action, &QAction::triggered, this, [this, i, command] {
                (this->*command)(i);
            });
            note->addAction(action);
        };
        addShortcut(QKeySequence(Qt::CTRL | Qt::Key_B), &QuickNotes::toggleBold);
        addShortcut(QKeySequence(Qt::CTRL | Qt::Key_I), &QuickNotes::toggleItalic);
        addShortcut(QKeySequence(Qt::CTRL | Qt::Key_U), &QuickNotes::toggleUnderline);
        connect(note->document(), &QTextDocument::contentsChanged, this, [this, note] {
            if (note->document()->isModified())
                m_autosave.start();
        });
        m_editors << note;
        m_loaded << false;
    }
}

QuickNotes::~QuickNotes() = default;

QString QuickNotes::path(int index) const
{
    return m_files ? m_files->path(index + 1) : QString();
}

void QuickNotes::load(const QString &appDir)
{
    m_files = std::make_unique<NoteFiles>(appDir, &TextCodec::fromWindows1251);
    QStringList failures;
    for (int i = 0; i < count; ++i) {
        QTextEdit *note = m_editors[i];
        m_loaded[i] = false;
        try {
            m_files->createIfMissing(i + 1);
            m_files->loadInto(i + 1, note->document());
            m_loaded[i] = true;
        } catch (const Failure &f) {
            note->clear();
            failures << f.text();
        }
        // What the file holds is what the editor shows: nothing to save yet. A note that could not be read
        // takes no typing, which could never be saved.
        note->document()->setModified(false);
        note->setReadOnly(!m_loaded[i]);
    }
    m_autosave.stop();
    if (!failures.isEmpty())
        throw Failure(joined(failures));
}

void QuickNotes::saveNote(int index)
{
    if (!m_files || !m_writing || !m_loaded[index])
        return;
    QTextDocument *document = m_editors[index]->document();
    m_files->saveDocument(index + 1, *document);
    document->setModified(false);
}

QStringList QuickNotes::saveAll()
{
    m_autosave.stop();
    QStringList failures;
    for (int i = 0; i < count; ++i) {
        try {
            saveNote(i);
        } catch (const Failure &f) {
            failures << f.text();
        }
    }
    return failures;
}

void QuickNotes::stopWriting()
{
    m_writing = false;
    m_autosave.stop();
}

void QuickNotes::autosave()
{
    QStringList failures;
    for (int i = 0; i < count; ++i) {
        if (!m_editors[i]->document()->isModified())
            continue;
        try {
            saveNote(i);
        } catch (const Failure &f) {
            failures << f.text();
        }
    }
    // A save that keeps failing while the user types is shown once, not every two seconds.
    const QString text = joined(failures);
    if (!text.isEmpty() && text != m_lastAutosaveFailure)
        report(text);
    m_lastAutosaveFailure = text;
}

void QuickNotes::report(const QString &text)
{
    if (m_report)
        m_report(text);
}

QTextEdit *QuickNotes::target(int index) const
{
    return index >= 0 && index < count ? m_editors[index] : nullptr;
}

void QuickNotes::toggleBold(int index)
{
    if (QTextEdit *note = target(index))
        note->setFontWeight(formatState(index).bold ? QFont::Normal : QFont::Bold);
}

void QuickNotes::toggleItalic(int index)
{
    if (QTextEdit *note = target(index))
        note->setFontItalic(!formatState(index).italic);
}

void QuickNotes::toggleUnderline(int index)
{
    if (QTextEdit *note = target(index))
        note->setFontUnderline(!formatState(index).underline);
}

void QuickNotes::toggleStrikeOut(int index)
{
    QTextEdit *note = target(index);
    if (!note)
        return;
    QTextCharFormat format;
    format.setFontStrikeOut(!formatState(index).strikeOut);
    note->mergeCurrentCharFormat(format);
}

void QuickNotes::toggleBullets(int index)
{
    QTextEdit *note = target(index);
    if (!note)
        return;
    QTextCursor cursor = note->textCursor();
    cursor.beginEditBlock();
    if (cursor.currentList()) {
        // Every selected paragraph leaves its list and keeps its place.
        const QTextBlock first = note->document()->findBlock(cursor.selectionStart());
        const QTextBlock last = note->document()->findBlock(cursor.selectionEnd());
        for (QTextBlock b = first; b.isValid(); b = b.next()) {
            if (QTextList *l = b.textList()) {
                l->remove(b);
                QTextCursor c(b);
                QTextBlockFormat plain = b.blockFormat();
                plain.setIndent(0);
                c.setBlockFormat(plain);
            }
            if (b == last)
                break;
        }
    } else {
        QTextListFormat format;
        format.setStyle(QTextListFormat::ListDisc);
        cursor.createList(format);
    }
    cursor.endEditBlock();
}

QuickNotes::FormatState QuickNotes::formatState(int index) const
{
    QTextEdit *note = target(index);
    if (!note)
        return {};
    const QTextCursor cursor = note->textCursor();
    const QTextCharFormat f = cursor.charFormat();
    FormatState state;
    state.bold = f.fontWeight() >= QFont::Bold;
    state.italic = f.fontItalic();
    state.underline = f.fontUnderline();
    state.strikeOut = f.fontStrikeOut();
    state.bullets = cursor.currentList() != nullptr;
    return state;
}

void QuickNotes::chooseFont(int index)
{
    QTextEdit *note = target(index);
    if (!note)
        return;
    const QFont current = note->currentFont();
    std::optional<QFont> chosen;
    if (m_chooseFont) {
        chosen = m_chooseFont(current);
    } else {
        bool ok = false;
        const QFont font = QFontDialog::getFont(&ok, current, note);
        if (ok)
            chosen = font;
    }
    if (!chosen)
        return;
    QTextCharFormat format;
    format.setFontFamilies({chosen->family()});
    if (chosen->pixelSize() > 0)
        format.setProperty(QTextFormat::FontPixelSize, chosen->pixelSize());
    else
        format.setFontPointSize(chosen->pointSizeF());
    format.setFontWeight(chosen->weight());
    format.setFontItalic(chosen->italic());
    format.setFontUnderline(chosen->underline());
    format.setFontStrikeOut(chosen->strikeOut());
    note->mergeCurrentCharFormat(format);
}

void QuickNotes::remind(int index)
{
    QTextEdit *note = target(index);
    if (!note || !m_services.prompts->question(QStringLiteral("Создать напоминание из выделенного текста?")))
        return;
    const QTextCursor cursor = note->textCursor();
    // The selection's paragraph separators come back as line breaks, like the whole note's.
    QString text = cursor.hasSelection() ? cursor.selection().toPlainText() : note->toPlainText();
    const QString word = m_reminderWord ? m_reminderWord() : QStringLiteral("Напоминание");
    if (m_newEventWithText)
        m_newEventWithText((word + QLatin1Char(' ') + text).left(eventTextLimit));
}

void QuickNotes::openInEditor(int index)
{
    if (!target(index))
        return;
    const QStringList failures = saveAll();
    if (!failures.isEmpty())
        report(joined(failures));
    m_services.shell->open(path(index));
}

void QuickNotes::insertDateTime(int index)
{
    QTextEdit *note = target(index);
    if (!note)
        return;
    const Clock &clock = *m_services.clock;
    const QDateTime now = clock.localNow();
    note->textCursor().insertText(clock.formatShortDate(now.date()) + QLatin1Char(' ')
                                  + clock.formatLongTime(now.time()));
}
