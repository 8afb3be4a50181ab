#include "notes/PhoneBookPanel.h"

#include "platform/ApplicationLook.h"
#include "platform/Failure.h"
#include "platform/Prompts.h"
#include "store/DataSet.h"
#include "store/DataSetModel.h"
#include "store/FieldBinder.h"

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTableView>
#include <QToolButton>

namespace {

const QColor kFieldText(0, 0, 128); // navy on white

// The colours a widget of the panel is drawn in: the text roles and, when given, the ground roles.
QPalette coloured(QPalette palette, const QColor &text, const QColor &ground = QColor())
{
    for (auto role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText})
        palette.setColor(role, text);
    if (ground.isValid()) {
        for (auto role : {QPalette::Base, QPalette::Button, QPalette::Window})
            palette.setColor(role, ground);
    }
    return palette;
}

// Scroll bars keep the application's look inside the coloured widgets.
void keepPlainScrollBars(QAbstractScrollArea *area, const QPalette &plain)
{
    area->verticalScrollBar()->setPalette(plain);
    area->horizontalScrollBar()->setPalette(plain);
}

} // namespace

PhoneBookPanel::PhoneBookPanel(DataSet *phone, const Services &services, QWidget *parent)
    : QFrame(parent), m_phone(phone), m_services(services)
{
    setObjectName(QStringLiteral("Panel3"));
    // The panel's children are drawn in the application's own palette and font, not in the main window's black
    // and small font; the black ground is painted by the panel itself, and the few coloured children carry their
    // own colours (palettes, not a style sheet: a sheet would be matched against every child at start).
    setPalette(resolvedApplicationPalette());
    setFont(resolvedApplicationFont());

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid1"));
    m_grid->setGeometry(14, 14, 234, 177);
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setWordWrap(false);
    m_grid->setPalette(coloured(m_grid->palette(), Qt::white, Qt::black));
    keepPlainScrollBars(m_grid, resolvedApplicationPalette());

    m_navigator = new DataSetNavigatorWidget(m_phone, QStringLiteral("DBNavigator1"), this);
    m_navigator->setGeometry(14, 191, 234, 25);
    m_navigator->takeDeleteKeyFrom(m_grid);
    connect(m_navigator, &DataSetNavigatorWidget::clicked, this, &PhoneBookPanel::navigate);

    m_bannerHolder = new QWidget(this);
    m_bannerHolder->setObjectName(QStringLiteral("Panel6"));
    m_bannerHolder->setGeometry(13, 216, 235, 61);

    addLabel("Label5", QStringLiteral("Наименование"), 258, 8);
    m_edits << addEdit("DBEdit1", 50, QRect(258, 24, 194, 17));
    m_callButton = new QToolButton(this);
    m_callButton->setObjectName(QStringLiteral("SpeedButton9"));
    m_callButton->setGeometry(452, 24, 18, 18);
    m_callButton->setAutoRaise(true);
    m_callButton->setText(QStringLiteral("☎"));
    connect(m_callButton, &QToolButton::clicked, this, &PhoneBookPanel::callReminder);
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
    m_memo->setFrameShape(QFrame::NoFrame);
    m_memo->setPalette(coloured(m_memo->palette(), kFieldText, Qt::white));
    keepPlainScrollBars(m_memo, resolvedApplicationPalette());

    bindFields();
    setFieldsWritable(false);
}

void PhoneBookPanel::paintEvent(QPaintEvent *event)
{
    QPainter(this).fillRect(rect(), Qt::black);
    QFrame::paintEvent(event);
}

void PhoneBookPanel::bindFields()
{
    auto *model = new DataSetModel(m_phone, this);
    model->setColumns({QStringLiteral("Fio")});
    connect(model, &DataSetModel::failed, this, [this](const QString &text) {
        m_services.prompts->error(QStringLiteral("Veltrane"), text);
    });
    m_grid->setModel(model);
    m_grid->setSelectionModel(model->selectionModel());
    m_grid->setColumnWidth(0, 216);
    // Opening the table resets the model, and with it the header's widths.
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        m_grid->setColumnWidth(0, 216);
    });

    const char *fields[] = {"Fio", "Work", "PhoneWork", "Phone", "Mobile", "Email"};
    for (int i = 0; i < m_edits.size(); ++i)
        new FieldBinder(m_phone, m_edits[i], QLatin1String(fields[i]), this);
    new FieldBinder(m_phone, m_memo, QStringLiteral("Info"), this);

    for (auto signal : {&DataSet::afterScroll, &DataSet::afterPost, &DataSet::afterCancel, &DataSet::resetDone})
        connect(m_phone, signal, this, &PhoneBookPanel::showNameHint);
    // An edit can also end outside the navigator (a click on another contact posts it): the fields follow.
    connect(m_phone, &DataSet::stateChanged, this, [this](DataSet::State state) {
        if (state != DataSet::State::Edit && state != DataSet::State::Insert)
            setFieldsWritable(false);
    });
    // A panel made once the table is open shows the current contact's hint at once.
    showNameHint();
}

QLabel *PhoneBookPanel::addLabel(const char *name, const QString &text, int x, int y)
{
    auto *label = new QLabel(text, this);
    label->setObjectName(QLatin1String(name));
    label->setPalette(coloured(label->palette(), Qt::white));
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
    edit->setFrame(false);
    edit->setPalette(coloured(edit->palette(), kFieldText, Qt::white));
    return edit;
}

void PhoneBookPanel::navigate(DataSetNavigatorWidget::Button button)
{
    using Button = DataSetNavigatorWidget::Button;
    if (!m_phone->isActive())
        return;
    const bool editing = m_phone->state() == DataSet::State::Edit || m_phone->state() == DataSet::State::Insert;
    try {
        switch (button) {
        case Button::Insert: m_phone->insert(); break;
        case Button::Edit:
            if (!m_phone->isEmpty())
                m_phone->edit();
            break;
        case Button::Post:
            if (editing)
                m_phone->post();
            break;
        case Button::Cancel:
            if (editing)
                m_phone->cancel();
            break;
        case Button::Delete:
            if (!m_phone->isEmpty() && m_services.prompts->question(QStringLiteral("Delete record?")))
                m_phone->deleteRecord();
            break;
        case Button::Refresh: break;
        }
    } catch (const Failure &f) {
        // The table is as it was (a refused post stays in editing); so are the fields.
        m_navigator->updateButtons();
        m_services.prompts->error(QStringLiteral("Veltrane"), f.text());
        return;
    }
    setFieldsWritable(button == Button::Insert || button == Button::Edit);
    m_navigator->updateButtons();
}

void PhoneBookPanel::setFieldsWritable(bool writable)
{
    for (QLineEdit *edit : std::as_const(m_edits))
        edit->setReadOnly(!writable);
    m_memo->setReadOnly(!writable);
}

void PhoneBookPanel::showNameHint()
{
    // A name too long for its edit can be read in full in the hint.
    m_edits.first()->setToolTip(currentName());
}

QString PhoneBookPanel::currentName() const
{
    if (!m_phone->isActive() || m_phone->isEmpty())
        return QString();
    return m_phone->fieldByName(QStringLiteral("Fio")).asString();
}

void PhoneBookPanel::callReminder()
{
    const QString name = currentName();
    if (!m_services.prompts->question(QStringLiteral("Создать напоминание о звонке для ") + name + QLatin1Char('?')))
        return;
    if (m_newEventWithText)
        m_newEventWithText(QStringLiteral("Позвонить ") + name);
}
