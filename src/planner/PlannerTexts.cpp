#include "planner/PlannerTexts.h"

#include <QHash>

QString PlannerTexts::defaultText(const QString &key)
{
    static const QHash<QString, QString> defaults = {
        {QStringLiteral("sob1"), QStringLiteral("Запланировано событие на")},
        {QStringLiteral("sob2"), QStringLiteral("Запланировано периодическое событие c")},
        {QStringLiteral("RunAp1"), QStringLiteral("Запуск приложения")},
        {QStringLiteral("RunAp2"), QStringLiteral("Производится запланированный запуск приложения")},
        {QStringLiteral("Poff1"), QStringLiteral("Выключение компьютера")},
        {QStringLiteral("Poff2"), QStringLiteral("Компьютер будет выключен")},
        {QStringLiteral("Poff3"), QStringLiteral("Внимание! Компьютер будет выключен через одну минуту")},
        {QStringLiteral("Poff4"), QStringLiteral("Внимание! Компьютер будет переведен в режим сна через одну минуту")},
        {QStringLiteral("Poff5"), QStringLiteral("Внимание! Компьютер будет выключен через ")},
        {QStringLiteral("Combobox2Items0"), QStringLiteral("Напоминание")},
        {QStringLiteral("Combobox2Items1"), QStringLiteral("Запустить приложение")},
        {QStringLiteral("Combobox2Items2"), QStringLiteral("Выключить компьютер")},
        {QStringLiteral("Combobox2Items3"), QStringLiteral("Компьютер в спящий режим")},
        {QStringLiteral("Combobox4Items0"), QStringLiteral("Минут")},
        {QStringLiteral("Combobox4Items1"), QStringLiteral("Часов")},
        {QStringLiteral("Combobox4Items2"), QStringLiteral("Дней")},
        {QStringLiteral("Combobox4Items3"), QStringLiteral("Месяц")},
        {QStringLiteral("Day1"), QStringLiteral("Воскресенье")},
        {QStringLiteral("Day2"), QStringLiteral("Понедельник")},
        {QStringLiteral("Day3"), QStringLiteral("Вторник")},
        {QStringLiteral("Day4"), QStringLiteral("Среда")},
        {QStringLiteral("Day5"), QStringLiteral("Четверг")},
        {QStringLiteral("Day6"), QStringLiteral("Пятница")},
        {QStringLiteral("Day7"), QStringLiteral("Суббота")},
        {QStringLiteral("DBCheckBox8"), QStringLiteral("Повторять событие")},
        {QStringLiteral("Label12"), QStringLiteral("Текст напоминания")},
        {QStringLiteral("Label13"), QStringLiteral("Повторять с")},
        {QStringLiteral("Label15"), QStringLiteral("Каждые")},
        {QStringLiteral("Label14"), QStringLiteral("до")},
    };
    return defaults.value(key);
}

QString PlannerTexts::text(const QString &key) const
{
    // A language file that lacks a key, or a lookup not wired yet, leaves the Russian default in place.
    if (m_lookup) {
        const QString value = m_lookup(key);
        if (!value.isEmpty())
            return value;
    }
    return defaultText(key);
}
