#include "i18n/LanguageTexts.h"

#include "files/IniFile.h"

namespace {

using Key = LanguageTexts::Key;

Key held(const char *key, const char *text)
{
    return {QString::fromLatin1(key), QString::fromUtf8(text), QString(), false};
}

// A menu caption: key "m" + item name; the save writes the held text.
Key menu(const char *item, const char *text)
{
    const QString name = QString::fromLatin1(item);
    return {QStringLiteral("m") + name, QString::fromUtf8(text), name, false};
}

// A menu caption the save takes from the item as it is at that moment.
Key menuCaption(const char *item, const char *text)
{
    Key k = menu(item, text);
    k.savedFromCaption = true;
    return k;
}

// A control named like its key; the save writes its current caption.
Key caption(const char *name, const char *text)
{
    return {QString::fromLatin1(name), QString::fromUtf8(text), QString::fromLatin1(name), true};
}

// A control of the About window whose key differs from the control's name.
Key captionOf(const char *key, const char *object, const char *text)
{
    return {QString::fromLatin1(key), QString::fromUtf8(text), QString::fromLatin1(object), true};
}

const QList<Key> &form1Keys()
{
    static const QList<Key> keys = {
        // Centre names of the session board.
        held("Wellington", "Веллингтон"),
        held("Sydney", "Сидней"),
        held("Tokyo", "Токио"),
        held("Singapore", "Сингапур"),
        held("HongKong", "Гонконг"),
        held("Shanghai", "Шанхай"),
        held("Frankfurkt", "Франкфуркт"),
        held("Moscow", "Москва"),
        held("London", "Лондон"),
        held("Zurich", "Цюрих"),
        held("Paris", "Париж"),
        held("Riyadh", "Эр-Рияд"),
        held("NewYork", "Нью-Йорк"),
        held("Chicago", "Чикаго"),
        held("LosAngeles", "Лос-Анжелес"),
        held("Johannesburg", "Йоханнесбург"),
        // Messages spoken or shown by other parts.
        held("morning", "Доброе утро!"),
        held("Goodday", "Добрый день!"),
        held("evening", "Добрый вечер!"),
        held("night", "Доброй ночи!"),
        held("sob1", "Запланировано событие на"),
        held("sob2", "Запланировано периодическое событие c"), // the last letter is a Latin c
        held("RunAp1", "Запуск приложения"),
        held("RunAp2", "Производится запланированный запуск приложения"),
        held("Poff1", "Выключение компьютера"),
        held("Poff2", "Компьютер будет выключен"),
        held("Poff3", "Внимание! Компьютер будет выключен через одну минуту"),
        held("Poff4", "Внимание! Компьютер будет переведен в режим сна через одну минуту"),
        held("Poff5", "Внимание! Компьютер будет выключен через "),
        held("tud", "Сегодня "),
        // Menu captions.
        menu("N1", "Выход"),
        menu("N15", "О программе"),
        menu("N19", "Онлайн - помощь"),
        menu("N17", "Онлайн - консультант"),
        menu("N18", "Обучающее видео"),
        menu("N20", "Сайт программы"),
        menu("N16", "Открыть новый счет"),
        menu("N7", "Фиксировать положение"),
        menu("N9", "Только активные рынки"),
        menu("N8", "Запускать при старте"),
        menu("N5", "Делать прозрачным"),
        menu("Forex1", "Видео прогноз Forex"),
        menu("N11", "Экономический календарь"),
        menu("N13", "Форекс прогноз на сегодня"),
        menu("N2", "Свернуть"),
        menu("N3", "Развернуть"),
        menu("N21", "Выбрать язык программы"),
        menu("N23", "Системные утилиты"),
        menu("N29", "Вставить дату, время"),
        menu("N34", "Открыть в редакторе"),
        menu("N35", "Настройка программы"),
        menu("N36", "Голосовое оповещение"),
        menu("N38", "Напомнить"),
        menu("N25", "Калькулятор"),
        menu("N26", "Блокнот"),
        menu("N28", "Ножницы"),
        menu("N27", "Экранная лупа"),
        menuCaption("Cut1", "Вырезать"),
        menuCaption("Copy1", "Копировать"),
        menuCaption("Paste1", "Вставить"),
        menuCaption("IP1", "Позвонить по IP телефону"),
        // Event editor and phone book.
        caption("Day1", "Воскресенье"),
        caption("Day2", "Понедельник"),
        caption("Day3", "Вторник"),
        caption("Day4", "Среда"),
        caption("Day5", "Четверг"),
        caption("Day6", "Пятница"),
        caption("Day7", "Суббота"),
        caption("DBCheckBox8", "Повторять событие"),
        caption("Label12", "Текст напоминания"),
        caption("Label15", "Каждые"),
        caption("Label13", "Повторять с"),
        caption("Label14", "до"),
        caption("Label5", "Наименование"),
        caption("Label6", "Место работы"),
        caption("Label7", "Телефон 1"),
        caption("Label8", "Телефон 2"),
        caption("Label11", "Дополнительная информация"),
        // The event type and repeat unit lists; the planner fills its lists from these.
        held("Combobox2Items0", "Напоминание"),
        held("Combobox2Items1", "Запустить приложение"),
        held("Combobox2Items2", "Выключить компьютер"),
        held("Combobox2Items3", "Компьютер в спящий режим"),
        held("Combobox4Items0", "Минут"),
        held("Combobox4Items1", "Часов"),
        held("Combobox4Items2", "Дней"),
        held("Combobox4Items3", "Месяц"),
    };
    return keys;
}

const QList<Key> &aboutKeys()
{
    static const QList<Key> keys = {
        captionOf("LabeledEdit2", "LabeledEdit2Label", "Ваш email"),
        held("VersionCaption", "Версия"),
        caption("GroupBox1", "Сообщение автору"),
        captionOf("Button1Caption", "Button1", "Отправить сообщение автору"),
        captionOf("Button2Caption", "Button2", "Проверить обновление"),
        caption("OKButton", "Закрыть"),
        held("SendMSG1", "Сообщение успешно отправлено"),
        held("SendMSG2", "Сообщение отправлено"),
        held("SendMSG3", "На сайте есть обновленная версия программы"),
        held("SendMSG4", "Загрузить обновленную версию?"),
        held("SendMSG5", "Новая версия Veltrane"),
        held("SendMSG6", "У Вас самая последняя версия программы."),
        held("SendMSG7", "Обновление не требуется"),
        held("SendMSG8", "Ошибка!"),
        held("SendMSG9", "Введите Ваш адрес электронной почты."),
        held("SendMSG10", "Введите Ваш РЕАЛЬНЫЙ адрес электронной почты."),
        held("SendMSG11", "Вы не ввели текст сообщения."),
        captionOf("Caption", ".", "O программе"), // the first letter is a Latin O
    };
    return keys;
}

// Key lists written as one text, blank-separated.
QStringList words(const char *text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

const QStringList &form1WritingOrder()
{
    static const QStringList order
        = words("Wellington Sydney Tokyo Singapore HongKong Shanghai Frankfurkt Moscow London Zurich Paris "
                "Riyadh NewYork Chicago LosAngeles Johannesburg tud morning Goodday evening night sob1 sob2 "
                "Poff1 Poff2 Poff3 Poff4 Poff5 RunAp1 RunAp2 DBCheckBox8 Label12 Label13 Label14 Label15 Label5 "
                "Label6 Label7 Label8 Label11 mN1 mN15 mN19 mN17 mN18 mN20 mN16 mN7 mN9 mN8 mN5 mForex1 mN11 "
                "mN13 mN2 mN3 mN21 mN23 mN29 mN34 mN35 mN36 mN38 mCut1 mCopy1 mPaste1 mIP1 mN25 mN26 mN28 mN27 "
                "Day1 Day2 Day3 Day4 Day5 Day6 Day7 Combobox2Items0 Combobox2Items1 Combobox2Items2 "
                "Combobox2Items3 Combobox4Items0 Combobox4Items1 Combobox4Items2 Combobox4Items3");
    return order;
}

const QStringList &aboutWritingOrder()
{
    static const QStringList order
        = words("VersionCaption LabeledEdit2 GroupBox1 Button1Caption Button2Caption OKButton SendMSG1 SendMSG2 "
                "SendMSG3 SendMSG4 SendMSG5 SendMSG6 SendMSG7 SendMSG8 SendMSG9 SendMSG10 SendMSG11 Caption");
    return order;
}

} // namespace

LanguageTexts::LanguageTexts(Section section)
    : m_section(section), m_keys(section == Section::Form1 ? &form1Keys() : &aboutKeys())
{
    reset();
}

QString LanguageTexts::sectionName() const
{
    return m_section == Section::Form1 ? QStringLiteral("Form1") : QStringLiteral("AboutBox");
}

QStringList LanguageTexts::writingOrder() const
{
    return m_section == Section::Form1 ? form1WritingOrder() : aboutWritingOrder();
}

QList<QPair<QString, QString>> LanguageTexts::writeOnlyKeys()
{
    return {{QStringLiteral("mN22"), QStringLiteral("Русский")},
            {QStringLiteral("Englich"), QStringLiteral("Английский")},
            {QStringLiteral("Franais"), QStringLiteral("Французский")}};
}

QString LanguageTexts::text(const QString &key) const
{
    return m_texts.value(key);
}

void LanguageTexts::setText(const QString &key, const QString &value)
{
    if (m_texts.contains(key))
        m_texts.insert(key, value);
}

void LanguageTexts::reset()
{
    m_texts.clear();
    for (const Key &k : *m_keys)
        m_texts.insert(k.key, k.defaultText);
}

void LanguageTexts::read(const IniFile &file)
{
    // One reading of the file for the whole section (a language file holds some hundred keys).
    QList<QPair<QString, QString>> wanted;
    wanted.reserve(m_keys->size());
    for (const Key &k : *m_keys)
        wanted.append({k.key, k.defaultText});
    const QStringList values = file.readStrings(sectionName(), wanted);
    for (qsizetype i = 0; i < wanted.size(); ++i)
        m_texts.insert(wanted.at(i).first, values.at(i));
}

void LanguageTexts::write(IniFile &file) const
{
    // One replacement of the file for the whole section: a first save of some ninety keys would otherwise
    // sync and rename the file ninety times.
    QList<QPair<QString, QString>> values;
    for (const QString &key : writingOrder())
        values.append({key, m_texts.value(key)});
    if (m_section == Section::Form1)
        values += writeOnlyKeys();
    file.writeStrings(sectionName(), values);
}
