// A coloured label keeps its colours to itself: the hint it shows is drawn in the hint's own colours.
#include "app/LabelColours.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QTest>
#include <QToolTip>

namespace {

// The hint label Qt shows for `owner`, polished, or null.
QLabel *showHint(QLabel *owner)
{
    QToolTip::showText(owner->mapToGlobal(QPoint(2, 2)), QStringLiteral("hint"), owner);
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->inherits("QTipLabel") && w->isVisible()) {
            w->ensurePolished();
            return qobject_cast<QLabel *>(w);
        }
    }
    return nullptr;
}

int yellowPixels(const QImage &image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += c.red() > 128 && c.green() > 128 && c.blue() < 64;
        }
    return n;
}

/// A black ground that counts its paints, like the clock face under the bottom line.
class Ground : public QWidget
{
public:
    using QWidget::QWidget;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent *) override
    {
        ++paints;
        QPainter(this).fillRect(rect(), Qt::black);
    }
};

/// A window with a black ground and, over it, a label in yellow showing `text`, coloured either way.
struct BottomLine
{
    QWidget window;
    Ground *ground;
    QLabel *label;

    BottomLine(bool ticking, const QString &text)
    {
        window.setFixedSize(120, 30);
        ground = new Ground(&window);
        ground->setGeometry(0, 0, 120, 30);
        label = new QLabel(text, &window);
        label->setObjectName(QStringLiteral("Label1"));
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
        const QRect place(4, 10, 90, 13);
        if (ticking) {
            placeTickingLabel(label, place, QColor(0xff, 0xff, 0x00), Qt::black);
        } else {
            label->setGeometry(place);
            setLabelColours(label, QStringLiteral("color: #ffff00;"));
        }
    }
};

} // namespace

class TestLabelColours : public QObject
{
    Q_OBJECT

private slots:
    void hintDoesNotTakeTheLabelColours()
    {
        QWidget window;
        window.resize(200, 50);
        auto *label = new QLabel(QStringLiteral("12:00"), &window);
        label->setObjectName(QStringLiteral("Label1"));
        setLabelColours(label, QStringLiteral("color: #ffff00; background: navy;"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        label->ensurePolished();
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0xff, 0xff, 0x00));

        QLabel *hint = showHint(label);
        QVERIFY(hint);
        QCOMPARE(hint->palette().color(QPalette::WindowText), QToolTip::palette().color(QPalette::ToolTipText));
        QVERIFY(hint->palette().color(QPalette::WindowText) != QColor(0xff, 0xff, 0x00));
        QToolTip::hideText();
    }

    void tickingLabelLooksTheSameAsOneColouredBySheet_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("time") << QStringLiteral("14:07:09");
        QTest::newRow("empty, before the first tick") << QString();
    }
    void tickingLabelLooksTheSameAsOneColouredBySheet()
    {
        QFETCH(QString, text);
        BottomLine sheet(false, text);
        BottomLine ticking(true, text);
        const QImage image = ticking.window.grab().toImage().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(image, sheet.window.grab().toImage().convertToFormat(QImage::Format_RGB32));
        // Not a vacuous picture: a text shows in yellow, and the ground outside the text is black.
        QCOMPARE(yellowPixels(image) > 0, !text.isEmpty());
        QCOMPARE(image.pixelColor(2, 2), QColor(Qt::black));
        QCOMPARE(image.pixelColor(93, 21), QColor(Qt::black));
    }

    void newTextOfATickingLabelRedrawsNothingBeneathIt()
    {
        BottomLine line(true, QStringLiteral("14:07:09"));
        line.window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&line.window));
        QTRY_VERIFY(line.ground->paints > 0);
        QTest::qWait(100);
        // Only the posted update of the label is handled, not whatever the window system sends meanwhile.
        const int before = line.ground->paints;
        line.label->setText(QStringLiteral("14:07:10"));
        line.label->setToolTip(QStringLiteral("Local 05.03.2012 14:07"));
        QCoreApplication::sendPostedEvents();
        QCOMPARE(line.ground->paints, before);
        line.ground->update(QRect(0, 0, 2, 2));
        QCoreApplication::sendPostedEvents();
        QCOMPARE(line.ground->paints, before + 1); // the count does see a paint when one happens
        QCOMPARE(line.label->size(), QSize(90, 13));

        // The hint keeps the hint's colours: the label's palette reaches no further than the label.
        QLabel *hint = showHint(line.label);
        QVERIFY(hint);
        QCOMPARE(hint->palette().color(QPalette::WindowText), QToolTip::palette().color(QPalette::ToolTipText));
        QToolTip::hideText();
    }
};

QTEST_MAIN(TestLabelColours)
#include "test_label_colours.moc"
