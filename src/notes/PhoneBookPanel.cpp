#include "notes/PhoneBookPanel.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QToolButton>

PhoneBookPanel::PhoneBookPanel(QWidget *parent) : QFrame(parent)
{
    setObjectName(QStringLiteral("Panel3"));
    setAutoFillBackground(true);
    setStyleSheet(QStringLiteral("#Panel3 { background: black; } QLabel { color: white; }"
                                 " QLineEdit, QPlainTextEdit { border: none; color: navy; background: white; }"));

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setGeometry(14, 14, 234, 177);
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    // One column, the grid's width less the scroll bar's. Set as the width every new section gets: the header
    // makes its sections anew whenever the table is reset (opened, or sorted again after a post).
    m_grid->horizontalHeader()->setDefaultSectionSize(234 - 18);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setStyleSheet(QStringLiteral("QTableView { background: black; color: white; }"));

    m_navigatorHolder = new QWidget(this);
    m_navigatorHolder->setObjectName(QStringLiteral("DBNavigator1"));
    m_navigatorHolder->setGeometry(14, 191, 234, 25);

    auto *banner = new QWidget(this);
    banner->setObjectName(QStringLiteral("Panel6"));
    banner->setGeometry(13, 216, 235, 61);

    addLabel("Label5", QStringLiteral("Наименование"), 258, 8);
    m_edits << addEdit("DBEdit1", 50, QRect(258, 24, 194, 17));
    m_callButton = new QToolButton(this);
    m_callButton->setObjectName(QStringLiteral("SpeedButton9"));
    m_callButton->setGeometry(452, 24, 18, 18);
    m_callButton->setAutoRaise(true);
    m_callButton->setText(QStringLiteral("☎"));
    addLabel("Label6", QStringLiteral("Место работы"), 258, 46);
    m_edits << addEdit("DBEdit2", 50, QRect(258, 59, 212, 16));
    addLabel("Label7", QStringLiteral("Телефон 1"), 258, 79);
    m_edits << addEdit("DBEdit3", 30, QRect(258, 92, 111, 16));
    addLabel("Label8", QStringLiteral("Телефон 2"), 373, 79);
    m_edits << addEdit("DBEdit4", 30, QRect(373, 92, 97, 16));
    addLabel("Label9", QStringLiteral("Skype"), 258, 110);
    m_edits << addEdit("DBEdit5", 30, QRect(258, 125, 111, 16));
    addLabel("Label10", QStringLiteral("Email"), 373, 110);
    m_edits << addEdit("DBEdit6", 50, QRect(373, 125, 97, 16));
    addLabel("Label11", QStringLiteral("Дополнительная информация"), 258, 148);
    m_memo = new QPlainTextEdit(this);
    m_memo->setObjectName(QStringLiteral("DBMemo1"));
    m_memo->setGeometry(258, 164, 212, 112);
    m_memo->setReadOnly(true);
}

QLabel *PhoneBookPanel::addLabel(const char *name, const QString &text, int x, int y)
{
    auto *label = new QLabel(text, this);
    label->setObjectName(QLatin1String(name));
    label->move(x, y);
    label->adjustSize();
    return label;
}

QLineEdit *PhoneBookPanel::addEdit(const char *name, int maxLength, const QRect &rect)
{
    auto *edit = new QLineEdit(this);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(rect);
    edit->setMaxLength(maxLength);
    edit->setReadOnly(true);
    return edit;
}
