#include "online/WebPageWindow.h"

#include "online/WebAddresses.h"
#include "platform/Clock.h"
#include "platform/Prompts.h"
#include "platform/Shell.h"

#include <QCloseEvent>
#include <QDateEdit>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPalette>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <malloc.h>

namespace {

constexpr int BarHeight = 28;
constexpr int PickerWidth = 180;
// The video window: its client size, and the least it takes on the screen with its frame.
constexpr QSize VideoClient(764, 632);
constexpr QSize VideoMinimumOuter(780, 670);
// The video window's ground: the classic desktop blue, as the desktop has no colour setting of its own here.
constexpr QRgb DesktopColour = 0x3A6EA5;
// How long a window manager may take to put its frame around a new window.
constexpr int FrameSettleMs = 300;

void centreOnScreen(QWidget *window)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window->move(screen->availableGeometry().center() - window->frameGeometry().center() + window->pos());
}

} // namespace

WebPageWindow::WebPageWindow(Kind kind, const Context &context, QWidget *parent)
    : QWidget(parent, Qt::Window), m_kind(kind), m_context(context)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (kind == Kind::Video)
        createVideoBar();
    m_pageArea = new QWidget(this);
    auto *areaLayout = new QVBoxLayout(m_pageArea);
    areaLayout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_pageArea, 1);

    switch (kind) {
    case Kind::Calendar:
        setObjectName(QStringLiteral("Form2"));
        setWindowTitle(QStringLiteral("Экономический календарь"));
        layout->addWidget(new QStatusBar(this));
        setFixedSize(730, 440);
        break;
    case Kind::Forecast:
        setObjectName(QStringLiteral("Form3"));
        setWindowTitle(QStringLiteral("Форекс прогноз на сегодня"));
        layout->addWidget(new QStatusBar(this));
        resize(870, 640);
        break;
    case Kind::Video:
        setObjectName(QStringLiteral("Form4"));
        setWindowTitle(QStringLiteral("Видео прогноз"));
        setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint
                       | Qt::WindowCloseButtonHint);
        setFixedSize(VideoClient);
        setAutoFillBackground(true);
        {
            QPalette ground = palette();
            ground.setColor(QPalette::Window, QColor(DesktopColour));
            setPalette(ground);
        }
        break;
    }
    if (kind != Kind::Calendar)
        centreOnScreen(this);
}

QSize WebPageWindow::clientForOuterMinimum(QSize client, QSize outer, QSize minOuter)
{
    return client
           + QSize(std::max(0, minOuter.width() - outer.width()), std::max(0, minOuter.height() - outer.height()));
}

void WebPageWindow::keepMinimumOuterSize()
{
    if (!isVisible())
        return;
    const QSize client = clientForOuterMinimum(size(), frameGeometry().size(), VideoMinimumOuter);
    if (client == size())
        return;
    setFixedSize(client);
    centreOnScreen(this);
}

WebPageWindow::~WebPageWindow()
{
    releaseViews();
}

void WebPageWindow::createVideoBar()
{
    auto *bar = new QWidget(this);
    bar->setFixedHeight(BarHeight);
    auto *barLayout = new QHBoxLayout(bar);
    barLayout->setContentsMargins(0, 0, 0, 0);
    barLayout->setSpacing(0);
    m_lineHolder = new QWidget(bar);
    m_lineHolder->setObjectName(QStringLiteral("Panel3"));
    barLayout->addWidget(m_lineHolder, 1);
    m_datePicker = new QDateEdit(bar);
    m_datePicker->setObjectName(QStringLiteral("DateTimePicker1"));
    m_datePicker->setDisplayFormat(QStringLiteral("dd.MM.yy"));
    m_datePicker->setCalendarPopup(true);
    m_datePicker->setFixedWidth(PickerWidth);
    // `FormCreate`: today, set before the change handler listens.
    if (m_context.clock)
        m_datePicker->setDate(m_context.clock->today());
    barLayout->addWidget(m_datePicker);
    connect(m_datePicker, &QDateEdit::dateChanged, this, &WebPageWindow::dateChanged);
    static_cast<QVBoxLayout *>(layout())->addWidget(bar);
}

