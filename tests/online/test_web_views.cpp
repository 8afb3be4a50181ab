// The banners, the web windows and the installer download, with web views that only record (no browser engine).
#include "FakeServices.h"
#include "FakeWebViews.h"
#include "online/BannersView.h"
#include "online/InstallerDownloadView.h"
#include "online/WebEngineLoader.h"
#include "online/WebPageWindow.h"

#include <QDateEdit>
#include <QRegularExpression>
#include <QTest>

using WebNavigation::Kind;

namespace {

const QString Site = QStringLiteral("http://127.0.0.1:8080");

QUrl onSite(const char *path)
{
    return QUrl(Site + QLatin1String(path));
}

} // namespace

class TestWebViews : public QObject
{
    Q_OBJECT

    struct Banners
    {
        FakeServices fakes;
        FakeWebViewFactory factory;
        QWidget window;
        QList<QWidget *> holders;
        BannersView banners{&factory, &fakes.net, &fakes.shell};

        Banners()
        {
            QList<BannersView::Holder> list;
            for (int i = 0; i < 4; ++i) {
                holders << new QWidget(&window);
                list.append({holders.last(), QRect(-1, -1, 234 + i, 62)});
            }
            banners.setHolders(list);
            banners.setSiteUrl(Site);
            banners.setMachineId([] {
                return QStringLiteral("mac not found");
            });
            banners.setLanguageName(QStringLiteral("Russian"));
            window.show();
        }
        QList<bool> visible() const
        {
            QList<bool> out;
            for (QWidget *h : holders)
                out << h->isVisibleTo(&window);
            return out;
        }
        QList<QUrl> lastLoads() const
        {
            QList<QUrl> out;
            for (int i = 0; i < 4; ++i)
                out << (banners.view(i) ? static_cast<FakeWebView *>(banners.view(i))->loads.last() : QUrl());
            return out;
        }
    };

    struct Windows
    {
        FakeServices fakes;
        FakeWebViewFactory factory;
        WebPageWindow::Context context() { return {&factory, &fakes.shell, &fakes.prompts, &fakes.clock, Site}; }
    };

private slots:
    void offlineStartMakesNoViewAndHidesTheStrip()
    {
        Banners b;
        b.banners.startUp();
        QCOMPARE(b.factory.made.size(), 0);
        QCOMPARE(b.visible(), (QList<bool>{false, true, true, true}));
        // The refresh offline does nothing either.
        b.banners.refresh();
        QCOMPARE(b.factory.made.size(), 0);
    }

