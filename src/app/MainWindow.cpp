#include "app/MainWindow.h"

#include "app/AboutWindow.h"
#include "app/AfterFirstPaint.h"
#include "app/Autostart.h"
#include "app/DataBackup.h"
#include "app/FolderDialog.h"
#include "app/LabelColours.h"
#include "app/NextNews.h"
#include "app/NoteMenu.h"
#include "app/PopupMenuWidget.h"
#include "app/ProgramEnd.h"
#include "app/PromptsDialog.h"
#include "app/ServiceAddresses.h"
#include "app/Settings.h"
#include "app/StartupSequence.h"
#include "app/StartupTrace.h"
#include "app/SystemUtilities.h"
#include "app/ToolbarPanel.h"
#include "app/TrayIcon.h"
#include "app/UtilityHotKeys.h"
#include "app/WebLinks.h"
#include "app/WindowBehaviourWidget.h"
#include "app/WindowShape.h"
#include "calendar/CalendarImport.h"
#include "calendar/CalendarPanel.h"
#include "calendar/NewsAlerts.h"
#include "clock/ClockFaceView.h"
#include "clock/ClockTicker.h"
#include "clock/Greeting.h"
#include "clock/SessionBoard.h"
#include "clock/Voice.h"
#include "files/IniFile.h"
#include "i18n/CaptionBinder.h"
#include "i18n/LanguageFiles.h"
#include "i18n/LanguageSwitch.h"
#include "i18n/LanguageTexts.h"
#include "i18n/QtTranslations.h"
#include "notes/PhoneBookPanel.h"
#include "notes/QuickNotes.h"
#include "online/BannersView.h"
#include "online/HttpGetClient.h"
#include "online/InstallerDownloadView.h"
#include "online/MachineId.h"
#include "online/PageFetcher.h"
#include "online/UpdateCheck.h"
#include "online/WebAddresses.h"
#include "online/WebEngineLoader.h"
#include "online/WebPageWindow.h"
#include "planner/AlarmTimer.h"
#include "planner/PlannerPanel.h"
#include "planner/PlannerTexts.h"
#include "planner/PowerCountdown.h"
#include "planner/PowerOffWindow.h"
#include "planner/ReminderWindow.h"
#include "platform/DesktopShell.h"
#include "platform/Failure.h"
#include "platform/LinuxNetState.h"
#include "platform/LogindPower.h"
#include "platform/Sound.h"
#include "platform/SystemClock.h"
#include "platform/SystemLanguage.h"
#include "platform/X11HotKeyManager.h"
#include "store/DataSet.h"
#include "store/DataSetModel.h"
#include "store/TableSchemas.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDebug>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

struct MainWindow::Parts
{
    explicit Parts(std::function<Notifier &()> tray) : trayNotifier(std::move(tray)) {}

    NotifierOnDemand trayNotifier;
    SystemClock clock;
    PromptsDialog prompts;
    LinuxNetState net;
    DesktopShell shell;
    LogindPower power;
    StartupSequence startup;

    std::unique_ptr<IniFile> ini;
    Settings settings;
    ServiceAddresses addresses;
    LanguageTexts form1{LanguageTexts::Section::Form1};

    DataSet phone;
    DataSet alarm;
    DataSet econom;

    HttpGetClient http;
    PageFetcher pages{&net};
    LazyMp3Player player;
    std::unique_ptr<Voice> voice;
    std::unique_ptr<Greeting> greeting;
    std::unique_ptr<ClockTicker> ticker;
    std::unique_ptr<AlarmTimer> scheduler;
    PowerCountdown countdown{&power};
    std::unique_ptr<CalendarImport> calendarImport;
    std::unique_ptr<UpdateCheck> update;
    std::unique_ptr<NewsAlerts> newsAlerts;
    // The browser engine is loaded when the first web view is made, never at start-up.
    WebEngineLoader webViews{QCoreApplication::applicationDirPath() + QLatin1Char('/')};
    std::unique_ptr<BannersView> banners;
    std::unique_ptr<InstallerDownloadView> installer;

    X11HotKeyManager hotKeyManager;
    SystemUtilities utilities;
    UtilityHotKeys hotKeys{&hotKeyManager, &shell, &utilities};
};

