// Note files: rich text written and read back exactly, plain and 8-bit files, safe saving.
#include "TempAppDir.h"
#include "notes/NoteFiles.h"
#include "platform/Failure.h"

#include <QFile>
#include <QTest>

namespace {
// A test decoder for the Cyrillic block of the Windows Cyrillic code page (enough for these fixtures).
QString cyrillic8bit(const QByteArray &bytes)
{
    QString s;
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        s += b >= 0xC0 ? QChar(0x0410 + (b - 0xC0)) : QChar(b);
    }
    return s;
}
} // namespace

class TestNoteFiles : public QObject
{
    Q_OBJECT
private slots:
    void roundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("cyrillic and braces") << QStringLiteral("Купить EUR {до} 1.0850 \\ стоп");
        QTest::newRow("lines") << QStringLiteral("первая\nвторая\n\nчетвёртая");
        QTest::newRow("trailing line break") << QStringLiteral("строка\n");
        QTest::newRow("tab and symbols") << QStringLiteral("a\tb € ✓ 😀");
    }
    void roundTrip()
    {
        QFETCH(QString, text);
        const QByteArray rtf = RtfText::write(text);
        QVERIFY(rtf.startsWith("{\\rtf1"));
        for (char c : rtf)
            QVERIFY2(static_cast<unsigned char>(c) < 0x80, "the file stays 7-bit");
        QCOMPARE(RtfText::read(rtf, cyrillic8bit), text);
    }

    void readsForeignDocuments_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("8-bit escapes and a font table")
            << QByteArray("{\\rtf1\\ansi\\ansicpg1251{\\fonttbl{\\f0\\fnil Arial;}}{\\colortbl ;\\red0\\green0\\blue0;}"
                          "\\f0\\fs24 \\'cf\\'d0\\'c8\\b bold\\b0\\par\r\nnext\\par\r\n}")
            << QStringLiteral("ПРИbold\nnext");
        QTest::newRow("unicode escape skips its fallback")
            << QByteArray("{\\rtf1\\uc1 \\u1044?a}") << QStringLiteral("Дa");
        QTest::newRow("ignorable destination")
            << QByteArray("{\\rtf1{\\*\\generator Editor;}text}") << QStringLiteral("text");
        QTest::newRow("plain utf-8 file") << QByteArray("просто текст") << QStringLiteral("просто текст");
        QTest::newRow("plain 8-bit file") << QByteArray("\xcf\xd0\xc8") << QStringLiteral("ПРИ");
    }
    void readsForeignDocuments()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QCOMPARE(RtfText::read(bytes, cyrillic8bit), text);
    }

    void missingFilesAreCreatedEmptyAndKeptOtherwise()
    {
        TempAppDir dir;
        QVERIFY(dir.write(QStringLiteral("note2.rtf"), RtfText::write(QStringLiteral("keep me"))));
        NoteFiles notes(dir.appDir(), cyrillic8bit);
        notes.createMissing();
        for (int i = 1; i <= 4; ++i)
            QVERIFY(dir.exists(QStringLiteral("note%1.rtf").arg(i)));
        QCOMPARE(notes.load(1), QString());
        QCOMPARE(notes.load(2), QStringLiteral("keep me"));
        notes.save(3, QStringLiteral("новая"));
        QCOMPARE(notes.load(3), QStringLiteral("новая"));
    }

    void aRefusedSaveFailsAndLeavesTheOldFile()
    {
        TempAppDir dir;
        NoteFiles notes(dir.appDir(), cyrillic8bit);
        notes.save(1, QStringLiteral("old"));
        QFile::setPermissions(dir.appDir(), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        if (QFile(dir.path(QStringLiteral("probe"))).open(QIODevice::WriteOnly)) {
            QFile::setPermissions(dir.appDir(),
                                  QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            QSKIP("running as a user who may write into a read-only folder");
        }
        QVERIFY_THROWS_EXCEPTION(Failure, notes.save(1, QStringLiteral("new")));
        QFile::setPermissions(dir.appDir(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(notes.load(1), QStringLiteral("old"));
    }
};

QTEST_GUILESS_MAIN(TestNoteFiles)
#include "test_notefiles.moc"