    void onlineStartLoadsEveryBannerInItsHolder()
    {
        Banners b;
        b.fakes.net.online = true;
        b.holders.first()->hide();
        b.banners.startUp();
        QCOMPARE(b.factory.made.size(), 4);
        QCOMPARE(b.lastLoads(),
                 (QList<QUrl>{onSite("/Veltrane/Google-468x60.php?mac=mac not found&lng=Russian"),
                              onSite("/Veltrane/Google-234x60.php"), onSite("/Veltrane/Google-234x60.php"),
                              onSite("/Veltrane/Google-468x60-white.php")}));
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(b.banners.view(i)->widget()->parentWidget(), b.holders.at(i));
            QCOMPARE(b.banners.view(i)->widget()->geometry(), QRect(-1, -1, 234 + i, 62));
        }
        QVERIFY(b.holders.first()->isVisibleTo(&b.window));
    }

    void refreshShowsTheHoldersAndReloadsTheSameViews()
    {
        Banners b;
        b.banners.startUp(); // offline: nothing made yet
        for (QWidget *h : b.holders)
            h->hide();
        b.fakes.net.online = true;
        b.banners.refresh();
        QCOMPARE(b.visible(), (QList<bool>{true, true, true, true}));
        QCOMPARE(b.lastLoads().first(), onSite("/Veltrane/Google-468x60.php?mac=mac not found"));
        b.banners.refresh();
        QCOMPARE(b.factory.made.size(), 4);
        QCOMPARE(static_cast<FakeWebView *>(b.banners.view(0))->loads.size(), 2);
    }

    void bannersWithoutBrowserEngineHideTheirHolders()
    {
        Banners b;
        b.factory.available = false;
        b.fakes.net.online = true;
        b.banners.refresh();
        QCOMPARE(b.visible(), (QList<bool>{false, false, false, false}));
        b.banners.startUp();
        QCOMPARE(b.visible(), (QList<bool>{false, false, false, false}));
    }

    void aClickInABannerGoesToTheBrowser()
    {
        Banners b;
        b.fakes.net.online = true;
        b.banners.startUp();
        auto *view = static_cast<FakeWebView *>(b.banners.view(2));
        QVERIFY(view->navigate(Kind::Program, onSite("/Veltrane/Google-234x60.php")));
        QVERIFY(view->navigate(Kind::Other, QUrl(QStringLiteral("http://127.0.0.1/ad-frame")), false));
        QVERIFY(!view->navigate(Kind::LinkClicked, QUrl(QStringLiteral("http://127.0.0.1/offer"))));
        QVERIFY(!view->navigate(Kind::NewWindow, QUrl(QStringLiteral("http://127.0.0.1/popup"))));
        QTRY_COMPARE(b.fakes.shell.opened,
                     (QStringList{QStringLiteral("http://127.0.0.1/offer"), QStringLiteral("http://127.0.0.1/popup")}));
        QVERIFY(b.fakes.prompts.shown.isEmpty());
    }

    void theStripFollowsTheConnectionWhenItsPageHasLoaded()
    {
        Banners b;
        b.fakes.net.online = true;
        b.banners.startUp();
        auto *wide = static_cast<FakeWebView *>(b.banners.view(0));
        b.fakes.net.online = false;
        wide->hooks.loadFinished(true);
        QVERIFY(!b.holders.first()->isVisibleTo(&b.window));
        b.fakes.net.online = true;
        wide->hooks.loadFinished(false);
        QVERIFY(b.holders.first()->isVisibleTo(&b.window));
        // Only the wide banner reports its loads.
        QVERIFY(!static_cast<FakeWebView *>(b.banners.view(1))->hooks.loadFinished);
    }

    void theRefreshTimerRunsEveryFiveMinutes()
    {
        Banners b;
        QCOMPARE(BannersView::RefreshMs, 300000);
        b.banners.startTimer();
        QVERIFY(b.banners.isTimerActive());
    }

    void calendarWindowMakesItsViewAtEachShowing()
    {
        Windows w;
        WebPageWindow window(WebPageWindow::Kind::Calendar, w.context());
        window.open();
        QCOMPARE(w.factory.alive().size(), 1);
        FakeWebView *first = w.factory.alive().first();
        QCOMPARE(first->loads, (QList<QUrl>{onSite("/Veltrane/ek.htm")}));

        // Opened again while open: only brought forward, nothing reloaded.
        window.open();
        QCOMPARE(w.factory.made.size(), 1);
        QCOMPARE(first->loads.size(), 1);

        // Closed and opened: the old view is gone, one new view loads the page again.
        window.close();
        QCOMPARE(w.factory.alive().size(), 0);
        window.open();
        QCOMPARE(w.factory.made.size(), 2);
        QCOMPARE(w.factory.alive().size(), 1);
        QCOMPARE(w.factory.alive().first()->loads, (QList<QUrl>{onSite("/Veltrane/ek.htm")}));
    }

    void aClickInAPageGoesToTheBrowserAndShowsTheFlags()
    {
        Windows w;
        WebPageWindow window(WebPageWindow::Kind::Forecast, w.context());
        window.open();
        FakeWebView *view = w.factory.alive().first();
        QCOMPARE(view->loads, (QList<QUrl>{onSite("/Veltrane/prognozMaxiForex.htm")}));
        QVERIFY(view->navigate(Kind::Program, onSite("/Veltrane/prognozMaxiForex.htm")));
        QVERIFY(!view->navigate(Kind::LinkClicked, QUrl(QStringLiteral("http://127.0.0.1/article"))));
        QTRY_COMPARE(w.fakes.prompts.shown.size(), 1);
        QCOMPARE(w.fakes.shell.opened, QStringList{QStringLiteral("http://127.0.0.1/article")});
        QCOMPARE(w.fakes.prompts.shown.first().text, QString::number(WebNavigation::flags(Kind::LinkClicked)));
    }

    void videoWindowFollowsTheProviderAndTheDate()
    {
        Windows w;
        w.fakes.clock.setLocal(QDateTime(QDate(2010, 1, 15), QTime(9, 0)));
        WebPageWindow window(WebPageWindow::Kind::Video, w.context());
        QCOMPARE(window.datePicker()->date(), QDate(2010, 1, 15));
        QCOMPARE(window.datePicker()->displayFormat(), QStringLiteral("dd.MM.yy"));
        window.setVideoProvider(QStringLiteral("MaxiForex"));
        window.open();
        QVERIFY(window.datePicker()->isEnabled());
        auto *video = static_cast<FakeWebView *>(window.pageView());
        QCOMPARE(video->loads, (QList<QUrl>{onSite("/Veltrane/videoPrognoz.php?t=15.01.2010")}));
        auto *line = static_cast<FakeWebView *>(window.runningLineView());
        QCOMPARE(line->loads, (QList<QUrl>{onSite("/Veltrane/BegStroka.php")}));
        const QWidget *panel = window.runningLinePanel();
        QCOMPARE(line->geometry(), QRect(-2, -2, panel->width() + 4, panel->height() + 4));

        // Two date changes leave one video view, showing the last date under the key "data".
        window.datePicker()->setDate(QDate(2010, 1, 16));
        window.datePicker()->setDate(QDate(2010, 1, 17));
        QCOMPARE(w.factory.alive().size(), 2); // the video and the running line
        QCOMPARE(static_cast<FakeWebView *>(window.pageView())->loads,
                 (QList<QUrl>{onSite("/Veltrane/videoPrognoz.php?data=17.01.2010")}));
        QCOMPARE(window.runningLineView(), line);

        // Another provider chosen while open: brought forward only.
        window.setVideoProvider(QStringLiteral("UtroInvestor"));
        window.open();
        QCOMPARE(static_cast<FakeWebView *>(window.pageView())->loads.first().path(),
                 QStringLiteral("/Veltrane/videoPrognoz.php"));

        // Closed: both views go; opened again: the chosen provider, the picker off.
        window.close();
        QCOMPARE(w.factory.alive().size(), 0);
        window.open();
        QCOMPARE(static_cast<FakeWebView *>(window.pageView())->loads,
                 (QList<QUrl>{onSite("/Veltrane/videoUtroInvestora.htm")}));
        QVERIFY(!window.datePicker()->isEnabled());
    }

    void videoWindowTakesAtLeastItsSmallestOuterSize_data()
    {
        QTest::addColumn<QSize>("outer");
        QTest::addColumn<QSize>("client");
        QTest::newRow("no frame") << QSize(764, 632) << QSize(780, 670);
        QTest::newRow("thin frame and a title") << QSize(768, 656) << QSize(776, 646);
        QTest::newRow("frame as large as needed") << QSize(780, 670) << QSize(764, 632);
        QTest::newRow("frame larger than needed") << QSize(790, 700) << QSize(764, 632);
    }

    void videoWindowTakesAtLeastItsSmallestOuterSize()
    {
        QFETCH(QSize, outer);
        QFETCH(QSize, client);
        QCOMPARE(WebPageWindow::clientForOuterMinimum(QSize(764, 632), outer, QSize(780, 670)), client);
    }

    void videoWindowGrowsOnceShownAndHasTheDesktopGround()
    {
        Windows w;
        WebPageWindow window(WebPageWindow::Kind::Video, w.context());
        window.setVideoProvider(QStringLiteral("MaxiForex"));
        QCOMPARE(window.size(), QSize(764, 632));
        window.open();
        QTRY_VERIFY(window.frameGeometry().width() >= 780 && window.frameGeometry().height() >= 670);
        QVERIFY(window.autoFillBackground());
        QCOMPARE(window.palette().color(QPalette::Window), QColor(0x3A, 0x6E, 0xA5));
    }

    void runningLineKeepsItselfAndSendsTheRestOut()
    {
        Windows w;
        WebPageWindow window(WebPageWindow::Kind::Video, w.context());
        window.setVideoProvider(QStringLiteral("InstaForex"));
        window.open();
        QCOMPARE(static_cast<FakeWebView *>(window.pageView())->loads,
                 (QList<QUrl>{onSite("/Veltrane/videoInstaForex.php")}));
        auto *line = static_cast<FakeWebView *>(window.runningLineView());
        QVERIFY(line->navigate(Kind::Reload, onSite("/Veltrane/BegStroka.php")));
        QVERIFY(!line->navigate(Kind::LinkClicked, QUrl(QStringLiteral("http://127.0.0.1/story"))));
        QTRY_COMPARE(w.fakes.shell.opened, QStringList{QStringLiteral("http://127.0.0.1/story")});
        QTest::qWait(20);
        QVERIFY(w.fakes.prompts.shown.isEmpty()); // no flags box for the running line
    }

    void windowsWithoutBrowserEngineStayEmpty()
    {
        Windows w;
        w.factory.available = false;
        WebPageWindow window(WebPageWindow::Kind::Video, w.context());
        window.setVideoProvider(QStringLiteral("MaxiForex"));
        window.open();
        QVERIFY(!window.pageView());
        QVERIFY(!window.runningLineView());
        window.close();
    }

    void installerDownloadReportsItsEnd()
    {
        FakeServices fakes;
        FakeWebViewFactory factory;
        InstallerDownloadView download(&factory, &fakes.prompts);
        QStringList offered;
        download.setChooseFile([&offered](const QString &name) {
            offered << name;
            return QStringLiteral("/tmp/") + name;
        });
        const QUrl installer = onSite("/attachments/047_SetupVeltrane.exe");
        download.download(installer);
        QCOMPARE(factory.alive().size(), 1);
        FakeWebView *view = factory.alive().first();
        QVERIFY(!view->widget()->parentWidget());
        QVERIFY(!view->widget()->isVisible());
        QCOMPARE(view->loads, QList<QUrl>{installer});
        QVERIFY(view->navigate(Kind::LinkClicked, installer)); // nothing is refused in the hidden view

        // The file is offered, saved and announced.
        QCOMPARE(view->hooks.chooseDownloadFile(QStringLiteral("047_SetupVeltrane.exe")),
                 QStringLiteral("/tmp/047_SetupVeltrane.exe"));
        view->hooks.downloadFinished(QStringLiteral("/tmp/047_SetupVeltrane.exe"), {});
        QCOMPARE(fakes.prompts.shown.size(), 1);
        QCOMPARE(fakes.prompts.shown.at(0).kind, QStringLiteral("information"));
        QVERIFY(fakes.prompts.shown.at(0).text.contains(QStringLiteral("/tmp/047_SetupVeltrane.exe")));

        // An interrupted download names the file and the reason.
        view->hooks.downloadFinished(QStringLiteral("/tmp/047_SetupVeltrane.exe"), QStringLiteral("Network error"));
        QCOMPARE(fakes.prompts.shown.at(1).kind, QStringLiteral("error"));
        QVERIFY(fakes.prompts.shown.at(1).text.contains(QStringLiteral("/tmp/047_SetupVeltrane.exe")));
        QVERIFY(fakes.prompts.shown.at(1).text.contains(QStringLiteral("Network error")));

        // A second download uses the same hidden view; a page instead of a file is an error too.
        download.download(installer);
        QCOMPARE(factory.made.size(), 1);
        view->hooks.loadFinished(true);
        QCOMPARE(fakes.prompts.shown.size(), 3);
        QCOMPARE(fakes.prompts.shown.at(2).kind, QStringLiteral("error"));
        QVERIFY(fakes.prompts.shown.at(2).text.contains(installer.toString()));
    }

    void aMissingEngineModuleGivesNoViewsAndIsNotRetried()
    {
        WebEngineLoader loader(QStringLiteral("/nonexistent-folder/"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("web views are not available")));
        QVERIFY(!loader.create(nullptr, {}));
        QVERIFY(!loader.isLoaded());
        // Reported once: the second view asks nothing and logs nothing.
        QVERIFY(!loader.create(nullptr, {}));
    }

    void installerDownloadWithoutBrowserEngineSaysSo()
    {
        FakeServices fakes;
        FakeWebViewFactory factory;
        factory.available = false;
        InstallerDownloadView download(&factory, &fakes.prompts);
        download.download(onSite("/attachments/047_SetupVeltrane.exe"));
        QCOMPARE(fakes.prompts.shown.size(), 1);
        QCOMPARE(fakes.prompts.shown.first().kind, QStringLiteral("error"));
    }
};

QTEST_MAIN(TestWebViews)
#include "test_web_views.moc"