MainWindow::MainWindow(ProgramEnd &end, QWidget *parent)
    : QWidget(parent), m_end(end), m_parts(std::make_unique<Parts>([this]() -> Notifier & {
          return tray();
      }))
{
    // The platform's end of the program stops the start-up steps; the saves follow as the window goes.
    connect(&m_end, &ProgramEnd::requested, this, [this] {
        m_parts->startup.stop();
    });
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Veltrane"));
    m_services.clock = &m_parts->clock;
    m_services.prompts = &m_parts->prompts;
    m_services.net = &m_parts->net;
    m_services.shell = &m_parts->shell;
    m_services.power = &m_parts->power;
    StartupTrace::mark(QStringLiteral("main window parts"));
    createMenuAndTray();
    StartupTrace::mark(QStringLiteral("menu and tray"));
    createVoiceAndScheduler();
    StartupTrace::mark(QStringLiteral("voice and scheduler"));
    createSurface();
    StartupTrace::mark(QStringLiteral("surface"));
    createShell();
    wireShellCommands();
    wireBackup();
    addStartupSteps();
    StartupTrace::mark(QStringLiteral("shell"));
    if (m_end.isRequested())
        m_parts->startup.stop();
    m_parts->startup.run([this](const QString &text) {
        reportFailure(text);
    });

    connect(qApp, &QGuiApplication::commitDataRequest, this, [this] {
        saveAll();
    });

    if (m_parts->ticker)
        m_parts->ticker->start();
}

void MainWindow::showTrayIcon()
{
    tray().show();
}

TrayIcon &MainWindow::tray()
{
    if (!m_tray) {
        m_tray = new TrayIcon(m_menu, this);
        connect(m_tray, &TrayIcon::clicked, this, &MainWindow::showNextNews);
        connect(m_tray, &TrayIcon::doubleClicked, m_behaviour, &WindowBehaviourWidget::showFromTray);
    }
    return *m_tray;
}

MainWindow::~MainWindow()
{
    saveAll();
    qDeleteAll(m_otherWindows);
    // Panels, grids, binders and the tray refer to the tables and the scheduler: they go before those parts.
    qDeleteAll(findChildren<QObject *>(QString(), Qt::FindDirectChildrenOnly));
}

void MainWindow::createSurface()
{
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    setPalette(pal);
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));

    // The clock face lies under everything else and is what shows when every panel is hidden.
    m_clockView = new ClockFaceView(m_parts->clock, this);
    m_clockView->setGeometry(0, 0, ProgramValues::contentWidth + 1, 290);

    m_bannerStrip = new QWidget(this);
    m_bannerStrip->setObjectName(QStringLiteral("Panel1"));
    m_bannerStrip->setGeometry(1, 208, 478, 64);

    auto bottomLabel = [this](const char *name, Qt::Alignment align) {
        auto *label = new QLabel(this);
        label->setObjectName(QLatin1String(name));
        label->setAlignment(align | Qt::AlignVCenter);
        return label;
    };
    // Local time bold yellow, UTC bold lime, both on the face's black ground.
    QFont timeFont(QStringLiteral("MS Sans Serif"), 8);
    timeFont.setBold(true);
    m_label1 = bottomLabel("Label1", Qt::AlignLeft);
    placeTickingLabel(m_label1, QRect(4, 273, 90, 13), QColor(0xff, 0xff, 0x00), Qt::black);
    m_label1->setFont(timeFont);
    m_label2 = bottomLabel("Label2", Qt::AlignRight);
    placeTickingLabel(m_label2, QRect(474 - 90, 273, 90, 13), QColor(0x00, 0xff, 0x00), Qt::black);
    m_label2->setFont(timeFont);
    m_label4 = bottomLabel("Label4", Qt::AlignHCenter);
    setLabelColours(m_label4, QStringLiteral("color: white;"));
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
    setLabelColours(m_label3, QStringLiteral("color: yellow; background: navy;"));

    // The phone book, the planner and the calendar are made after the first paint (ensurePanels), under the
    // notes.
    m_quickNotes = new QuickNotes(m_services, this);
    m_notes = m_quickNotes->editors();
}

QList<QWidget *> MainWindow::panels() const
{
    QList<QWidget *> made;
    for (QWidget *panel : std::initializer_list<QWidget *>{m_phonePanel, m_eventPanel, m_calendarPanel}) {
        if (panel)
            made << panel;
    }
    return made;
}

