// The RTF reader on documents of the kinds word processors write, and round trips through the writer.
#include "DocumentOutline.h"
#include "notes/RtfReader.h"
#include "notes/RtfWriter.h"
#include "platform/Failure.h"

#include <QFile>
#include <QTest>
#include <QTextCursor>

namespace {

QByteArray fixture(const QString &name)
{
    QFile f(QStringLiteral(NOTES_FIXTURES "/") + name);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return f.readAll();
}

/// A document with the notes' default font: Comic Sans MS, 16 pixels.
void useNoteFont(QTextDocument &doc)
{
    QFont font(QStringLiteral("Comic Sans MS"));
    font.setPixelSize(16);
    doc.setDefaultFont(font);
}

QStringList readOutline(const QByteArray &rtf)
{
    QTextDocument doc;
    useNoteFont(doc);
    RtfReader::read(rtf, &doc);
    return outline(doc);
}

} // namespace

class TestRtf : public QObject
{
    Q_OBJECT
private slots:
    void readsFixtures_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("Cyrillic by the font's character set, another font's Latin")
            << "richedit-fcharset204.rtf" << QStringList{"Привет, {b|мир}!{f=Calibri| Hello}"};
        QTest::newRow("Cyrillic by the document's code page")
            << "ansicpg1251.rtf" << QStringList{"{f=Arial,pt=10|Заметка}"};
        QTest::newRow("Greek, Turkish and Central European character sets")
            << "greek-turkish-central.rtf" << QStringList{"{f=Arial Greek|Αλφα }{f=Arial Tur|İğş }{f=Arial CE|Łódź}"};
        QTest::newRow("\\u with \\uc1, \\uc2 and \\uc0, a surrogate pair")
            << "unicode-uc.rtf" << QStringList{"{f=Arial|Да ЖБВ 😀!}"};
        QTest::newRow("bullets; numbers kept as text; a list text bullet")
            << "bullets.rtf"
            << QStringList{
                   "Список:",  "*1 первый", "*1 второй", "после", "li=24 fi=-24 1.\\tone", "li=24 fi=-24 2.\\ttwo",
                   "*2 listed"};
        QTest::newRow("colour table with an empty entry, highlight")
            << "colours.rtf"
            << QStringList{"{f=Arial,fg=#ff0000|red }{f=Arial|auto }{f=Arial,fg=#0000ff|blue}{f=Arial| plain }"
                           "{f=Arial,bg=#ffff00|marked}"};
        QTest::newRow("nested groups, skipped destinations, binary data, a field's result")
            << "nested-groups.rtf"
            << QStringList{"{f=Helvetica|a}{b,f=Helvetica|b}{b,i,f=Helvetica|c}{b,i,u,f=Helvetica|d}"
                           "{b,f=Helvetica|e}{f=Helvetica|fghlink}",
                           "=c {s,f=Helvetica|centred}{f=Helvetica|\\nnext\\ttabbed~}"};
        QTest::newRow("a NUL after the closing brace") << "trailing-nul.rtf" << QStringList{"{f=Arial|end}"};
        QTest::newRow("a document cut short")
            << "truncated.rtf" << QStringList{"{f=Arial|cut }{b,f=Arial|short}", "{b,f=Arial|half}"};
    }
    void readsFixtures()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, expected);
        QCOMPARE(readOutline(fixture(file)), expected);
    }

    void roundTrips_data()
    {
        QTest::addColumn<QString>("html");
        QTest::newRow("empty") << QString();
        QTest::newRow("one empty paragraph after text") << QStringLiteral("<p>строка</p><p></p>");
        QTest::newRow("styles") << QStringLiteral(
            "<p><b>жирный</b> <i>курсив</i> <u>подчёркнутый</u> <s>зачёркнутый</s> "
            "<b><i><u>всё</u></i></b> x<sup>2</sup> H<sub>2</sub>O</p>");
        QTest::newRow("fonts, sizes and colours")
            << QStringLiteral("<p><span style='font-family:Arial; font-size:14pt'>Arial 14</span> "
                              "<span style='color:#c00000'>красный</span> "
                              "<span style='background-color:#ffff00'>жёлтый фон</span> "
                              "<span style='font-size:12pt'>как по умолчанию</span></p>");
        QTest::newRow("characters that need escapes")
            << QStringLiteral("<p style='white-space:pre-wrap'>{скобки} \\ обратная черта, "
                              "табуляция&#9;и&nbsp;неразрывный, é ü ß € ✓ 😀</p>");
        QTest::newRow("paragraphs, alignment, indent, line break")
            << QStringLiteral("<p align=center>центр</p><p align=right>справа</p><p align=justify>по ширине</p>"
                              "<p style='margin-left:30px; text-indent:15px'>отступ</p><p>перевод<br>строки</p>");
        QTest::newRow("bullets between paragraphs") << QStringLiteral(
            "<p>до</p><ul><li>первый</li><li><b>второй</b></li></ul><p>между</p><ul><li>снова</li></ul>");
    }
    void roundTrips()
    {
        QFETCH(QString, html);
        QTextDocument original;
        useNoteFont(original);
        original.setHtml(html);
        const QByteArray rtf = RtfWriter::write(original);
        for (char c : rtf)
            QVERIFY2(static_cast<unsigned char>(c) < 0x80, "the file stays 7-bit");
        QVERIFY(RtfReader::isRtf(rtf));
        QCOMPARE(readOutline(rtf), outline(original));

        // Written again, the document read back gives the same file.
        QTextDocument again;
        useNoteFont(again);
        RtfReader::read(rtf, &again);
        QCOMPARE(RtfWriter::write(again), rtf);
    }

    void writesWhatOlderReadersUnderstand()
    {
        QTextDocument doc;
        useNoteFont(doc);
        QTextCursor(&doc).insertText(QStringLiteral("Ёлка"));
        const QByteArray rtf = RtfWriter::write(doc);
        // The default font with the Cyrillic character set, its size, and an 8-bit fallback for each \u.
        QVERIFY2(rtf.contains("{\\f0\\fnil\\fcharset204 Comic Sans MS;}"), rtf.constData());
        QVERIFY2(rtf.contains("\\f0\\fs24"), rtf.constData());
        QVERIFY2(rtf.contains("\\u1025\\'a8\\u1083\\'eb\\u1082\\'ea\\u1072\\'e0"), rtf.constData());
        QVERIFY(rtf.endsWith("\\par\r\n}\r\n"));
    }

    void hostileDocumentsAreBounded_data()
    {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("text");
        const QByteArray deep = "{\\rtf1 " + QByteArray(RtfReader::maxDepth + 1, '{') + "x";
        QTest::newRow("nesting past the ceiling") << deep << true << QString();
        QTest::newRow("nesting just within")
            << QByteArray("{\\rtf1 " + QByteArray(RtfReader::maxDepth - 1, '{') + "x") << false << QStringLiteral("x");
        QTest::newRow("too many paragraphs")
            << QByteArray("{\\rtf1 " + QByteArray("\\par ").repeated(RtfReader::maxParagraphs + 1) + "}") << true
            << QString();
        QTest::newRow("binary length past the end")
            << QByteArray("{\\rtf1 a\\bin999999999 bc}") << false << QStringLiteral("a");
        // The ceiling of \\uc is 16 skipped characters.
        QTest::newRow("huge parameters") << QByteArray(
            "{\\rtf1\\uc999999999999 \\u99999999999 abcdefghijklmnopq\\fs-99999999 r\\f2147483648 s"
            "\\ansicpg-5 \\'e9}") << false
                                         << QStringLiteral("qrsé");
        QTest::newRow("a backslash at the end") << QByteArray("{\\rtf1 text\\") << false << QStringLiteral("text");
        QTest::newRow("a hex escape cut short") << QByteArray("{\\rtf1 text\\'4") << false << QStringLiteral("text");
        QTest::newRow("more closing braces than opening")
            << QByteArray("{\\rtf1 a}}}b") << false << QStringLiteral("a");
    }
    void hostileDocumentsAreBounded()
    {
        QFETCH(QByteArray, rtf);
        QFETCH(bool, refused);
        QFETCH(QString, text);
        QTextDocument doc;
        QTextCursor(&doc).insertText(QStringLiteral("before"));
        if (refused) {
            QVERIFY_THROWS_EXCEPTION(Failure, RtfReader::read(rtf, &doc));
            QCOMPARE(doc.toPlainText(), QString());
        } else {
            RtfReader::read(rtf, &doc);
            QCOMPARE(doc.toPlainText(), text);
        }
    }

    void recognisesRtf_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("rtf");
        QTest::newRow("rtf") << QByteArray("{\\rtf1}") << true;
        QTest::newRow("white space first") << QByteArray("\r\n {\\rtf1}") << true;
        QTest::newRow("plain text") << QByteArray("{not rtf}") << false;
        QTest::newRow("empty") << QByteArray() << false;
    }
    void recognisesRtf()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, rtf);
        QCOMPARE(RtfReader::isRtf(bytes), rtf);
    }
};

QTEST_MAIN(TestRtf)
#include "test_rtf.moc"
