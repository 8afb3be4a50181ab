#include "planner/PlannerPanel.h"

#include "planner/AlarmFields.h"
#include "planner/AlarmTimer.h"
#include "planner/EventRules.h"
#include "platform/Clock.h"
#include "platform/Prompts.h"
#include "store/DataSet.h"
#include "store/DataSetModel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFileDialog>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QTimeEdit>
#include <QToolButton>
#include <algorithm>

namespace {

/// Characters the user may type into the text edit; texts the program sets may fill the whole field.
constexpr int typedTextLimit = 100;

QString dayKey(int i)
{
    return QStringLiteral("Day%1").arg(i + 1);
}

/// Deletes from the grid (Ctrl+Delete) go through the same confirmation as the navigator's button.
class GridKeys : public QObject
{
public:
    GridKeys(PlannerPanel *panel) : QObject(panel), m_panel(panel) {}
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            auto *key = static_cast<QKeyEvent *>(event);
            if (key->key() == Qt::Key_Delete && key->modifiers().testFlag(Qt::ControlModifier)) {
                m_panel->navigate(PlannerPanel::NavButton::Delete);
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    PlannerPanel *m_panel;
};

} // namespace

PlannerPanel::PlannerPanel(DataSet *alarm, AlarmTimer *scheduler, const Services &services, QWidget *parent)
    : QWidget(parent), m_alarm(alarm), m_scheduler(scheduler), m_services(services)
{
    setObjectName(QStringLiteral("Panel4"));
    setGeometry(0, 0, 481, 290);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
    // The editor was laid out for an 8-point interface font at 96 dots per inch: 11 pixels.
    QFont small = font();
    small.setPixelSize(11);
    setFont(small);

    buildControls();
    retranslate();

    connect(m_alarm, &DataSet::afterScroll, this, &PlannerPanel::showRecord);
    connect(m_alarm, &DataSet::afterInsert, this, &PlannerPanel::afterInsert);
    connect(m_alarm, &DataSet::beforePost, this, &PlannerPanel::beforePost);
    for (auto signal : {&DataSet::afterPost, &DataSet::afterCancel, &DataSet::afterDelete})
        connect(m_alarm, signal, this, [this] {
            m_userEdit = false;
        });
    connect(m_alarm, &DataSet::controlsEnabledChanged, this, [this](bool enabled) {
        // Emitted from scope guards' destructors too: a record that cannot be shown is only logged here (the
        // failing read is reported by whoever reads the record for its work).
        if (!enabled)
            return;
        try {
            showBoundControls();
        } catch (const std::exception &e) {
            qWarning("Veltrane: the event editor cannot show the record: %s", e.what());
        }
    });
    connect(m_alarm, &DataSet::stateChanged, this, [this](DataSet::State state) {
        updateNavigator();
        // A pending edit can also end outside the navigator (the reminder window completing an event
        // moves the cursor, which posts it): the editor then leaves editing mode as after a post.
        if (state == DataSet::State::Browse && m_editingMode) {
            setEditingMode(false);
            if (m_scheduler)
                m_scheduler->start();
        }
    });

    setEditingMode(false);
    updateNavigator();
    showRecord();
}

void PlannerPanel::buildControls()
{
    m_bannerHolder = new QWidget(this);
    m_bannerHolder->setObjectName(QStringLiteral("Panel7"));
    m_bannerHolder->setGeometry(8, 8, 234, 61);

    m_grid = new QTableView(this);
    m_grid->setObjectName(QStringLiteral("DBGrid2"));
    m_grid->setGeometry(8, 68, 234, 189);
    m_model = new DataSetModel(m_alarm, this);
    m_model->setColumns({QStringLiteral("Execute")});
    m_grid->setModel(m_model);
    m_grid->setSelectionModel(m_model->selectionModel());
    m_grid->horizontalHeader()->hide();
    m_grid->verticalHeader()->hide();
    // The width every section gets when it is made: opening the table (or refreshing it) resets the header and
    // makes the column anew, so a width set on the column itself would last only until then.
    m_grid->horizontalHeader()->setDefaultSectionSize(216);
    m_grid->setColumnWidth(0, 216);
    m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setWordWrap(false);
    {
        // The selected row stays marked while the focus is elsewhere in the editor.
        QPalette gp = m_grid->palette();
        gp.setColor(QPalette::Inactive, QPalette::Highlight, gp.color(QPalette::Active, QPalette::Highlight));
        gp.setColor(QPalette::Inactive, QPalette::HighlightedText,
                    gp.color(QPalette::Active, QPalette::HighlightedText));
        m_grid->setPalette(gp);
    }
    m_grid->installEventFilter(new GridKeys(this));

    m_navigator = new QWidget(this);
    m_navigator->setObjectName(QStringLiteral("DBNavigator2"));
    m_navigator->setGeometry(8, 257, 234, 25);
    const struct
    {
        NavButton button;
        const char *name, *glyph, *hint;
    } buttons[] = {
        {NavButton::Insert, "nbInsert", "+", "Insert record"}, {NavButton::Delete, "nbDelete", "−", "Delete record"},
        {NavButton::Edit, "nbEdit", "▲", "Edit record"},       {NavButton::Post, "nbPost", "✔", "Post edit"},
        {NavButton::Cancel, "nbCancel", "✖", "Cancel edit"},   {NavButton::Refresh, "nbRefresh", "↻", "Refresh data"},
    };
    const int width = 234 / 6;
    int x = 0;
    for (const auto &b : buttons) {
        auto *button = new QToolButton(m_navigator);
        button->setObjectName(QLatin1String(b.name));
        button->setText(QString::fromUtf8(b.glyph));
        button->setToolTip(QLatin1String(b.hint));
        const int w = b.button == NavButton::Refresh ? 234 - x : width;
        button->setGeometry(x, 0, w, 25);
        x += w;
        const NavButton which = b.button;
        connect(button, &QToolButton::clicked, this, [this, which] {
            navigate(which);
        });
        m_navButtons << button;
    }

    m_kind = new QComboBox(this);
    m_kind->setObjectName(QStringLiteral("ComboBox2"));
    m_kind->setGeometry(248, 10, 224, m_kind->sizeHint().height());
    connect(m_kind, &QComboBox::activated, this, &PlannerPanel::kindChosen);

    m_date = new QDateEdit(this);
    m_date->setObjectName(QStringLiteral("DateTimePicker1"));
    m_date->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    m_date->setCalendarPopup(true);
    m_date->setGeometry(248, 37, 167, 21);

    m_time = new QTimeEdit(this);
    m_time->setObjectName(QStringLiteral("DateTimePicker2"));
    m_time->setDisplayFormat(QStringLiteral("H:mm:ss"));
    m_time->setGeometry(419, 37, 53, 21);

    m_label12 = new QLabel(PlannerTexts::defaultText(QStringLiteral("Label12")), this);
    m_label12->setObjectName(QStringLiteral("Label12"));
    m_label12->move(248, 62);
    m_label12->hide();

    m_execute = new QLineEdit(this);
    m_execute->setObjectName(QStringLiteral("DBEdit10"));
    m_execute->setGeometry(248, 75, 205, 19);
    connect(m_execute, &QLineEdit::textEdited, this, &PlannerPanel::executeEdited);

    m_browse = new QToolButton(this);
    m_browse->setObjectName(QStringLiteral("SpeedButton4"));
    m_browse->setText(QStringLiteral("…"));
    m_browse->setGeometry(453, 75, 19, 19);
    m_browse->setEnabled(false);
    connect(m_browse, &QToolButton::clicked, this, &PlannerPanel::browse);

    m_group = new QGroupBox(this);
    m_group->setObjectName(QStringLiteral("GroupBox1"));
    m_group->setGeometry(248, 99, 224, 183);

    m_repeat = new QCheckBox(m_group);
    m_repeat->setObjectName(QStringLiteral("DBCheckBox8"));
    m_repeat->move(8, 0);
    connect(m_repeat, &QCheckBox::toggled, this, &PlannerPanel::repeatToggled);

    m_label15 = new QLabel(m_group);
    m_label15->setObjectName(QStringLiteral("Label15"));
    m_label15->move(5, 27);
    m_unit = new QComboBox(m_group);
    m_unit->setObjectName(QStringLiteral("ComboBox4"));
    m_unit->setGeometry(68, 24, 67, m_unit->sizeHint().height());
    connect(m_unit, &QComboBox::activated, this, &PlannerPanel::unitChosen);
    m_number = new QComboBox(m_group);
    m_number->setObjectName(QStringLiteral("ComboBox3"));
    m_number->setGeometry(141, 24, 67, m_number->sizeHint().height());
    fillNumbers(int(ShiftUnit::Days));

    // Monday to Thursday on the left, Friday, Saturday and Sunday on the right.
    const QPoint places[7] = {{108, 104}, {4, 59}, {4, 77}, {4, 95}, {4, 113}, {108, 68}, {108, 86}};
    for (int i = 0; i < 7; ++i) {
        auto *box = new QCheckBox(m_group);
        box->setObjectName(dayKey(i));
        box->move(places[i]);
        m_days << box;
    }

    m_label13 = new QLabel(m_group);
    m_label13->setObjectName(QStringLiteral("Label13"));
    m_label13->move(4, 142);
    m_hourStart = new QTimeEdit(m_group);
    m_hourStart->setObjectName(QStringLiteral("DateTimePicker3"));
    m_hourStart->setDisplayFormat(QStringLiteral("H:mm:ss"));
    m_hourStart->setGeometry(68, 139, 52, 21);
    m_label14 = new QLabel(m_group);
    m_label14->setObjectName(QStringLiteral("Label14"));
    m_label14->move(124, 142);
    m_hourEnd = new QTimeEdit(m_group);
    m_hourEnd->setObjectName(QStringLiteral("DateTimePicker4"));
    m_hourEnd->setDisplayFormat(QStringLiteral("H:mm:ss"));
    m_hourEnd->setGeometry(141, 139, 67, 21);
    m_hourEnd->setTime(QTime(23, 59, 59));
    // The hour window's two pickers share one row: without spin buttons they fit it (arrow keys and the wheel
    // still step them).
    for (QTimeEdit *picker : {m_hourStart, m_hourEnd})
        picker->setButtonSymbols(QAbstractSpinBox::NoButtons);
    repeatToggled(false);
}

void PlannerPanel::placePickers()
{
    // The places were drawn for a narrower font: a picker too narrow for H:mm:ss scrolls its text out of sight,
    // and a label wider than its place hides under the picker beside it. Each keeps its place where it fits.
    const int timeWidth = std::max(53, m_time->sizeHint().width());
    m_time->setGeometry(472 - timeWidth, 37, timeWidth, 21);
    m_date->setGeometry(248, 37, m_time->x() - 4 - 248, 21);

    const int startX = std::max(68, m_label13->geometry().right() + 4);
    m_hourStart->setGeometry(startX, 139, std::max(52, m_hourStart->sizeHint().width()), 21);
    m_label14->move(std::max(124, m_hourStart->geometry().right() + 5), 142);
    const int endX = std::max(141, m_label14->geometry().right() + 4);
    const int endWidth = std::max(m_hourEnd->sizeHint().width(), std::min(67, m_group->width() - 4 - endX));
    m_hourEnd->setGeometry(endX, 139, endWidth, 21);
}

void PlannerPanel::retranslate()
{
    m_kind->clear();
    for (int i = 0; i < 4; ++i)
        m_kind->addItem(texts().text(QStringLiteral("Combobox2Items%1").arg(i)));
    m_kind->setCurrentIndex(0);
    m_unit->clear();
    for (int i = 0; i < 4; ++i)
        m_unit->addItem(texts().text(QStringLiteral("Combobox4Items%1").arg(i)));
    m_unit->setCurrentIndex(2);
    for (int i = 0; i < 7; ++i) {
        m_days[i]->setText(texts().text(dayKey(i)));
        m_days[i]->adjustSize();
    }
    m_repeat->setText(texts().text(QStringLiteral("DBCheckBox8")));
    m_repeat->adjustSize();
    setLabel12(texts().text(QStringLiteral("Label12")));
    for (auto [label, key] : {std::pair{m_label13, "Label13"}, {m_label15, "Label15"}, {m_label14, "Label14"}}) {
        label->setText(texts().text(QLatin1String(key)));
        label->adjustSize();
    }
    placePickers();
}

QString PlannerPanel::label12Caption() const
{
    return m_label12->text();
}

void PlannerPanel::setLabel12(const QString &caption)
{
    if (m_label12->text() == caption)
        return;
    m_label12->setText(caption);
    m_label12->adjustSize();
    emit label12CaptionChanged(caption);
}

const PlannerTexts &PlannerPanel::texts() const
{
    if (!m_texts.hasLookup() && m_scheduler)
        return m_scheduler->texts();
    return m_texts;
}

bool PlannerPanel::editState() const
{
    return m_alarm->state() == DataSet::State::Edit || m_alarm->state() == DataSet::State::Insert;
}

void PlannerPanel::setEditingMode(bool editing)
{
    m_editingMode = editing;
    m_kind->setEnabled(editing);
    m_date->setEnabled(editing);
    m_time->setEnabled(editing);
    m_group->setEnabled(editing);
    m_execute->setReadOnly(!editing);
}

void PlannerPanel::updateNavigator()
{
    const bool active = m_alarm->isActive();
    const bool editing = editState();
    const bool empty = !active || m_alarm->isEmpty();
    m_navButtons[int(NavButton::Insert)]->setEnabled(active && !editing);
    m_navButtons[int(NavButton::Delete)]->setEnabled(active && !empty);
    m_navButtons[int(NavButton::Edit)]->setEnabled(active && !editing && !empty);
    m_navButtons[int(NavButton::Post)]->setEnabled(active && editing);
    m_navButtons[int(NavButton::Cancel)]->setEnabled(active && editing);
    m_navButtons[int(NavButton::Refresh)]->setEnabled(active);
}

void PlannerPanel::navigate(NavButton button)
{
    if (!m_alarm->isActive())
        return;
    // The table's action first; when it fails the failure reaches the user and the mode stays as it was.
    switch (button) {
    case NavButton::Insert:
        // Set after the call: insert() may first post a pending edit, whose afterPost clears the flag.
        m_alarm->insert();
        m_userEdit = true;
        break;
    case NavButton::Edit:
        if (m_alarm->isEmpty())
            return;
        m_alarm->edit();
        m_userEdit = true;
        break;
    case NavButton::Post:
        if (editState())
            m_alarm->post();
        break;
    case NavButton::Cancel:
        if (editState())
            m_alarm->cancel();
        break;
    case NavButton::Delete:
        if (!m_alarm->isEmpty() && m_services.prompts && m_services.prompts->question(QStringLiteral("Delete record?")))
            m_alarm->deleteRecord();
        break;
    case NavButton::Refresh:
        // The table is the file's own copy: refreshing shows the current record again.
        if (!editState())
            showRecord();
        break;
    }
    const bool editing = button == NavButton::Insert || button == NavButton::Edit;
    setEditingMode(editing);
    if (m_scheduler) {
        if (editing)
            m_scheduler->stop();
        else
            m_scheduler->start();
    }
    updateNavigator();
}

void PlannerPanel::fillNumbers(int unit)
{
    static const int counts[4] = {59, 23, 31, 12};
    const int count = counts[qBound(0, unit, 3)];
    m_number->clear();
    for (int i = 1; i <= count; ++i)
        m_number->addItem(QString::number(i));
    m_number->setCurrentIndex(0);
}

void PlannerPanel::unitChosen(int unit)
{
    fillNumbers(unit);
}

void PlannerPanel::kindChosen(int kind)
{
    switch (kind) {
    case int(EventKind::Reminder):
        m_execute->setReadOnly(false);
        m_browse->setEnabled(false);
        m_label12->setEnabled(true);
        setLabel12(QStringLiteral("Текст напоминания"));
        break;
    case int(EventKind::Launch):
        m_execute->setReadOnly(false);
        m_browse->setEnabled(true);
        m_label12->setEnabled(true);
        setLabel12(QStringLiteral("Путь к программе или документу"));
        break;
    case int(EventKind::PowerOff):
        m_execute->setReadOnly(true);
        m_browse->setEnabled(false);
        m_label12->setEnabled(false);
        setLabel12(QStringLiteral("Выключение компьютера"));
        break;
    default:
        // A sleep event leaves the editor as it is.
        break;
    }
}

void PlannerPanel::repeatToggled(bool checked)
{
    for (QWidget *w :
         {static_cast<QWidget *>(m_label13), static_cast<QWidget *>(m_label15), static_cast<QWidget *>(m_hourStart),
          static_cast<QWidget *>(m_hourEnd), static_cast<QWidget *>(m_unit), static_cast<QWidget *>(m_number)})
        w->setEnabled(checked);
    for (QCheckBox *box : std::as_const(m_days))
        box->setEnabled(checked);
    if (!m_alarm || !editState())
        return;
    for (int i = 0; i < 7; ++i) {
        m_days[i]->setChecked(checked);
        m_alarm->fieldByName(dayKey(i)).setValue(checked);
    }
}

void PlannerPanel::browse()
{
    const QString path = m_fileChooser ? m_fileChooser() : QFileDialog::getOpenFileName(this);
    if (path.isEmpty())
        return;
    const QString text = path.left(EventRules::executeSize);
    if (editState())
        m_alarm->fieldByName(QStringLiteral("Execute")).setValue(text);
    setExecuteShown(text);
}

void PlannerPanel::setExecuteShown(const QString &text)
{
    m_acceptedText = text;
    m_execute->setText(text);
    m_execute->setCursorPosition(0);
}

void PlannerPanel::executeEdited(const QString &text)
{
    // Typing stops at 100 characters; a longer text the program put there can still be shortened.
    if (text.size() > typedTextLimit && text.size() > m_acceptedText.size()) {
        const int cursor = m_execute->cursorPosition() - int(text.size() - m_acceptedText.size());
        m_execute->setText(m_acceptedText);
        m_execute->setCursorPosition(qMax(0, cursor));
        return;
    }
    m_acceptedText = text;
}

void PlannerPanel::showBoundControls()
{
    if (m_alarm->controlsDisabled() || !m_alarm->isActive() || m_alarm->isEmpty())
        return;
    setExecuteShown(m_alarm->fieldByName(QStringLiteral("Execute")).asString());
    const QSignalBlocker block(m_repeat);
    m_repeat->setChecked(m_alarm->fieldByName(QStringLiteral("Repeat")).asBoolean());
    for (int i = 0; i < 7; ++i)
        m_days[i]->setChecked(m_alarm->fieldByName(dayKey(i)).asBoolean());
    const bool repeat = m_repeat->isChecked();
    for (QWidget *w :
         {static_cast<QWidget *>(m_label13), static_cast<QWidget *>(m_label15), static_cast<QWidget *>(m_hourStart),
          static_cast<QWidget *>(m_hourEnd), static_cast<QWidget *>(m_unit), static_cast<QWidget *>(m_number)})
        w->setEnabled(repeat);
    for (QCheckBox *box : std::as_const(m_days))
        box->setEnabled(repeat);
}

void PlannerPanel::showRecord()
{
    if (!m_alarm->isActive() || m_alarm->isEmpty())
        return;
    const PlannerEvent e = AlarmFields::read(*m_alarm);
    m_kind->setCurrentIndex(qBound(0, e.tip, 3));
    if (m_alarm->state() != DataSet::State::Insert) {
        m_date->setDate(e.data.isValid() ? e.data : QDate(1899, 12, 30));
        m_time->setTime(e.time);
    }
    m_hourStart->setTime(e.repeatHourStart);
    m_hourEnd->setTime(e.repeatHourEnd);
    m_unit->setCurrentIndex(qBound(0, e.repeatValueName, 3));
    fillNumbers(e.repeatValueName);
    m_number->setCurrentIndex(qBound(-1, e.repeatValue, m_number->count() - 1));
    m_execute->setToolTip(e.execute);
    showBoundControls();
}

void PlannerPanel::afterInsert()
{
    const QDateTime now = m_services.clock->localNow();
    m_date->setDate(now.date());
    m_time->setTime(QTime(now.time().hour(), now.time().minute(), now.time().second()));
    m_alarm->fieldByName(QStringLiteral("Tip")).setValue(qMax(0, m_kind->currentIndex()));
    for (int i = 0; i < 7; ++i)
        m_alarm->fieldByName(dayKey(i)).setValue(false);
    m_alarm->fieldByName(QStringLiteral("Repeat")).setValue(false);
    m_number->setCurrentIndex(0);
    m_unit->setCurrentIndex(2);
    m_alarm->fieldByName(QStringLiteral("RepeatValue")).setValue(0);
    m_alarm->fieldByName(QStringLiteral("RepeatValueName")).setValue(2);
    m_hourStart->setTime(QTime(0, 0, 0));
    m_alarm->fieldByName(QStringLiteral("RepeatHourStart")).setValue(QTime(0, 0, 0));
    m_hourEnd->setTime(QTime(23, 59, 59));
    m_alarm->fieldByName(QStringLiteral("RepeatHourEnd")).setValue(QTime(23, 59, 59));
    {
        const QSignalBlocker block(m_repeat);
        m_repeat->setChecked(false);
    }
    for (QCheckBox *box : std::as_const(m_days))
        box->setChecked(false);
    setExecuteShown(QString());
    m_kind->setEnabled(true);
    if (isVisible()) {
        m_kind->setFocus();
        m_kind->showPopup();
    }
}

void PlannerPanel::beforePost()
{
    if (m_userEdit) {
        // What the user set in the editor goes into the record.
        m_alarm->fieldByName(QStringLiteral("Tip")).setValue(qMax(0, m_kind->currentIndex()));
        m_alarm->fieldByName(QStringLiteral("Data")).setValue(m_date->date());
        m_alarm->fieldByName(QStringLiteral("Time")).setValue(m_time->time());
        m_alarm->fieldByName(QStringLiteral("RepeatHourStart")).setValue(m_hourStart->time());
        m_alarm->fieldByName(QStringLiteral("RepeatHourEnd")).setValue(m_hourEnd->time());
        m_alarm->fieldByName(QStringLiteral("RepeatValue")).setValue(qMax(0, m_number->currentIndex()));
        m_alarm->fieldByName(QStringLiteral("RepeatValueName")).setValue(qMax(0, m_unit->currentIndex()));
        m_alarm->fieldByName(QStringLiteral("Execute")).setValue(m_execute->text());
        m_alarm->fieldByName(QStringLiteral("Repeat")).setValue(m_repeat->isChecked());
        for (int i = 0; i < 7; ++i)
            m_alarm->fieldByName(dayKey(i)).setValue(m_days[i]->isChecked());
    }
    // Every post, whoever makes it, stores a generated text where the rules ask for one.
    PlannerEvent e = AlarmFields::read(*m_alarm);
    const QString before = e.execute;
    EventRules::applyStoringRules(e, texts(), *m_services.clock);
    if (e.execute != before)
        m_alarm->fieldByName(QStringLiteral("Execute")).setValue(e.execute);
    if (m_userEdit)
        setExecuteShown(e.execute);
}

void PlannerPanel::newEventWithText(const QString &text)
{
    if (m_showPanel) {
        m_showPanel();
    } else {
        show();
        m_grid->setFocus();
    }
    navigate(NavButton::Insert);
    if (m_alarm->state() != DataSet::State::Insert)
        return;
    const QString cut = text.left(EventRules::executeSize);
    m_alarm->fieldByName(QStringLiteral("Execute")).setValue(cut);
    setExecuteShown(cut);
    m_kind->hidePopup();
    m_execute->setFocus();
}