void MainWindow::ensurePanels()
{
    if (m_phonePanel)
        return;
    m_calendarPanel = new CalendarPanel(this);
    m_calendarPanel->setClock(&m_parts->clock);
    m_phonePanel = new PhoneBookPanel(&m_parts->phone, m_services, this);
    m_eventPanel = new PlannerPanel(&m_parts->alarm, m_parts->scheduler.get(), m_services, this);
    // Where they would lie had they come with the window: the calendar under the notes and the toolbar, the
    // phone book and then the planner under the calendar.
    const QList<QWidget *> made = {m_calendarPanel, m_phonePanel, m_eventPanel};
    for (QWidget *panel : made) {
        // Restacked while covering nothing: a restacked widget, hidden or not, has its area of the window
        // repainted, and that full repaint would keep a larger buffer for sending the window's contents.
        panel->hide();
        panel->setGeometry(QRect());
        panel->stackUnder(panel == m_calendarPanel ? static_cast<QWidget *>(m_notes.first()) : m_calendarPanel);
        // What the "size" and "round corners" steps give the panels (no mask when the start-up stopped before),
        // and the texts of the language loaded (the defaults before).
        panel->setGeometry(0, 0, ProgramValues::contentWidth + 1, height());
        if (m_cornersRounded)
            panel->setMask(WindowShape::roundLeftCorners(panel->size()));
        CaptionBinder::applyToPart(m_parts->form1, panel);
    }
    m_eventPanel->retranslate();
    showCalendarModel();

    m_toolbar->setViewTarget(View::Calendar, m_calendarPanel, m_calendarPanel->grid());
    m_toolbar->setViewTarget(View::Events, m_eventPanel, m_eventPanel->grid());
    m_eventPanel->setShowPanel([this] {
        m_toolbar->showView(View::Events);
    });
    m_toolbar->setViewTarget(View::PhoneBook, m_phonePanel, m_phonePanel->grid());
    m_phonePanel->setNewEventWithText([this](const QString &text) {
        m_eventPanel->newEventWithText(text);
    });
    // Both hide the window on a double click and drag it; so does the planner's repeat group.
    for (QWidget *panel : {static_cast<QWidget *>(m_phonePanel), static_cast<QWidget *>(m_eventPanel)}) {
        m_behaviour->addHideSurface(panel);
        m_behaviour->addDragSurface(panel);
    }
    if (auto *group = m_eventPanel->findChild<QWidget *>(QStringLiteral("GroupBox1")))
        m_behaviour->addDragSurface(group);
    // The calendar drags the window but does not hide it on a double click.
    m_behaviour->addDragSurface(m_calendarPanel);
    m_behaviour->addDragSurface(m_calendarPanel->grid());
}

void MainWindow::createMenuAndTray()
{
    m_menu = new PopupMenuWidget(this);
    m_menu->attachTo(this);
    m_services.notifier = &m_parts->trayNotifier;
}

void MainWindow::createVoiceAndScheduler()
{
    // The program folder is known from the start; the speech address and language follow the settings.
    const QString appDir = QCoreApplication::applicationDirPath() + QLatin1Char('/');
    auto texts = [this](const QString &key) {
        return m_parts->form1.text(key);
    };
    m_parts->voice = std::make_unique<Voice>(&m_parts->net, &m_parts->http, &m_parts->player, appDir,
                                             m_parts->addresses.speech(QStringLiteral("/")));
    m_services.speech = m_parts->voice.get();
    m_parts->greeting = std::make_unique<Greeting>(&m_parts->clock, m_parts->voice.get(), texts);

    m_parts->scheduler = std::make_unique<AlarmTimer>(&m_parts->alarm, m_services, appDir, QString());
    m_parts->scheduler->setTexts(PlannerTexts(texts));
    m_parts->countdown.setTexts(PlannerTexts(texts));
    m_parts->scheduler->setCountdown(&m_parts->countdown);
    connect(m_parts->scheduler.get(), &AlarmTimer::speechFailed, this, &MainWindow::reportFailure);
    connect(m_parts->scheduler.get(), &AlarmTimer::failed, this, &MainWindow::reportFailure);
    // A page of the maker's site that carries the registration marker asks for the user's attention.
    connect(&m_parts->pages, &PageFetcher::registrationMarkerSeen, this, [this] {
        update();
        QApplication::alert(this);
    });
    // After a power-off request the program ends the normal way, saving the notes and the settings.
    connect(&m_parts->countdown, &PowerCountdown::programEndRequested, qApp, &QCoreApplication::quit);
}

