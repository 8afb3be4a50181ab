#include "planner/ReminderWindow.h"

#include "planner/AlarmTimer.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>
#include <QToolBar>
#include <QToolButton>

namespace {

QPixmap clockPicture(const QSize &size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QSvgRenderer renderer(QStringLiteral(":/wallclock.svg"));
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

} // namespace

ReminderWindow::ReminderWindow(AlarmTimer *scheduler, QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint | Qt::WindowTitleHint
                          | Qt::MSWindowsFixedSizeDialogHint),
      m_scheduler(scheduler)
{
    setObjectName(QStringLiteral("AlarmForm"));
    // The title bar's close only hides the window; it must not end the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(396, 116);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    auto *image = new QLabel(this);
    image->setObjectName(QStringLiteral("Image1"));
    image->setGeometry(12, 12, 62, 60);
    image->setPixmap(clockPicture(QSize(62, 60)));

    m_idLabel = new QLabel(QStringLiteral("0"), this);
    m_idLabel->setObjectName(QStringLiteral("Label1"));
    m_idLabel->hide();

    m_message = new QLabel(this);
    m_message->setObjectName(QStringLiteral("Label2"));
    m_message->setGeometry(80, 12, 309, 65);
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setWordWrap(true);
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(13);
    font.setBold(true);
    m_message->setFont(font);
    QPalette navy = m_message->palette();
    navy.setColor(QPalette::WindowText, QColor(0, 0, 128));
    m_message->setPalette(navy);

    auto *toolBar = new QToolBar(this);
    toolBar->setObjectName(QStringLiteral("ToolBar1"));
    toolBar->setGeometry(77, 84, 313, 29);
    toolBar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    toolBar->setMovable(false);
    // Text buttons 144 wide, one with its menu arrow, hold their captions only in a small font.
    QFont small = toolBar->font();
    small.setPixelSize(10);
    toolBar->setFont(small);

    m_menu = new QMenu(this);
    m_menu->setObjectName(QStringLiteral("PopupMenu1"));
    struct Entry
    {
        const char *name;
        const char *caption;
        int amount;
        const char *unit;
    };
    static const Entry entries[] = {
        {"N51", "Напомнить через 5 минут", 5, "min"},    {"N151", "Напомнить через 15 минут", 15, "min"},
        {"N301", "Напомнить через 30 минут", 30, "min"}, {"N11", "Напомнить через 1 час", 1, "hour"},
        {"N21", "Напомнить через 2 часа", 2, "hour"},    {"N31", "Напомнить через 3 часа", 3, "hour"},
        {"N61", "Напомнить через 6 часов", 6, "hour"},   {"N1", "Напомнить завтра", 1, "day"},
        {"N2", "Напомнить через неделю", 7, "day"},      {"N3", "Напомнить через месяц", 1, "month"},
    };
    for (const Entry &entry : entries) {
        QAction *action = m_menu->addAction(QString::fromUtf8(entry.caption));
        action->setObjectName(QLatin1String(entry.name));
        const int amount = entry.amount;
        const QString unit = QLatin1String(entry.unit);
        connect(action, &QAction::triggered, this, [this, amount, unit] {
            snooze(amount, unit);
        });
    }

    m_snoozeButton = new QToolButton(toolBar);
    m_snoozeButton->setObjectName(QStringLiteral("ToolButton1"));
    m_snoozeButton->setText(QStringLiteral("Напомнить через 15 минут"));
    m_snoozeButton->setFixedSize(144, 21);
    m_snoozeButton->setMenu(m_menu);
    m_snoozeButton->setPopupMode(QToolButton::MenuButtonPopup);
    {
        // Its menu arrow leaves the caption less room than the plain button has.
        QFont narrow = small;
        narrow.setPixelSize(9);
        narrow.setStretch(QFont::SemiCondensed);
        m_snoozeButton->setFont(narrow);
    }
    m_snoozeButton->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_snoozeButton, &QToolButton::clicked, this, [this] {
        snooze(15, QStringLiteral("min"));
    });
    connect(m_snoozeButton, &QWidget::customContextMenuRequested, this, [this](const QPoint &pos) {
        m_menu->popup(m_snoozeButton->mapToGlobal(pos));
    });
    toolBar->addWidget(m_snoozeButton);
    toolBar->addSeparator();

    m_closeButton = new QToolButton(toolBar);
    m_closeButton->setObjectName(QStringLiteral("ToolButton2"));
    m_closeButton->setText(QStringLiteral("Закрыть"));
    m_closeButton->setFixedSize(144, 21);
    connect(m_closeButton, &QToolButton::clicked, this, &ReminderWindow::closeAction);
    toolBar->addWidget(m_closeButton);
}

int ReminderWindow::reminderEventId() const
{
    return m_idLabel->text().toInt();
}

void ReminderWindow::setReminderEventId(int id)
{
    m_idLabel->setText(QString::number(id));
}

void ReminderWindow::setReminderTexts(const QString &caption, const QString &message)
{
    setWindowTitle(caption);
    m_message->setText(message);
}

void ReminderWindow::showReminder()
{
    show();
    raise();
}

void ReminderWindow::showEvent(QShowEvent *event)
{
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    QWidget::showEvent(event);
}

namespace {
// The window closes even when the store refuses the change; the failure still reaches the user.
struct HideOnExit
{
    QWidget *w;
    ~HideOnExit() { w->hide(); }
};
} // namespace

void ReminderWindow::snooze(int amount, const QString &unit)
{
    const HideOnExit hideOnExit{this};
    if (m_scheduler)
        m_scheduler->shiftEvent(reminderEventId(), amount, unit);
}

void ReminderWindow::closeAction()
{
    const HideOnExit hideOnExit{this};
    if (m_scheduler)
        m_scheduler->closeReminder(reminderEventId());
}
