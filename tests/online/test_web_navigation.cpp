// Which navigations stay in a web view and which go to the desktop's browser, and the addresses the views load.
#include "online/WebAddresses.h"
#include "online/WebNavigation.h"

#include <QTest>
#include <QUrlQuery>

using WebNavigation::Action;
using WebNavigation::Kind;
using WebNavigation::Rule;
Q_DECLARE_METATYPE(Rule)
Q_DECLARE_METATYPE(Kind)
Q_DECLARE_METATYPE(Action)

namespace {
const QString Site = QStringLiteral("http://127.0.0.1:8080");
}

class TestWebNavigation : public QObject
{
    Q_OBJECT

private slots:
    void decide_data()
    {
        QTest::addColumn<Rule>("rule");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<bool>("mainFrame");
        QTest::addColumn<QString>("url");
        QTest::addColumn<Action>("action");
        const QString page = QStringLiteral("http://127.0.0.1/Veltrane/ek.htm");
        const QString line = QStringLiteral("http://127.0.0.1/Veltrane/BegStroka.php");
        const QString other = QStringLiteral("http://127.0.0.1/news.html");
        // Banners: the program's loads, redirects and what frames do by themselves stay; a click, a form and a
        // new window go out.
        QTest::newRow("banner, program load") << Rule::Banner << Kind::Program << true << page << Action::Stay;
        QTest::newRow("banner, redirect") << Rule::Banner << Kind::Redirect << true << other << Action::Stay;
        QTest::newRow("banner, frame loads") << Rule::Banner << Kind::Other << false << other << Action::Stay;
        QTest::newRow("banner, reload") << Rule::Banner << Kind::Reload << true << page << Action::Stay;
        QTest::newRow("banner, link") << Rule::Banner << Kind::LinkClicked << true << other << Action::HandOff;
        QTest::newRow("banner, link in a frame")
            << Rule::Banner << Kind::LinkClicked << false << other << Action::HandOff;
        QTest::newRow("banner, form") << Rule::Banner << Kind::FormSubmitted << true << other << Action::HandOff;
        QTest::newRow("banner, new window") << Rule::Banner << Kind::NewWindow << true << other << Action::HandOff;
        // Page views: the same, and the flags number is shown.
        QTest::newRow("page, program load") << Rule::Page << Kind::Program << true << page << Action::Stay;
        QTest::newRow("page, link") << Rule::Page << Kind::LinkClicked << true << other << Action::HandOffAndShowFlags;
        QTest::newRow("page, new window")
            << Rule::Page << Kind::NewWindow << true << other << Action::HandOffAndShowFlags;
        // The running line: the address decides, case-sensitively, whatever the kind.
        QTest::newRow("line, its own load") << Rule::RunningLine << Kind::Program << true << line << Action::Stay;
        QTest::newRow("line, a click on itself")
            << Rule::RunningLine << Kind::LinkClicked << true << line << Action::Stay;
        QTest::newRow("line, a redirect away")
            << Rule::RunningLine << Kind::Redirect << true << other << Action::HandOff;
        QTest::newRow("line, a link away")
            << Rule::RunningLine << Kind::LinkClicked << true << other << Action::HandOff;
        QTest::newRow("line, lower case is another address")
            << Rule::RunningLine << Kind::Program << true << QStringLiteral("http://127.0.0.1/begstroka.php")
            << Action::HandOff;
        QTest::newRow("line, a frame it loads itself")
            << Rule::RunningLine << Kind::Other << false << other << Action::Stay;
        QTest::newRow("line, a click in a frame")
            << Rule::RunningLine << Kind::LinkClicked << false << other << Action::HandOff;
        QTest::newRow("line, new window") << Rule::RunningLine << Kind::NewWindow << true << line << Action::HandOff;
        // Only web and mail addresses go to the desktop; anything else is dropped, whoever asked.
        QTest::newRow("banner, mail link") << Rule::Banner << Kind::LinkClicked << true
                                           << QStringLiteral("mailto:author@127.0.0.1") << Action::HandOff;
        QTest::newRow("banner, local file")
            << Rule::Banner << Kind::LinkClicked << true << QStringLiteral("file:///usr/bin/xterm") << Action::Refuse;
        QTest::newRow("page, other scheme")
            << Rule::Page << Kind::NewWindow << true << QStringLiteral("steam://run/1") << Action::Refuse;
        QTest::newRow("line, local file")
            << Rule::RunningLine << Kind::Program << true << QStringLiteral("file:///etc/passwd") << Action::Refuse;
        QTest::newRow("banner, program's own load stays whatever it is")
            << Rule::Banner << Kind::Program << true << QStringLiteral("file:///tmp/x.html") << Action::Stay;
        // The hidden download view lets everything through.
        QTest::newRow("download view, link") << Rule::Free << Kind::LinkClicked << true << other << Action::Stay;
    }
    void decide()
    {
        QFETCH(Rule, rule);
        QFETCH(Kind, kind);
        QFETCH(bool, mainFrame);
        QFETCH(QString, url);
        QFETCH(Action, action);
        QCOMPARE(WebNavigation::decide(rule, kind, mainFrame, QUrl(url)), action);
    }