void MainWindow::createShell()
{
    for (auto *note : m_notes)
        PopupMenuWidget::shareWith(note);

    m_toolbar = new ToolbarPanel(this);
    m_toolbar->setGeometry(478, 0, 32, 290);
    // The phone book, the planner and the calendar register themselves when made.
    m_toolbar->setBeforeShow([this](View view) {
        if (view == View::Events || view == View::PhoneBook || view == View::Calendar)
            ensurePanels();
    });
    const View noteViews[] = {View::Note1, View::Note2, View::Note3, View::Note4};
    for (int i = 0; i < 4; ++i)
        m_toolbar->setViewTarget(noteViews[i], m_notes[i], m_notes[i]);
    connect(m_toolbar, &ToolbarPanel::viewChanged, m_menu, &PopupMenuWidget::setCurrentView);
    wirePhoneBook();
    wireNotes();

    m_behaviour = new WindowBehaviourWidget(this, m_menu, this);
    // The panels' surfaces are added when they are made (ensurePanels).
    for (QWidget *surface : {static_cast<QWidget *>(m_clockView), static_cast<QWidget *>(this)}) {
        m_behaviour->addHideSurface(surface);
        m_behaviour->addDragSurface(surface);
    }

    m_label4->installEventFilter(this);
    connect(m_menu->item(QStringLiteral("N1")), &QAction::triggered, qApp, &QCoreApplication::quit);
    connect(m_menu->item(QStringLiteral("N15")), &QAction::triggered, this, &MainWindow::showAboutWindow);
    connect(m_menu, &PopupMenuWidget::newsLeadChosen, this, [this](int minutes) {
        m_values.newsLeadMinutes = minutes;
        if (m_parts->newsAlerts)
            m_parts->newsAlerts->setLeadMinutes(minutes);
    });
    connect(m_menu, &PopupMenuWidget::languageChosen, this, [this](const QString &code) {
        auto *about = qobject_cast<AboutWindow *>(m_aboutWindow);
        LanguageSwitch::Parts parts;
        parts.appDir = m_values.appDir;
        parts.langCode = &m_values.langCode;
        parts.shell = m_services.shell;
        parts.form1 = &m_parts->form1;
        parts.form1Root = this;
        parts.about = about ? &about->texts() : nullptr;
        parts.aboutWindow = about;
        parts.languageLoaded = [this](const QString &c) {
            QtTranslations::install(c);
            if (m_eventPanel)
                m_eventPanel->retranslate();
        };
        parts.saveSettings = [this](const QString &c) {
            saveSettings(c);
        };
        parts.quit = [] {
            QCoreApplication::quit();
        };
        LanguageSwitch(parts).switchTo(code);
    });
    connect(m_menu->item(QStringLiteral("N36")), &QAction::toggled, this, [this](bool on) {
        if (m_parts->voice)
            m_parts->voice->setEnabled(on);
    });
    connect(m_menu->item(QStringLiteral("N9")), &QAction::toggled, this, [this](bool on) {
        m_clockView->face().setActiveOnly(on);
        m_clockView->update();
    });
}

