#include "app/PopupMenuWidget.h"

#include <QActionGroup>
#include <QApplication>

#include <functional>

namespace {

struct LeadItem
{
    const char *name;
    const char *caption;
    int minutes;
};

// The news lead items in menu order; N45 (a separator) sits after the first one.
const LeadItem kLeadItems[] = {
    {"N43", "Не предупреждать о событии", -1}, {"N41", "Предупреждать за 1 час", 60},
    {"N301", "Предупреждать за 30 минут", 30}, {"N151", "Предупреждать за 15 минут", 15},
    {"N51", "Предупреждать за 5 минут", 5},    {"N310", "Предупреждать за 3 минуты", 3},
    {"N42", "Сообщать о выходе новости", 0},
};

struct LanguageItem
{
    const char *code;
    const char *caption;
    const char *voice;
};

const LanguageItem kLanguages[] = {
    {"RUS", "Russian", "ru"},   {"ENG", "English", "en"},   {"FRE", "French", "fr"},  {"DEU", "German", "de"},
    {"UKR", "Ukrainian", "uk"}, {"BUL", "Bulgarian", "bg"}, {"ITA", "Italian", "it"},
};

} // namespace

PopupMenuWidget::PopupMenuWidget(QWidget *parent) : QMenu(parent)
{
    setObjectName(QStringLiteral("PopupMenu1"));
    // Separators next to hidden commands must never show doubled, first or last.
    setSeparatorsCollapsible(true);
    build();
    applyView(m_view);
    setWindowShown(true);
    connect(this, &QMenu::aboutToShow, this, &PopupMenuWidget::onAboutToShow);
}

QAction *PopupMenuWidget::addItem(QMenu *menu, const char *name, const QString &caption, const QKeySequence &keys)
{
    QAction *a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    if (!keys.isEmpty())
        a->setShortcut(keys);
    return a;
}

QMenu *PopupMenuWidget::addSubmenu(QMenu *menu, const char *name, const QString &caption)
{
    QMenu *sub = menu->addMenu(caption);
    sub->setObjectName(QString::fromLatin1(name));
    sub->setSeparatorsCollapsible(true);
    // The language binder sets captions through the action, which carries the component name.
    sub->menuAction()->setObjectName(QString::fromLatin1(name));
    return sub;
}

QAction *PopupMenuWidget::addSeparatorItem(QMenu *menu, const char *name)
{
    QAction *a = menu->addSeparator();
    if (name)
        a->setObjectName(QString::fromLatin1(name));
    return a;
}

QAction *PopupMenuWidget::addOption(QMenu *menu, const char *name, const QString &caption)
{
    // Auto-checking: a click toggles the mark and nothing else; the settings store the mark.
    QAction *a = addItem(menu, name, caption);
    a->setCheckable(true);
    return a;
}

