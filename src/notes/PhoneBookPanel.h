// The phone-book panel `Panel3`: the contact list, its navigator, the fields of the current contact, and the
// call reminder.
#pragma once

#include "platform/Services.h"
#include "store/DataSetNavigatorWidget.h"

#include <QFrame>
#include <functional>

class DataSet;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTableView;
class QToolButton;

/*
 * The list shows `Fio` in the table's order; the fields are bound to the current contact and can be typed
 * into only between insert or edit and the post or cancel that ends it. A delete (the navigator's button or
 * Ctrl+Delete in the list) asks "Delete record?" first. Failures of the table (a file that cannot be
 * written) are shown through the Prompts seam and leave the panel as it was.
 *
 *   auto *panel = new PhoneBookPanel(&phone, services, this);
 *   panel->setNewEventWithText([planner](const QString &text) { planner->newEventWithText(text); });
 */
class PhoneBookPanel : public QFrame
{
    Q_OBJECT
public:
    PhoneBookPanel(DataSet *phone, const Services &services, QWidget *parent = nullptr);

    /// The planner's entry that starts a new event with a text.
    void setNewEventWithText(std::function<void(const QString &)> start) { m_newEventWithText = std::move(start); }

    /// A navigator button: the table's action, then the fields writable after insert and edit, read-only
    /// after any other button (`DBNavigator1Click`).
    void navigate(DataSetNavigatorWidget::Button button);
    /// `SpeedButton9Click`: asks whether to make a call reminder for the current contact and, on Yes, starts
    /// a planner event "Позвонить " + name.
    void callReminder();

    QTableView *grid() const { return m_grid; }
    DataSetNavigatorWidget *navigator() const { return m_navigator; }
    /// The six single-line edits DBEdit1..DBEdit6 (fields Fio, Work, PhoneWork, Phone, Mobile, Email).
    QList<QLineEdit *> edits() const { return m_edits; }
    QPlainTextEdit *memo() const { return m_memo; }
    QToolButton *callButton() const { return m_callButton; }
    /// The holder of the banner `WebBrowser3` (`Panel6`).
    QWidget *bannerHolder() const { return m_bannerHolder; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QLabel *addLabel(const char *name, const QString &text, int x, int y);
    QLineEdit *addEdit(const char *name, int maxLength, const QRect &rect);
    void bindFields();
    void setFieldsWritable(bool writable);
    void showNameHint();
    QString currentName() const;

    DataSet *m_phone;
    Services m_services;
    std::function<void(const QString &)> m_newEventWithText;
    QTableView *m_grid = nullptr;
    DataSetNavigatorWidget *m_navigator = nullptr;
    QWidget *m_bannerHolder = nullptr;
    QList<QLineEdit *> m_edits;
    QPlainTextEdit *m_memo = nullptr;
    QToolButton *m_callButton = nullptr;
};