void MainWindow::addStartupSteps()
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
    s.add(QStringLiteral("hot keys"), [this] {
        // Grabbed once the window is on the screen: nobody presses one before, and each costs the start a round
        // trip to the X server.
        AfterFirstPaint::run(this, [this] {
            addHotKeys();
        });
    });
    s.add(QStringLiteral("frameless"), [this] {
        setWindowFlags(Qt::FramelessWindowHint | Qt::Tool);
        setMask(WindowShape::roundedRect(510, 290, 15));
    });
    s.add(QStringLiteral("clock ticks"), [this] {
        m_parts->ticker
            = std::make_unique<ClockTicker>(m_parts->clock, m_values.lastGreetingDate, m_values.versionLabelText);
        m_parts->ticker->setReportFailure([this](const QString &text) {
            reportFailure(text);
        });
        m_parts->ticker->setSaveSettings([this] {
            saveSettings(m_values.langCode);
        });
        m_parts->ticker->setSayGreeting([this](const QObject *context, Speech::Done done) {
            m_parts->greeting->sayGreeting(context, std::move(done));
        });
        connect(m_parts->ticker.get(), &ClockTicker::labelsChanged, this, &MainWindow::showClockLabels);
        connect(m_parts->ticker.get(), &ClockTicker::alarmStartDue, m_parts->scheduler.get(), &AlarmTimer::start);
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
        for (QWidget *panel : panels())
            panel->setGeometry(0, 0, ProgramValues::contentWidth + 1, height());
        for (auto *note : m_notes)
            note->setGeometry(0, 0, 478, 290);
        m_toolbar->raise();
    });
    s.add(QStringLiteral("notes"), [this] {
        m_quickNotes->load(m_values.appDir);
    });
    s.add(QStringLiteral("settings"), [this] {
        readSettings();
    });
    s.add(QStringLiteral("language"), [this] {
        // A file that could not be read is not written over with the defaults at the next save.
        m_unreadLanguageFile = LanguageFiles::path(m_values.appDir, m_values.langCode);
        LanguageFiles::loadLanguage(m_values.appDir, m_values.langCode, m_parts->form1, this);
        m_unreadLanguageFile.clear();
        QtTranslations::install(m_values.langCode);
        if (m_eventPanel)
            m_eventPanel->retranslate();
        QStringList names;
        for (const QString &key : SessionBoard::nameKeys())
            names << m_parts->form1.text(key);
        m_clockView->face().setCentreNames(names);
    });
    s.add(QStringLiteral("language item"), [this] {
        m_menu->setLanguageCode(m_values.langCode);
    });
    s.add(QStringLiteral("news lead item"), [this] {
        m_menu->setNewsLeadMinutes(m_values.newsLeadMinutes);
    });
    s.add(QStringLiteral("translucency"), [this] {
        m_behaviour->applyStartTranslucency();
    });
    s.add(QStringLiteral("banner strip"), [this] {
        m_bannerStrip->setVisible(m_services.net->isOnline());
        startBanners();
    });
    s.add(QStringLiteral("system utilities"), [this] {
        // Looked for once the window is on the screen: only the menu and the hot keys need them, and the search
        // reads every folder on PATH.
        AfterFirstPaint::run(this, [this] {
            m_parts->utilities.find();
            for (SystemUtilities::Utility u : SystemUtilities::all())
                m_menu->item(SystemUtilities::itemName(u))->setVisible(m_parts->utilities.found(u));
        });
    });
    s.add(QStringLiteral("tables"), [this] {
        openTables();
    });
    s.add(QStringLiteral("round corners"), [this] {
        setMask(WindowShape::roundLeftCorners(size()));
        m_cornersRounded = true;
        for (QWidget *panel : panels())
            panel->setMask(WindowShape::roundLeftCorners(panel->size()));
    });
    s.add(QStringLiteral("voice language"), [this] {
        m_values.voiceLang = PopupMenuWidget::voiceLangOf(m_values.langCode);
        if (m_values.voiceLang == QLatin1String("uk") || m_values.voiceLang == QLatin1String("bg")) {
            QAction *voiceItem = m_menu->item(QStringLiteral("N36"));
            voiceItem->setChecked(false);
            voiceItem->setVisible(false);
        }
        m_parts->voice->setVoiceLang(m_values.voiceLang);
        m_parts->greeting->setVoiceLang(m_values.voiceLang);
        m_parts->scheduler->setVoiceLang(m_values.voiceLang);
    });
    s.add(QStringLiteral("news alerts"), [this] {
        auto &alerts = m_parts->newsAlerts;
        alerts = std::make_unique<NewsAlerts>(&m_parts->econom, m_services);
        alerts->setLeadMinutes(m_values.newsLeadMinutes);
        alerts->setVoiceLang(m_values.voiceLang);
        alerts->setReportFailure([this](const QString &text) {
            reportFailure(text);
        });
        // The grid's colours follow the clock: a repaint every minute moves rows from yellow to grey.
        connect(alerts.get(), &NewsAlerts::checked, this, [this] {
            if (m_calendarPanel)
                m_calendarPanel->grid()->viewport()->update();
        });
        alerts->start();
    });
    s.add(QStringLiteral("calendar feed"), [this] {
        importCalendar();
    });
}

void MainWindow::startBanners()
{
    auto &banners = m_parts->banners;
    banners = std::make_unique<BannersView>(&m_parts->webViews, m_services.net, m_services.shell);
    banners->setSiteUrl(m_parts->addresses.siteUrl);
    banners->setLanguageName(SystemLanguage::englishName());
    // The pages load once the window is on the screen: the engine's start never delays it. Two of the holders
    // are in the panels made then.
    AfterFirstPaint::run(this, [this, banners = banners.get()] {
        ensurePanels();
        banners->setHolders({{m_bannerStrip, QRect(-2, -2, 484, 70)},
                             {m_phonePanel->bannerHolder(), QRect(-1, -1, 234, 62)},
                             {m_eventPanel->bannerHolder(), QRect(-1, -1, 234, 62)},
                             {m_calendarPanel->bannerHolder(), QRect(-1, -1, 568, 62)}});
        banners->startUp();
    });
    banners->startTimer();
}

void MainWindow::wireWebWindows(const QList<WebPageWindow *> &windows)
{
    auto openItem = [this](const char *item, WebPageWindow *window, const char *provider) {
        connect(m_menu->item(QLatin1String(item)), &QAction::triggered, window, [window, provider] {
            if (provider)
                window->setVideoProvider(QLatin1String(provider));
            window->open();
        });
    };
    openItem("N11", windows.at(0), nullptr);
    openItem("N13", windows.at(1), nullptr);
    openItem("InstaForex1", windows.at(2), WebAddresses::InstaForex);
    openItem("N14", windows.at(2), WebAddresses::MaxiForex);
    openItem("N10", windows.at(2), WebAddresses::UtroInvestor);
}