void PopupMenuWidget::build()
{
    addItem(this, "N1", QStringLiteral("Выход"), QKeySequence(Qt::Key_F10));

    QMenu *help = addSubmenu(this, "N19", QStringLiteral("Онлайн - помощь"));
    QMenu *consultant = addSubmenu(help, "N17", QStringLiteral("Онлайн - консультант"));
    addItem(consultant, "AdmiralMarkets2", QStringLiteral("Admiral Markets"));
    addItem(consultant, "Alpari2", QStringLiteral("Alpari"));
    addItem(consultant, "InstaForex3", QStringLiteral("InstaForex"));
    addItem(consultant, "ForexCent2", QStringLiteral("ForexCent"));
    addItem(consultant, "MaxiForex2", QStringLiteral("MaxiForex"));
    addItem(consultant, "RoboForex2", QStringLiteral("RoboForex"));
    addItem(consultant, "ZuluTrade2", QStringLiteral("ZuluTrade"));
    addItem(consultant, "Forexmmcis1", QStringLiteral("Forex-mmcis"));
    QMenu *video = addSubmenu(help, "N18", QStringLiteral("Обучающее видео"));
    addItem(video, "InstaForex4", QStringLiteral("InstaForex"));
    addItem(video, "MaxiForex1", QStringLiteral("MaxiForex"));
    addItem(video, "eleTRADETV2", QStringLiteral("TeleTRADETV"));
    addItem(help, "N11", QStringLiteral("Экономический календарь"));
    QMenu *site = addSubmenu(help, "N20", QStringLiteral("Сайт программы"));
    // Captioned with the maker's site addresses; whoever wires the links may set the real ones.
    addItem(site, "Veltraneru1", QStringLiteral("Veltrane.ru"));
    addItem(site, "Veltranenet1", QStringLiteral("Veltrane.net"));
    addItem(site, "veltraneru2", QStringLiteral("veltrane.ru"));

    QMenu *account = addSubmenu(this, "N16", QStringLiteral("Открыть новый счет"));
    addItem(account, "AdmiralMarkets1", QStringLiteral("Admiral Markets"));
    addItem(account, "Alpari1", QStringLiteral("Alpari"));
    addItem(account, "FBS1", QStringLiteral("FBS"));
    addItem(account, "ForexCent1", QStringLiteral("ForexCent"));
    addItem(account, "InstaForex2", QStringLiteral("InstaForex"));
    addItem(account, "MexiForex1", QStringLiteral("MaxiForex"));
    addItem(account, "RoboForex1", QStringLiteral("RoboForex"));
    addItem(account, "ZuluTrade1", QStringLiteral("ZuluTrade"));
    addItem(account, "FOREXMMCISgroup1", QStringLiteral("FOREX MMCIS group"));

    addSeparatorItem(this);

    QMenu *setup = addSubmenu(this, "N35", QStringLiteral("Настройка программы"));
    addItem(setup, "N15", QStringLiteral("О программе..."));
    QMenu *backup = addSubmenu(setup, "N30", QStringLiteral("Резервная копия данных"));
    addItem(backup, "N31", QStringLiteral("Сохранить базу данных"));
    addItem(backup, "N32", QStringLiteral("Востановить базу данных"));
    QMenu *languages = addSubmenu(setup, "N21", QStringLiteral("Выбрать язык программы"));
    m_languages = new QActionGroup(this);
    m_languages->setExclusive(true);
    for (const LanguageItem &l : kLanguages) {
        QAction *a = addItem(languages, l.code, QString::fromLatin1(l.caption));
        a->setCheckable(true);
        m_languages->addAction(a);
        const QString code = QString::fromLatin1(l.code);
        connect(a, &QAction::triggered, this, [this, code] {
            emit languageChosen(code);
        });
    }
    QMenu *news = addSubmenu(setup, "N40", QStringLiteral("Экономический календарь"));
    m_newsLead = new QActionGroup(this);
    m_newsLead->setExclusive(true);
    for (const LeadItem &l : kLeadItems) {
        QAction *a = addItem(news, l.name, QString::fromUtf8(l.caption));
        a->setCheckable(true);
        m_newsLead->addAction(a);
        const int minutes = l.minutes;
        connect(a, &QAction::triggered, this, [this, minutes] {
            emit newsLeadChosen(minutes);
        });
        if (l.minutes == -1)
            addSeparatorItem(news, "N45");
    }
    addOption(setup, "N7", QStringLiteral("Фиксировать положение"));
    addOption(setup, "N8", QStringLiteral("Запускать при старте"));
    addOption(setup, "N5", QStringLiteral("Делать прозрачным"));
    addOption(setup, "N9", QStringLiteral("Только активные рынки"));
    addOption(setup, "N36", QStringLiteral("Голосовое оповещение"));

    QMenu *utilities = addSubmenu(this, "N23", QStringLiteral("Системные утилиты"));
    addItem(utilities, "N25", QStringLiteral("Калькулятор"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C));
    addItem(utilities, "N26", QStringLiteral("Блокнот"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_N));
    addItem(utilities, "N28", QStringLiteral("Ножницы"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_S));
    addItem(utilities, "N27", QStringLiteral("Экранная лупа"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_M));
    // These combinations are global hot keys grabbed elsewhere; here they are only shown, so the menu must
    // not answer them a second time while it is open.
    for (QAction *a : utilities->actions())
        a->setShortcutContext(Qt::WidgetShortcut);

    addSeparatorItem(this);

    QAction *cut = addItem(this, "Cut1", QStringLiteral("Вырезать"), QKeySequence(Qt::CTRL | Qt::Key_X));
    QAction *copy = addItem(this, "Copy1", QStringLiteral("Копировать"), QKeySequence(Qt::CTRL | Qt::Key_C));
    QAction *paste = addItem(this, "Paste1", QStringLiteral("Вставить"), QKeySequence(Qt::CTRL | Qt::Key_V));
    connect(cut, &QAction::triggered, this, [this] {
        runEditCommand("cut");
    });
    connect(copy, &QAction::triggered, this, [this] {
        runEditCommand("copy");
    });
    connect(paste, &QAction::triggered, this, [this] {
        runEditCommand("paste");
    });

    addSeparatorItem(this);

    // Format actions of the notes: each shows a check mark while the selection carries its style.
    addItem(this, "Bold1", QStringLiteral("&Bold"), QKeySequence(Qt::CTRL | Qt::Key_B))->setCheckable(true);
    addItem(this, "Italic1", QStringLiteral("&Italic"), QKeySequence(Qt::CTRL | Qt::Key_I))->setCheckable(true);
    addItem(this, "Underline1", QStringLiteral("&Underline"), QKeySequence(Qt::CTRL | Qt::Key_U))->setCheckable(true);
    addItem(this, "Strikeout1", QStringLiteral("&Strikeout"))->setCheckable(true);
    addItem(this, "Bullets1", QStringLiteral("&Bullets"))->setCheckable(true);
    // The edit and format shortcuts belong to the focused editor; shown here, answered there.
    for (const QString &n : MenuState::editItems() + MenuState::formatItems())
        item(n)->setShortcutContext(Qt::WidgetShortcut);

    addSeparatorItem(this, "N44");

    addItem(this, "N38", QStringLiteral("Напомнить"));
    addItem(this, "IP1", QStringLiteral("Позвонить по IP телефону"));
    addItem(this, "N34", QStringLiteral("Открыть в редакторе"));
    addItem(this, "N29", QStringLiteral("Вставить дату, время"));

    addSeparatorItem(this, "N6");

    QMenu *forecast = addSubmenu(this, "Forex1", QStringLiteral("Прогноз и аналитика"));
    addItem(forecast, "InstaForex1", QStringLiteral("InstaForex"));
    addItem(forecast, "N14", QStringLiteral("MaxiForex"));
    addItem(forecast, "N10", QStringLiteral("MMCIS"));
    addItem(this, "N13", QStringLiteral("Форекс прогноз на сегодня"));

    addSeparatorItem(this);

    addItem(this, "N2", QStringLiteral("Свернуть"));
    QAction *restore = addItem(this, "N3", QStringLiteral("Развернуть"));
    setDefaultAction(restore);
    addItem(this, "N37", QStringLiteral("Select &Font..."));
}

