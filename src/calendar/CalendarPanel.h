// The economic calendar panel `Panel5`: a banner strip on top and the read-only grid of releases.
#pragma once

#include <QDate>
#include <QDateTime>
#include <QFrame>
#include <QPixmap>
#include <QTime>

class QTableView;
class QAbstractItemModel;
class Clock;

/*
 * The grid's cells are drawn by the panel (`DBGrid3DrawColumnCell`): every cell reads the clock when it is
 * painted, so a release changes colour at the first repaint after its time has passed. Past releases and
 * holidays are grey, releases still to come today yellow, later days white, the current row on green; the
 * importance column shows one, two or three red squares for the three known words and the word otherwise.
 */
class CalendarPanel : public QFrame
{
    Q_OBJECT
public:
    explicit CalendarPanel(QWidget *parent = nullptr);

    QTableView *grid() const { return m_grid; }
    /// The holder of the banner `WebBrowser5` (`Panel8`).
    QWidget *bannerHolder() const { return m_bannerHolder; }
    /// The clock the colours and the date and time texts follow (the system's when none is set).
    void setClock(const Clock *clock) { m_clock = clock; }
    /// Binds the grid to the calendar table's model (fields in table order) and gives the seven columns
    /// their titles and widths.
    void setModel(QAbstractItemModel *model);

    struct Column
    {
        QString title;
        int width;
    };
    static const QList<Column> &columns();

    /// The text colour class of one row, the later rule winning: grey for a holiday or a past release, white
    /// for a later day, yellow for a release still to come today; Plain (the grid's own colour) otherwise.
    enum class Shade { Plain, Grey, White, Yellow };
    static Shade shadeOf(const QDate &date, const QTime &time, const QString &impact, const QDateTime &now);

    /// The importance picture of an impact word (one, two or three red squares), null for any other word.
    static QPixmap importancePicture(const QString &impact);

    QDateTime now() const;
    QString dateText(const QDate &date) const;
    QString timeText(const QTime &time) const;

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void applyColumns();
    QTableView *m_grid = nullptr;
    QWidget *m_bannerHolder = nullptr;
    const Clock *m_clock = nullptr;
};