void MainWindow::importCalendar()
{
    // Returns at once: the feed is downloaded in the background, from once the window is on the screen (the
    // network module the download loads costs the first picture a few milliseconds), and merged when it has come.
    auto &calendar = m_parts->calendarImport;
    calendar = std::make_unique<CalendarImport>(&m_parts->econom, m_services);
    calendar->setFeedUrl(m_parts->addresses.feed());
    calendar->setUtcOffsetHours(m_values.utcOffsetHours);
    calendar->setReportFailure([this](const QString &text) {
        reportFailure(text);
    });
    AfterFirstPaint::run(this, [calendar = calendar.get()] {
        calendar->importCalendar();
    });
}

void MainWindow::wireShellCommands()
{
    for (SystemUtilities::Utility u : SystemUtilities::all()) {
        connect(m_menu->item(SystemUtilities::itemName(u)), &QAction::triggered, this, [this, u] {
            m_parts->hotKeys.start(u);
        });
    }
    // The browser's answer is not awaited: an address that cannot be reached says nothing here.
    for (const QString &name : WebLinks::itemNames()) {
        connect(m_menu->item(name), &QAction::triggered, this, [this, name] {
            m_services.shell->open(WebLinks::address(name, m_parts->addresses.siteUrl).toString());
        });
    }
    // A click toggles the mark first; the mark stays as toggled even when the entry cannot be written.
    connect(m_menu->item(QStringLiteral("N8")), &QAction::triggered, this, [this](bool checked) {
        try {
            Autostart(m_values.appDir).apply(checked);
        } catch (const Failure &f) {
            reportFailure(f.text());
        }
    });
}

void MainWindow::wireBackup()
{
    auto parts = [this] {
        DataBackup::Parts p;
        p.appDir = m_values.appDir;
        p.backupDir = &m_values.backupDir;
        p.prompts = m_services.prompts;
        p.chooseFolder = &FolderDialog::choose;
        p.closeTables = [this] {
            closeTablesForRestore();
        };
        p.reopenTables = [this] {
            reopenTablesAfterRestore();
        };
        p.restart = [this] {
            // The notes on disk are the restored ones now: this copy must not write its own over them.
            m_notesReplaced = true;
            m_quickNotes->stopWriting();
            m_services.shell->startProgram(m_values.appDir + QStringLiteral("Veltrane"));
            QCoreApplication::quit();
        };
        return p;
    };
    connect(m_menu->item(QStringLiteral("N31")), &QAction::triggered, this, [parts] {
        DataBackup(parts()).backup();
    });
    connect(m_menu->item(QStringLiteral("N32")), &QAction::triggered, this, [parts] {
        DataBackup(parts()).restore();
    });
}

void MainWindow::closeTablesForRestore()
{
    // Typing the autosave has not written yet goes into the files now, before the restored notes take their
    // place: no note can change while the restore's boxes are up, so no later autosave writes over them.
    for (const QString &failure : m_quickNotes->saveAll())
        qWarning().noquote() << "Veltrane:" << failure;
    // The scheduler skips closed tables, but it is stopped too so nothing waits to post into them.
    m_schedulerWasRunning = m_parts->scheduler->isActive();
    m_parts->scheduler->stop();
    m_closedForRestore.clear();
    for (DataSet *table : {&m_parts->phone, &m_parts->alarm, &m_parts->econom}) {
        if (table->isActive()) {
            // An edit under way is kept: posted now, it is in the file that is set aside.
            if (table->state() != DataSet::State::Browse && table->isModified())
                table->post();
            table->close();
            m_closedForRestore << table;
        }
    }
}

void MainWindow::reopenTablesAfterRestore()
{
    const QList<DataSet *> closed = std::exchange(m_closedForRestore, {});
    if (closed.contains(&m_parts->phone))
        TableSchemas::openPhone(m_parts->phone, m_values.appDir);
    if (closed.contains(&m_parts->alarm))
        TableSchemas::openAlarm(m_parts->alarm, m_values.appDir);
    if (closed.contains(&m_parts->econom))
        TableSchemas::openEconom(m_parts->econom, m_values.appDir);
    if (m_schedulerWasRunning)
        m_parts->scheduler->start();
}

void MainWindow::addHotKeys()
{
    m_parts->hotKeys.addHotKeys();
}

