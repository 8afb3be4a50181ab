// The reply-address check of the feedback mail: what passes and what is turned away, taken as typed.
#include "online/MailAddress.h"

#include <QTest>

class TestMailAddress : public QObject
{
    Q_OBJECT

private slots:
    void addresses_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::newRow("ordinary") << "ivan.petrov@mail.example" << true;
        QTest::newRow("all allowed characters") << "A-z_0.9@b-c_d.EF" << true;
        QTest::newRow("shortest domain") << "a@b.cd" << true;
        QTest::newRow("hyphen in the domain") << "a@b-c.de" << true;
        QTest::newRow("domain of five, two after the dot") << "a@abc.de" << true;
        QTest::newRow("only the first dot counts") << "a@x.yz.q" << true;
        QTest::newRow("empty") << "" << false;
        QTest::newRow("no @") << "ivan.mail.example" << false;
        QTest::newRow("nothing before @") << "@mail.example" << false;
        QTest::newRow("domain of three") << "a@b.c" << false;
        QTest::newRow("one character after the only dot") << "a@bcd.e" << false;
        QTest::newRow("domain without a dot") << "a@localhost" << false;
        QTest::newRow("one character after the first dot") << "a@abcd.e" << false;
        QTest::newRow("later dots count as characters after the first") << "a@abcd.e.fgh" << true;
        QTest::newRow("dot is the last character") << "a@abcde." << false;
        QTest::newRow("second @") << "a@b@mail.example" << false;
        QTest::newRow("leading space, not trimmed") << " ivan@mail.example" << false;
        QTest::newRow("trailing space, not trimmed") << "ivan@mail.example " << false;
        QTest::newRow("space inside") << "iv an@mail.example" << false;
        QTest::newRow("Cyrillic letters") << QString::fromUtf8("иван@почта.рф") << false;
        QTest::newRow("Cyrillic in the domain only") << QString::fromUtf8("a@b.рф") << false;
        QTest::newRow("Cyrillic in the name only") << QString::fromUtf8("а@b.cd") << false;
        QTest::newRow("Latin letter with accent") << QString::fromUtf8("jos\u00e9@mail.example") << false;
        QTest::newRow("plus sign") << "ivan+news@mail.example" << false;
    }
    void addresses()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QCOMPARE(isPlausibleMailAddress(text), valid);
    }
};

QTEST_GUILESS_MAIN(TestMailAddress)
#include "test_mail_address.moc"
