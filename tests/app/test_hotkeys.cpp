// The hot-key list (one entry per combination, refusals, release order), the utilities found on PATH and the
// hot keys that start them.
#include "FakeHotKeyManager.h"
#include "FakeServices.h"
#include "app/SystemUtilities.h"
#include "app/UtilityHotKeys.h"
#include "platform/X11HotKeyManager.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr quint32 kCtrlAltC = 49219;
constexpr quint32 kCtrlAltN = 49230;
constexpr quint32 kCtrlAltS = 49235;
constexpr quint32 kCtrlAltM = 49229;

// A folder standing in for one directory of PATH.
class BinDir
{
public:
    QString path() const { return m_dir.path(); }
    void add(const QString &name, bool executable = true)
    {
        QFile f(m_dir.filePath(name));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\n");
        f.close();
        f.setPermissions(executable ? QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                    : QFile::ReadOwner | QFile::WriteOwner);
    }

private:
    QTemporaryDir m_dir;
};

} // namespace

class TestHotKeys : public QObject
{
    Q_OBJECT
private slots:
    void valuesOfTheFourItems()
    {
        // The menu shortcut layout: key code in the low byte, Ctrl 0x4000, Alt 0x8000.
        QCOMPARE(SystemUtilities::hotKey(SystemUtilities::Utility::Calculator), kCtrlAltC);
        QCOMPARE(SystemUtilities::hotKey(SystemUtilities::Utility::TextEditor), kCtrlAltN);
        QCOMPARE(SystemUtilities::hotKey(SystemUtilities::Utility::Screenshot), kCtrlAltS);
        QCOMPARE(SystemUtilities::hotKey(SystemUtilities::Utility::Magnifier), kCtrlAltM);
        QCOMPARE(HotKey::text(kCtrlAltC), QStringLiteral("Ctrl+Alt+C"));
        QCOMPARE(HotKey::text(HotKey::Shift | HotKey::Win | 0x71), QStringLiteral("Shift+Win+F2"));
    }

    void eachCombinationIsHeldOnceWithItsOwnIdentifier()
    {
        FakeHotKeyManager m;
        const int c = m.addHotKey(kCtrlAltC);
        const int n = m.addHotKey(kCtrlAltN);
        QVERIFY(c != 0 && n != 0 && c != n);
        // Held already: refused without asking the platform again, and not listed twice.
        QCOMPARE(m.addHotKey(kCtrlAltC), 0);
        QCOMPARE(m.calls, (QStringList{QStringLiteral("grab 49219"), QStringLiteral("grab 49230")}));
        QCOMPARE(m.entries().size(), 2);
        // The identifier belongs to the value: released and registered again, it is the same.
        m.removeAllHotKeys();
        QCOMPARE(m.entries().size(), 0);
        QCOMPARE(m.addHotKey(kCtrlAltN), n);
    }

    void aCombinationHeldElsewhereIsTakenOnceItIsFree()
    {
        FakeHotKeyManager m;
        UtilityHotKeys keys(&m, nullptr, nullptr);
        m.heldElsewhere = {kCtrlAltS};
        keys.addHotKeys();
        QCOMPARE(m.entries().size(), 3);
        // The update tick repeats the registration all day long: the list never grows past the four.
        for (int tick = 0; tick < 864; ++tick) {
            if (tick == 100)
                m.heldElsewhere.clear();
            keys.addHotKeys();
        }
        QList<quint32> values;
        for (const HotKeyManager::Entry &e : m.entries())
            values << e.value;
        QCOMPARE(values, (QList<quint32>{kCtrlAltC, kCtrlAltN, kCtrlAltM, kCtrlAltS}));
        // Only the refused one was asked for again; the held ones never were.
        QCOMPARE(m.calls.count(QStringLiteral("grab 49219")), 1);
        QCOMPARE(m.calls.count(QStringLiteral("grab 49235")), 102);
    }

    void everythingIsReleasedLastFirst()
    {
        FakeHotKeyManager m;
        UtilityHotKeys keys(&m, nullptr, nullptr);
        keys.addHotKeys();
        m.calls.clear();
        m.removeAllHotKeys();
        QCOMPARE(m.calls, (QStringList{QStringLiteral("release 49229"), QStringLiteral("release 49235"),
                                       QStringLiteral("release 49230"), QStringLiteral("release 49219")}));
        QVERIFY(m.entries().isEmpty());
    }