void MainWindow::readSettings()
{
    Settings &settings = m_parts->settings;
    // Kept only once it has been read: a settings file that could not be read is never written over.
    auto ini = std::make_unique<IniFile>(m_values.appDir + QLatin1String(Settings::fileName), &m_parts->clock);
    settings.read(*ini);
    m_parts->ini = std::move(ini);
    move(settings.left, settings.top);
    m_menu->item(QStringLiteral("N7"))->setChecked(settings.n7);
    m_menu->item(QStringLiteral("N36"))->setChecked(settings.n36);
    m_menu->item(QStringLiteral("N5"))->setChecked(settings.n5);
    m_menu->item(QStringLiteral("N8"))->setChecked(settings.n8);
    m_menu->item(QStringLiteral("N9"))->setChecked(settings.n9);
    m_clockView->face().setActiveOnly(settings.n9);
    settings.applyTo(m_values);
    m_parts->addresses.read(*m_parts->ini);
    m_parts->voice->setEnabled(settings.n36);
    m_parts->voice->setServiceUrl(m_parts->addresses.speech(QStringLiteral("/")));
}

void MainWindow::saveSettings(const QString &code)
{
    if (!m_parts->ini)
        return;
    Settings &settings = m_parts->settings;
    settings.takeFrom(m_values);
    settings.left = x();
    settings.top = y();
    settings.n5 = m_menu->item(QStringLiteral("N5"))->isChecked();
    settings.n7 = m_menu->item(QStringLiteral("N7"))->isChecked();
    settings.n8 = m_menu->item(QStringLiteral("N8"))->isChecked();
    settings.n9 = m_menu->item(QStringLiteral("N9"))->isChecked();
    settings.n36 = m_menu->item(QStringLiteral("N36"))->isChecked();
    settings.write(*m_parts->ini);
    if (LanguageFiles::path(m_values.appDir, code) != m_unreadLanguageFile)
        LanguageFiles::saveLanguage(m_values.appDir, code, m_parts->form1, this);
}

void MainWindow::openTables()
{
    TableSchemas::openAll(m_parts->phone, m_parts->alarm, m_parts->econom, m_values.appDir);
    m_calendarModel = new DataSetModel(&m_parts->econom, this);
    connect(m_calendarModel, &DataSetModel::failed, this, &MainWindow::reportFailure);
    // The grid's columns are the table's fields in this order, whatever order a file keeps them in.
    m_calendarModel->setColumns({QStringLiteral("title"), QStringLiteral("country"), QStringLiteral("date"),
                                 QStringLiteral("time"), QStringLiteral("forecast"), QStringLiteral("previous"),
                                 QStringLiteral("impact")});
    showCalendarModel();
}

void MainWindow::showCalendarModel()
{
    if (!m_calendarPanel || !m_calendarModel)
        return;
    m_calendarPanel->setModel(m_calendarModel);
    m_calendarPanel->grid()->setSelectionModel(m_calendarModel->selectionModel());
}

void MainWindow::wirePhoneBook()
{
    // The IP-telephony page lives on the maker's site, so it follows the site's address in [Services].
    connect(m_menu->item(QStringLiteral("IP1")), &QAction::triggered, this, [this] {
        m_services.shell->open(m_parts->addresses.site(QStringLiteral("/ip-telephony.html")).toString());
    });
}

void MainWindow::wireNotes()
{
    m_quickNotes->setNewEventWithText([this](const QString &text) {
        ensurePanels();
        m_eventPanel->newEventWithText(text);
    });
    m_quickNotes->setReminderWord([this] {
        return PlannerTexts([this](const QString &key) {
                   return m_parts->form1.text(key);
               })
            .text(QStringLiteral("Combobox2Items0"));
    });
    m_quickNotes->setReportFailure([this](const QString &text) {
        reportFailure(text);
    });
    NoteMenu::wire(
        m_menu, m_quickNotes,
        [this] {
            ensurePanels();
            m_phonePanel->callReminder();
        },
        [this](const QString &text) {
            reportFailure(text);
        });
}

void MainWindow::showAboutWindow()
{
    // A click before the other windows were made (they come after the first picture) makes them now.
    createOtherWindows();
    m_aboutWindow->show();
    m_aboutWindow->raise();
}

