#include "app/Settings.h"

#include "app/ProgramValues.h"
#include "files/IniFile.h"
#include "i18n/LanguageFiles.h"
#include "platform/SystemLanguage.h"

namespace {
const QString kSection = QString::fromLatin1(Settings::section);
}

Settings::Settings() : language(SystemLanguage::threeLetterCode())
{
    if (!LanguageFiles::isPlainCode(language))
        language.clear();
}

void Settings::read(const IniFile &file)
{
    lastGreetingDate = file.readDate(kSection, QStringLiteral("dayTudey"), lastGreetingDate);
    left = file.readInteger(kSection, QStringLiteral("Left"), left);
    top = file.readInteger(kSection, QStringLiteral("Top"), top);
    n7 = file.readBool(kSection, QStringLiteral("N7"), n7);
    n36 = file.readBool(kSection, QStringLiteral("N36"), n36);
    n5 = file.readBool(kSection, QStringLiteral("N5"), n5);
    n8 = file.readBool(kSection, QStringLiteral("N8"), n8);
    n9 = file.readBool(kSection, QStringLiteral("N9"), n9);
    backupDir = file.readString(kSection, QStringLiteral("DirBackup"), backupDir);
    // The code names a file beside the program: one that is not a plain name ("../../x") is refused.
    const QString code = file.readString(kSection, QStringLiteral("language"), language);
    if (LanguageFiles::isPlainCode(code))
        language = code;
    else if (!LanguageFiles::isPlainCode(language))
        language.clear();
    newsLeadMinutes = file.readInteger(kSection, QStringLiteral("EcomomMesaage"), newsLeadMinutes);
}

void Settings::write(IniFile &file) const
{
    // One replacement of the file for the whole save, not one per key (each is a rewrite and a flush to disk).
    auto flag = [](bool on) {
        return on ? QStringLiteral("1") : QStringLiteral("0");
    };
    file.writeStrings(kSection, {{QStringLiteral("Left"), QString::number(left)},
                                 {QStringLiteral("Top"), QString::number(top)},
                                 {QStringLiteral("N5"), flag(n5)},
                                 {QStringLiteral("N7"), flag(n7)},
                                 {QStringLiteral("N8"), flag(n8)},
                                 {QStringLiteral("N9"), flag(n9)},
                                 {QStringLiteral("N36"), flag(n36)},
                                 {QStringLiteral("language"), language},
                                 {QStringLiteral("dayTudey"), file.dateText(lastGreetingDate)},
                                 {QStringLiteral("DirBackup"), backupDir},
                                 {QStringLiteral("EcomomMesaage"), QString::number(newsLeadMinutes)}});
}

void Settings::applyTo(ProgramValues &values) const
{
    values.langCode = language;
    values.lastGreetingDate = lastGreetingDate;
    values.backupDir = backupDir;
    values.newsLeadMinutes = newsLeadMinutes;
}

void Settings::takeFrom(const ProgramValues &values)
{
    language = values.langCode;
    lastGreetingDate = values.lastGreetingDate;
    backupDir = values.backupDir;
    newsLeadMinutes = values.newsLeadMinutes;
}