    void onlyRegisteredCombinationsAreReported()
    {
        FakeHotKeyManager m;
        QSignalSpy pressed(&m, &HotKeyManager::hotKeyPressed);
        const int id = m.addHotKey(kCtrlAltC);
        m.heldElsewhere = {kCtrlAltN};
        m.addHotKey(kCtrlAltN);
        m.press(kCtrlAltN);
        m.press(kCtrlAltC);
        QCOMPARE(pressed.size(), 1);
        QCOMPARE(pressed.at(0).at(0).value<quint32>(), kCtrlAltC);
        QCOMPARE(pressed.at(0).at(1).toInt(), id);
    }

    void virtualKeysBecomeKeysyms_data()
    {
        QTest::addColumn<quint32>("virtualKey");
        QTest::addColumn<quint32>("keysym");
        QTest::newRow("letter C is the lower-case keysym") << quint32('C') << quint32(0x63);
        QTest::newRow("letter Z") << quint32('Z') << quint32(0x7a);
        QTest::newRow("digit 0") << quint32('0') << quint32(0x30);
        QTest::newRow("F1") << quint32(0x70) << quint32(0xffbe);
        QTest::newRow("F12") << quint32(0x7B) << quint32(0xffc9);
        QTest::newRow("keypad 5") << quint32(0x65) << quint32(0xffb5);
        QTest::newRow("space") << quint32(0x20) << quint32(0x20);
        QTest::newRow("a punctuation key has no fixed keysym") << quint32(0xBA) << quint32(0);
        QTest::newRow("shift itself is no key") << quint32(0x10) << quint32(0);
    }
    void virtualKeysBecomeKeysyms()
    {
        QFETCH(quint32, virtualKey);
        QFETCH(quint32, keysym);
        QCOMPARE(X11HotKeyManager::keysymOf(virtualKey), keysym);
    }

    void withoutADisplayNothingIsRegisteredAndTheProgramGoesOn()
    {
        // The tests run on the offscreen platform: no X11 connection.
        X11HotKeyManager m;
        QTest::ignoreMessage(QtWarningMsg, "Veltrane: global hot keys need an X11 display; none is registered");
        QCOMPARE(m.addHotKey(kCtrlAltC), 0);
        // Said once, not at every update tick.
        QCOMPARE(m.addHotKey(kCtrlAltN), 0);
        QVERIFY(m.entries().isEmpty());
    }

    void theFirstCandidateOnThePathIsTaken()
    {
        BinDir first, second;
        first.add(QStringLiteral("xcalc"));
        second.add(QStringLiteral("gnome-calculator"));
        first.add(QStringLiteral("gedit"), false); // not executable: passed over
        second.add(QStringLiteral("mousepad"));
        second.add(QStringLiteral("gnome-screenshot"));

        SystemUtilities u;
        u.find({first.path(), second.path()});
        // The list order wins over the folder order: gnome-calculator comes before xcalc.
        QCOMPARE(u.program(SystemUtilities::Utility::Calculator).path, second.path() + "/gnome-calculator");
        QCOMPARE(u.program(SystemUtilities::Utility::TextEditor).path, second.path() + "/mousepad");
        QCOMPARE(u.program(SystemUtilities::Utility::Screenshot).arguments, QStringList{"--interactive"});
        QVERIFY(!u.found(SystemUtilities::Utility::Magnifier));

        BinDir empty;
        u.find({empty.path()});
        for (SystemUtilities::Utility utility : SystemUtilities::all())
            QVERIFY(!u.found(utility));
    }

    void aPressedHotKeyStartsItsUtility()
    {
        BinDir bin;
        bin.add(QStringLiteral("kcalc"));
        bin.add(QStringLiteral("flameshot"));
        SystemUtilities u;
        u.find({bin.path()});
        FakeHotKeyManager m;
        FakeShell shell;
        UtilityHotKeys keys(&m, &shell, &u);
        keys.addHotKeys();
        m.press(kCtrlAltC);
        m.press(kCtrlAltS);
        m.press(kCtrlAltN); // no text editor found: nothing starts, nothing is said
        QCOMPARE(shell.started, (QStringList{bin.path() + "/kcalc", bin.path() + "/flameshot gui"}));
        QVERIFY(shell.opened.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestHotKeys)
#include "test_hotkeys.moc"
