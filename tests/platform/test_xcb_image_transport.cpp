// The X11 image transport is chosen for the program's own connection only, and never over the user's choice.
#include "platform/XcbImageTransport.h"

#include <QTest>

class TestXcbImageTransport : public QObject
{
    Q_OBJECT
private slots:
    void setForTheConnectionOnly_data()
    {
        QTest::addColumn<bool>("userSet");
        QTest::addColumn<QByteArray>("userValue");
        QTest::newRow("not set by the user: set for the connection, gone after") << false << QByteArray();
        QTest::newRow("the user's value stays, during and after") << true << QByteArray("0");
        QTest::newRow("an empty value is the user's too") << true << QByteArray("");
    }
    void setForTheConnectionOnly()
    {
        QFETCH(bool, userSet);
        QFETCH(QByteArray, userValue);
        const char *name = "QT_XCB_NO_MITSHM";
        if (userSet)
            qputenv(name, userValue);
        else
            qunsetenv(name);
        {
            XcbImagesInRequests scope;
            QVERIFY(qEnvironmentVariableIsSet(name));
            QCOMPARE(qgetenv(name), userSet ? userValue : QByteArray("1"));
        }
        // What programs started later inherit.
        QCOMPARE(qEnvironmentVariableIsSet(name), userSet);
        if (userSet)
            QCOMPARE(qgetenv(name), userValue);
        qunsetenv(name);
    }
};

QTEST_GUILESS_MAIN(TestXcbImageTransport)
#include "test_xcb_image_transport.moc"
