#include "app/MainWindow.h"

#include "app/PromptsDialog.h"
#include "app/StartupSequence.h"
#include "app/WindowShape.h"
#include "calendar/CalendarPanel.h"
#include "notes/NoteFiles.h"
#include "online/WebPageWindow.h"
#include "notes/PhoneBookPanel.h"
#include "app/TerminationWatcher.h"
#include "platform/TextCodec.h"
#include "platform/Failure.h"
#include "platform/SystemClock.h"

#include <QCloseEvent>
#include <QApplication>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QTextEdit>
#include <QTimer>
#include <cmath>

struct MainWindow::Parts
{
    SystemClock clock;
    PromptsDialog prompts;
    StartupSequence startup;
    std::unique_ptr<NoteFiles> notes;
    TerminationWatcher termination;
};

MainWindow::MainWindow(QWidget *parent) : QWidget(parent), m_parts(std::make_unique<Parts>())
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Veltrane"));
    m_services.clock = &m_parts->clock;
    m_services.prompts = &m_parts->prompts;
    createSurface();
    runStartup();

    // The platform's end of the program (SIGTERM, the end of the session) is a close request: the same
    // saves as a close, then a normal end.
    connect(&m_parts->termination, &TerminationWatcher::terminationRequested, this, [this] {
        close();
        QCoreApplication::quit();
    });
    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] { saveAll(); });
}

MainWindow::~MainWindow()
{
    saveAll();
    qDeleteAll(m_otherWindows);
}

void MainWindow::createSurface()
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

    m_bannerStrip = new QWidget(this);
    m_bannerStrip->setObjectName(QStringLiteral("Panel1"));
    m_bannerStrip->setGeometry(1, 208, 478, 64);

    auto bottomLabel = [this](const char *name, Qt::Alignment align) {
        auto *label = new QLabel(this);
        label->setObjectName(QLatin1String(name));
        label->setAlignment(align | Qt::AlignVCenter);
        label->setStyleSheet(QStringLiteral("color: white;"));
        return label;
    };
    m_label1 = bottomLabel("Label1", Qt::AlignLeft);
    m_label1->setGeometry(4, 273, 140, 13);
    m_label2 = bottomLabel("Label2", Qt::AlignRight);
    m_label2->setGeometry(474 - 140, 273, 140, 13);
    m_label4 = bottomLabel("Label4", Qt::AlignHCenter);
    m_label4->setGeometry(96, 274, 281, 13);
    QFont captionFont(QStringLiteral("Arial"));
    captionFont.setPixelSize(11);
    m_label4->setFont(captionFont);
    m_label4->setCursor(Qt::PointingHandCursor);
    m_label3 = bottomLabel("Label3", Qt::AlignHCenter);
    m_label3->setGeometry(104, 274, 265, 13);
    m_label3->setText(QStringLiteral("Доступна новая версия. Обновите программу!"));
    QFont noticeFont = captionFont;
    noticeFont.setBold(true);
    m_label3->setFont(noticeFont);
    m_label3->setStyleSheet(QStringLiteral("color: yellow; background: navy;"));

    m_phonePanel = new PhoneBookPanel(this);
    m_eventPanel = new QWidget(this);
    m_eventPanel->setObjectName(QStringLiteral("Panel4"));
    m_calendarPanel = new CalendarPanel(this);
    for (QWidget *panel : {static_cast<QWidget *>(m_phonePanel), m_eventPanel, static_cast<QWidget *>(m_calendarPanel)})
        panel->hide();

    // Note colours: black, the tooltip's pale yellow, sky blue, red.
    static const QColor backgrounds[] = {Qt::black, QColor(255, 255, 225), QColor(166, 202, 240), Qt::red};
    QFont noteFont(QStringLiteral("Comic Sans MS"));
    noteFont.setPixelSize(16);
    for (int i = 1; i <= 4; ++i) {
        auto *note = new QTextEdit(this);
        QPalette notePalette = note->palette();
        notePalette.setColor(QPalette::Base, backgrounds[i - 1]);
        notePalette.setColor(QPalette::Text, i == 1 ? Qt::white : Qt::black);
        note->setPalette(notePalette);
        note->setFont(noteFont);
        note->setAcceptRichText(false);
        note->setObjectName(QStringLiteral("RichEdit%1").arg(i));
        note->setFrameShape(QFrame::NoFrame);
        note->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        note->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
        note->hide();
        m_notes << note;
    }
}

void MainWindow::createOtherWindows()
{
    for (auto kind : {WebPageWindow::Kind::Calendar, WebPageWindow::Kind::Forecast, WebPageWindow::Kind::Video})
        m_otherWindows << new WebPageWindow(kind);
}

void MainWindow::reportFailure(const QString &text)
{
    m_services.prompts->error(QStringLiteral("Veltrane"), text);
}

void MainWindow::runStartup()
{
    auto &s = m_parts->startup;
    const Clock &clock = *m_services.clock;

    s.add(QStringLiteral("utc offset"), [this, &clock] {
        // Whole hours toward zero: +5:30 gives 5, -3:30 gives -3.
        m_values.utcOffsetHours = clock.standardOffsetSeconds() / 60 / 60;
    });
    s.add(QStringLiteral("program folder"), [this] {
        m_values.appDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    });
    s.add(QStringLiteral("frameless"), [this] {
        setWindowFlags(Qt::FramelessWindowHint | Qt::Tool);
        setMask(WindowShape::roundedRect(510, 290, 15));
    });
    s.add(QStringLiteral("version"), [this] {
        m_label3->hide();
        m_values.programVersion = QStringLiteral(VELTRANE_VERSION).left(7);
        m_values.versionLabelText = QStringLiteral("Veltrane ") + m_values.programVersion;
        m_label4->setText(m_values.versionLabelText);
        m_label4->show();
    });
    s.add(QStringLiteral("size"), [this] {
        setFixedSize(510, 290);
        for (QWidget *panel : {static_cast<QWidget *>(m_phonePanel), m_eventPanel, static_cast<QWidget *>(m_calendarPanel)})
            panel->setGeometry(0, 0, ProgramValues::contentWidth + 1, height());
        for (auto *note : m_notes) {
            note->clear();
            note->setGeometry(0, 0, 478, 290);
        }
    });
    s.add(QStringLiteral("notes"), [this] {
        m_parts->notes = std::make_unique<NoteFiles>(m_values.appDir, &TextCodec::fromWindows1251);
        m_parts->notes->createMissing();
        for (int i = 0; i < m_notes.size(); ++i)
            m_notes[i]->setPlainText(m_parts->notes->load(i + 1));
    });
    s.add(QStringLiteral("round corners"), [this] {
        setMask(WindowShape::roundLeftCorners(size()));
        for (QWidget *panel : {static_cast<QWidget *>(m_phonePanel), m_eventPanel, static_cast<QWidget *>(m_calendarPanel)})
            panel->setMask(WindowShape::roundLeftCorners(panel->size()));
    });

    if (!s.run([this](const QString &text) { reportFailure(text); }))
        return;
}

void MainWindow::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    saveAll();
    event->accept();
}

void MainWindow::saveAll()
{
    try {
        if (m_parts->notes) {
            for (int i = 0; i < m_notes.size(); ++i)
                m_parts->notes->save(i + 1, m_notes[i]->toPlainText());
        }
    } catch (const Failure &f) {
        reportFailure(f.text());
    }
}