    void flagsAreZeroOnlyForTheProgramsOwnLoads()
    {
        QCOMPARE(WebNavigation::flags(Kind::Program), 0);
        for (Kind k : {Kind::LinkClicked, Kind::FormSubmitted, Kind::BackForward, Kind::Reload, Kind::Other,
                       Kind::Redirect, Kind::NewWindow})
            QVERIFY(WebNavigation::flags(k) != 0);
    }

    void bannerAddresses()
    {
        const QList<QUrl> start
            = WebAddresses::bannersAtStart(Site, QStringLiteral("00-1A-2B-3C-4D-5E"), QStringLiteral("Russian"));
        QCOMPARE(start.size(), WebAddresses::BannerCount);
        QCOMPARE(start.at(0).toString(),
                 QStringLiteral("http://127.0.0.1:8080/Veltrane/Google-468x60.php?mac=00-1A-2B-3C-4D-5E&lng=Russian"));
        QCOMPARE(start.at(1).toString(), QStringLiteral("http://127.0.0.1:8080/Veltrane/Google-234x60.php"));
        QCOMPARE(start.at(2).toString(), QStringLiteral("http://127.0.0.1:8080/Veltrane/Google-234x60.php"));
        QCOMPARE(start.at(3).toString(), QStringLiteral("http://127.0.0.1:8080/Veltrane/Google-468x60-white.php"));

        // The refresh sends no language.
        const QList<QUrl> refresh = WebAddresses::bannersAtRefresh(Site, QStringLiteral("00-1A-2B-3C-4D-5E"));
        QCOMPARE(refresh.at(0).toString(),
                 QStringLiteral("http://127.0.0.1:8080/Veltrane/Google-468x60.php?mac=00-1A-2B-3C-4D-5E"));
        QCOMPARE(refresh.mid(1), start.mid(1));
    }

    void bannerAddressWithoutAdapterAndALongLanguageName()
    {
        const QUrl wide = WebAddresses::bannersAtStart(Site, QStringLiteral("mac not found"),
                                                       QStringLiteral("Norwegian Bokmål (long name)"))
                              .at(0);
        const QUrlQuery query(wide);
        QCOMPARE(query.queryItemValue(QStringLiteral("mac"), QUrl::FullyDecoded), QStringLiteral("mac not found"));
        QCOMPARE(query.queryItemValue(QStringLiteral("lng"), QUrl::FullyDecoded), QStringLiteral("Norwegian Bokmål ("));
        // On the wire the spaces are escaped; nothing else is.
        QVERIFY(wide.toEncoded().contains("?mac=mac%20not%20found&lng="));
    }

    void pageAddresses_data()
    {
        QTest::addColumn<QString>("provider");
        QTest::addColumn<bool>("dateChanged");
        QTest::addColumn<QString>("url");
        QTest::newRow("MaxiForex on opening")
            << "MaxiForex" << false << "http://127.0.0.1:8080/Veltrane/videoPrognoz.php?t=15.01.2010";
        QTest::newRow("MaxiForex after a date change")
            << "MaxiForex" << true << "http://127.0.0.1:8080/Veltrane/videoPrognoz.php?data=15.01.2010";
        QTest::newRow("InstaForex") << "InstaForex" << false << "http://127.0.0.1:8080/Veltrane/videoInstaForex.php";
        QTest::newRow("UtroInvestor") << "UtroInvestor" << false
                                      << "http://127.0.0.1:8080/Veltrane/videoUtroInvestora.htm";
        QTest::newRow("nobody") << "" << false << "";
    }
    void pageAddresses()
    {
        QFETCH(QString, provider);
        QFETCH(bool, dateChanged);
        QFETCH(QString, url);
        QCOMPARE(WebAddresses::videoPage(Site, provider, QStringLiteral("15.01.2010"), dateChanged).toString(), url);
    }
};

QTEST_GUILESS_MAIN(TestWebNavigation)
#include "test_web_navigation.moc"
