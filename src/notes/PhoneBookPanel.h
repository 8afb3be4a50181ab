// The phone-book panel `Panel3`: the contact list, its navigator and the fields of the current contact.
#pragma once

#include <QFrame>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTableView;
class QToolButton;
class QWidget;

class PhoneBookPanel : public QFrame
{
    Q_OBJECT
public:
    explicit PhoneBookPanel(QWidget *parent = nullptr);

    QTableView *grid() const { return m_grid; }
    QWidget *navigatorHolder() const { return m_navigatorHolder; }
    /// The six single-line edits DBEdit1..DBEdit6 (fields Fio, Work, PhoneWork, Phone, Mobile, Email).
    QList<QLineEdit *> edits() const { return m_edits; }
    QPlainTextEdit *memo() const { return m_memo; }
    QToolButton *callButton() const { return m_callButton; }

private:
    QLabel *addLabel(const char *name, const QString &text, int x, int y);
    QLineEdit *addEdit(const char *name, int maxLength, const QRect &rect);

    QTableView *m_grid = nullptr;
    QWidget *m_navigatorHolder = nullptr;
    QList<QLineEdit *> m_edits;
    QPlainTextEdit *m_memo = nullptr;
    QToolButton *m_callButton = nullptr;
};
