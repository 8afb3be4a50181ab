// A coloured label keeps its colours to itself: the hint it shows is drawn in the hint's own colours.
#include "app/LabelColours.h"

#include <QApplication>
#include <QLabel>
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
};

QTEST_MAIN(TestLabelColours)
#include "test_label_colours.moc"