void WebPageWindow::open()
{
    if (isVisible()) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
        raise();
        activateWindow();
        return;
    }
    show();
}

void WebPageWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (event->spontaneous())
        return; // back from being minimised: the pages are there
    if (m_kind == Kind::Video) {
        showVideo();
        QTimer::singleShot(FrameSettleMs, this, &WebPageWindow::keepMinimumOuterSize);
    } else
        showPages();
}

void WebPageWindow::closeEvent(QCloseEvent *event)
{
    releaseViews();
    // `TrimWorkingSet`: the engine's share of the heap goes back to the system.
    ::malloc_trim(0);
    QWidget::closeEvent(event);
}

void WebPageWindow::showPages()
{
    if (pageView())
        return;
    const QUrl url = m_kind == Kind::Calendar ? WebAddresses::calendarPage(m_context.siteUrl)
                                              : WebAddresses::forecastPage(m_context.siteUrl);
    createPageView(url);
}

void WebPageWindow::showVideo()
{
    const bool followsDate = WebAddresses::videoFollowsDate(m_videoProvider);
    if (!pageView()) {
        const QString date = m_context.clock->formatShortDate(m_datePicker->date());
        createPageView(WebAddresses::videoPage(m_context.siteUrl, m_videoProvider, date, false));
    }
    m_datePicker->setEnabled(followsDate);
    if (!runningLineView()) {
        WebView *v = m_context.factory
                         ? m_context.factory->create(m_lineHolder, hooksFor(WebNavigation::Rule::RunningLine))
                         : nullptr;
        if (v) {
            // A little larger than its place, so that its border lies outside.
            v->widget()->setGeometry(-2, -2, m_lineHolder->width() + 4, m_lineHolder->height() + 4);
            v->widget()->show();
            v->load(WebAddresses::runningLine(m_context.siteUrl));
            m_lineView = v;
            m_lineWidget = v->widget();
        }
    }
}

void WebPageWindow::dateChanged()
{
    // `DateTimePicker1Change`: only while the window shows a page that follows the date.
    if (!isVisible() || !m_datePicker->isEnabled())
        return;
    delete m_pageWidget.data();
    const QString date = m_context.clock->formatShortDate(m_datePicker->date());
    createPageView(WebAddresses::videoPage(m_context.siteUrl, m_videoProvider, date, true));
}

void WebPageWindow::createPageView(const QUrl &url)
{
    WebView *v
        = m_context.factory ? m_context.factory->create(m_pageArea, hooksFor(WebNavigation::Rule::Page)) : nullptr;
    if (!v)
        return;
    m_pageArea->layout()->addWidget(v->widget());
    v->widget()->show();
    m_pageView = v;
    m_pageWidget = v->widget();
    if (!url.toString().trimmed().isEmpty())
        v->load(url);
}

void WebPageWindow::releaseViews()
{
    delete m_pageWidget.data();
    delete m_lineWidget.data();
}

WebViewHooks WebPageWindow::hooksFor(WebNavigation::Rule rule)
{
    WebViewHooks hooks;
    hooks.acceptNavigation = [this, rule](WebNavigation::Kind kind, bool mainFrame, const QUrl &url) {
        const WebNavigation::Action action = WebNavigation::decide(rule, kind, mainFrame, url);
        if (action == WebNavigation::Action::Stay)
            return true;
        if (action == WebNavigation::Action::Refuse)
            return false;
        const int flags = WebNavigation::flags(kind);
        // The browser and the box come from the event loop, after the engine's call has returned.
        QTimer::singleShot(0, this, [this, url, action, flags] {
            m_context.shell->open(url.toString());
            if (action == WebNavigation::Action::HandOffAndShowFlags)
                m_context.prompts->information(QStringLiteral("Veltrane"), QString::number(flags));
        });
        return false;
    };
    return hooks;
}