void MainWindow::createOtherWindows()
{
    if (m_aboutWindow)
        return; // made already, for a click that came before the window's first picture
    auto *about = new AboutWindow;
    try {
        about->loadLang(m_values.appDir, m_values.langCode, m_values.programVersion);
    } catch (const Failure &f) {
        // The About window keeps its default texts. Its file is the main window's language file: when the
        // start-up has reported that one already, the log is enough.
        if (m_unreadLanguageFile.isEmpty()
            || LanguageFiles::path(m_values.appDir, m_values.langCode) != m_unreadLanguageFile)
            reportFailure(f.text());
        else
            qWarning().noquote() << "Veltrane (reported already):" << f.text();
    }
    about->setNetState(m_services.net);
    about->setCentredOn(this);
    const ServiceAddresses &a = m_parts->addresses;
    about->setMail(m_services.prompts,
                   FeedbackMail::Route{{a.smtpHost, quint16(a.smtpPort), a.smtpUser, a.smtpPassword}, a.mailTo},
                   &MachineId::current);
    m_aboutWindow = about;
    m_otherWindows << about;
    startUpdateCheck(about);
    const WebPageWindow::Context web{&m_parts->webViews, m_services.shell, m_services.prompts, &m_parts->clock,
                                     m_parts->addresses.siteUrl};
    QList<WebPageWindow *> webWindows;
    for (auto kind : {WebPageWindow::Kind::Calendar, WebPageWindow::Kind::Forecast, WebPageWindow::Kind::Video})
        webWindows << new WebPageWindow(kind, web);
    wireWebWindows(webWindows);
    for (WebPageWindow *w : webWindows)
        m_otherWindows << w;
    auto *reminder = new ReminderWindow(m_parts->scheduler.get());
    m_parts->scheduler->setReminder(reminder);
    m_otherWindows << reminder;
    m_otherWindows << new PowerOffWindow(&m_parts->countdown);
}

void MainWindow::startUpdateCheck(AboutWindow *about)
{
    auto &update = m_parts->update;
    update = std::make_unique<UpdateCheck>(m_services.net, &m_parts->pages, m_services.prompts, &about->texts());
    update->setSiteUrl(m_parts->addresses.siteUrl);
    update->setProgramVersion(m_values.programVersion);
    update->setEveryTick([this] {
        addHotKeys();
    });
    connect(update.get(), &UpdateCheck::noticeChanged, this, [this](bool newer) {
        m_label3->setVisible(newer);
        m_label4->setVisible(!newer);
    });
    // The installer comes through the hidden view, which asks where to save it.
    m_parts->installer = std::make_unique<InstallerDownloadView>(&m_parts->webViews, m_services.prompts);
    connect(update.get(), &UpdateCheck::downloadRequested, m_parts->installer.get(), &InstallerDownloadView::download);
    connect(about->updateButton(), &QPushButton::clicked, update.get(), &UpdateCheck::checkNow);
    m_label3->installEventFilter(this);
    update->start();
}

void MainWindow::showClockLabels(const ClockLabels &labels)
{
    // A label given its own text again is not redrawn; the hints change once a minute.
    m_label1->setText(labels.localText);
    if (m_label1->toolTip() != labels.localHint)
        m_label1->setToolTip(labels.localHint);
    m_label2->setText(labels.utcText);
    if (m_label2->toolTip() != labels.utcHint)
        m_label2->setToolTip(labels.utcHint);
    m_label4->setText(labels.captionText);
}

void MainWindow::showNextNews()
{
    QList<NextNews::Release> rows;
    DataSet &econom = m_parts->econom;
    if (econom.isActive()) {
        econom.disableControls();
        for (econom.first(); !econom.eof(); econom.next())
            rows.append({econom.fieldByName(QStringLiteral("date")).asDate(),
                         econom.fieldByName(QStringLiteral("time")).asTime()});
        econom.enableControls();
    }
    NextNews::announce(rows, m_parts->clock, tray());
}

void MainWindow::reportFailure(const QString &text)
{
    // Also into the session's log, where a box the user dismissed can still be read.
    qWarning().noquote() << "Veltrane:" << text;
    // Once the platform ends the program nobody is there to answer a box, and it would hold the end up:
    // the log is the report then.
    if (m_end.isRequested())
        return;
    m_services.prompts->error(QStringLiteral("Veltrane"), text);
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    // A click on the bottom caption opens the About window, without making it modal.
    if (watched == m_label4 && event->type() == QEvent::MouseButtonRelease) {
        showAboutWindow();
        return true;
    }
    // `Label3Click`: the installer is downloaded; the notice stays until a tick finds nothing newer.
    if (watched == m_label3 && event->type() == QEvent::MouseButtonRelease && m_parts->update) {
        m_parts->update->downloadInstaller();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    saveAll();
    event->accept();
}

void MainWindow::saveAll()
{
    // Every save is tried, the notes in order and then the settings; what failed is reported together.
    QStringList failures;
    if (!m_notesReplaced)
        failures = m_quickNotes->saveAll();
    try {
        saveSettings(m_values.langCode);
    } catch (const Failure &f) {
        failures << f.text();
    }
    if (failures.isEmpty())
        m_lastSaveFailure.clear();
    else
        reportSaveFailure(failures.join(QLatin1Char('\n')));
}

void MainWindow::reportSaveFailure(const QString &text)
{
    if (text == m_lastSaveFailure) {
        qWarning().noquote() << "Veltrane (reported already):" << text;
        return;
    }
    m_lastSaveFailure = text;
    reportFailure(text);
}