QAction *PopupMenuWidget::item(const QString &name) const
{
    if (name.isEmpty())
        return nullptr;
    return findChild<QAction *>(name);
}

QMenu *PopupMenuWidget::submenu(const QString &name) const
{
    if (name.isEmpty())
        return nullptr;
    return findChild<QMenu *>(name);
}

QStringList PopupMenuWidget::itemNames() const
{
    QStringList names;
    std::function<void(const QMenu *)> walk = [&](const QMenu *menu) {
        for (const QAction *a : menu->actions()) {
            if (!a->objectName().isEmpty())
                names << a->objectName();
            if (a->menu())
                walk(a->menu());
        }
    };
    walk(this);
    return names;
}

void PopupMenuWidget::setCurrentView(View view)
{
    m_view = view;
}

void PopupMenuWidget::setVisibleItems(const QStringList &names, bool visible)
{
    for (const QString &n : names)
        item(n)->setVisible(visible);
}

void PopupMenuWidget::applyView(View view)
{
    const MenuVisibility v = MenuState::forView(view);
    setVisibleItems(MenuState::editItems(), v.edit);
    setVisibleItems(MenuState::formatItems(), v.format);
    item(QStringLiteral("N38"))->setVisible(v.remind);
    item(QStringLiteral("IP1"))->setVisible(v.ipPhone);
    setVisibleItems(MenuState::noteCommandItems(), v.noteCommands);
    item(QStringLiteral("N44"))->setVisible(v.separators);
    item(QStringLiteral("N6"))->setVisible(v.separators);
}

void PopupMenuWidget::onAboutToShow()
{
    // Taken before the popup moves the focus, so the edit commands reach the control the user was in.
    QWidget *focus = QApplication::focusWidget();
    m_editTarget = (focus && !focus->inherits("QMenu")) ? focus : nullptr;
    applyView(m_view);
}

void PopupMenuWidget::runEditCommand(const char *slot)
{
    // Line edits and text editors alike offer cut(), copy() and paste(); other controls ignore the command.
    if (m_editTarget)
        QMetaObject::invokeMethod(m_editTarget.data(), slot);
}

void PopupMenuWidget::setWindowShown(bool shown)
{
    m_windowShown = shown;
    item(QStringLiteral("N2"))->setEnabled(shown);
    item(QStringLiteral("N3"))->setEnabled(!shown);
}

void PopupMenuWidget::setLanguageCode(const QString &code)
{
    for (QAction *a : m_languages->actions())
        a->setChecked(a->objectName() == code);
}

void PopupMenuWidget::setNewsLeadMinutes(int minutes)
{
    for (QAction *a : m_newsLead->actions())
        a->setChecked(newsLeadOf(a->objectName()) == minutes);
}

int PopupMenuWidget::newsLeadOf(const QString &itemName, bool *ok)
{
    for (const LeadItem &l : kLeadItems) {
        if (itemName == QLatin1String(l.name)) {
            if (ok)
                *ok = true;
            return l.minutes;
        }
    }
    if (ok)
        *ok = false;
    return 0;
}

QString PopupMenuWidget::voiceLangOf(const QString &code)
{
    for (const LanguageItem &l : kLanguages) {
        if (code == QLatin1String(l.code))
            return QString::fromLatin1(l.voice);
    }
    return {};
}

void PopupMenuWidget::attachTo(QWidget *window)
{
    window->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(window, &QWidget::customContextMenuRequested, this, [this, window](const QPoint &pos) {
        popup(window->mapToGlobal(pos));
    });
    QAction *exit = item(QStringLiteral("N1"));
    exit->setShortcutContext(Qt::WindowShortcut);
    window->addAction(exit);
}

void PopupMenuWidget::shareWith(QWidget *control)
{
    // NoContextMenu hands the request to the parent, up to the window that shows this menu.
    control->setContextMenuPolicy(Qt::NoContextMenu);
}
