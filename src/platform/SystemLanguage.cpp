#include "platform/SystemLanguage.h"

#include <QLocale>

#include <cstdlib>

namespace {

struct Split
{
    QString language;  // lower case, "ru"
    QString territory; // upper case, "RU", may be empty
};

Split split(const QString &posixLocale)
{
    QString name = posixLocale.trimmed();
    const qsizetype modifier = name.indexOf(QLatin1Char('@'));
    if (modifier >= 0)
        name.truncate(modifier);
    const qsizetype codeset = name.indexOf(QLatin1Char('.'));
    if (codeset >= 0)
        name.truncate(codeset);
    if (name.isEmpty() || name == QLatin1String("C") || name == QLatin1String("POSIX"))
        return {};
    const qsizetype underscore = name.indexOf(QLatin1Char('_'));
    if (underscore < 0)
        return {name.toLower(), {}};
    return {name.left(underscore).toLower(), name.mid(underscore + 1).toUpper()};
}

struct Entry
{
    const char *language;
    const char *territory; // "" matches any territory
    const char *code;
};

// Windows' abbreviated language names. Rows with a territory come before the language's catch-all row.
constexpr Entry kCodes[] = {
    {"ru", "", "RUS"},   {"en", "GB", "ENG"}, {"en", "AU", "ENA"}, {"en", "CA", "ENC"}, {"en", "NZ", "ENZ"},
    {"en", "IE", "ENI"}, {"en", "ZA", "ENS"}, {"en", "", "ENU"},   {"de", "AT", "DEA"}, {"de", "CH", "DES"},
    {"de", "LU", "DEL"}, {"de", "", "DEU"},   {"fr", "BE", "FRB"}, {"fr", "CA", "FRC"}, {"fr", "CH", "FRS"},
    {"fr", "LU", "FRL"}, {"fr", "", "FRA"},   {"it", "CH", "ITS"}, {"it", "", "ITA"},   {"uk", "", "UKR"},
    {"bg", "", "BGR"},   {"be", "", "BEL"},   {"kk", "", "KKZ"},   {"pl", "", "PLK"},   {"cs", "", "CSY"},
    {"sk", "", "SKY"},   {"sl", "", "SLV"},   {"hr", "", "HRV"},   {"hu", "", "HUN"},   {"ro", "", "ROM"},
    {"el", "", "ELL"},   {"tr", "", "TRK"},   {"nl", "BE", "NLB"}, {"nl", "", "NLD"},   {"sv", "", "SVE"},
    {"da", "", "DAN"},   {"fi", "", "FIN"},   {"nb", "", "NOR"},   {"no", "", "NOR"},   {"nn", "", "NON"},
    {"lt", "", "LTH"},   {"lv", "", "LVI"},   {"et", "", "ETI"},   {"es", "MX", "ESM"}, {"es", "", "ESN"},
    {"pt", "BR", "PTB"}, {"pt", "", "PTG"},   {"zh", "TW", "CHT"}, {"zh", "HK", "ZHH"}, {"zh", "", "CHS"},
    {"ja", "", "JPN"},   {"ko", "", "KOR"},   {"he", "", "HEB"},   {"ar", "", "ARA"},
};

} // namespace

QString SystemLanguage::localeName()
{
    for (const char *variable : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char *value = std::getenv(variable);
        if (value && *value)
            return QString::fromLocal8Bit(value);
    }
    return {};
}

QString SystemLanguage::threeLetterCode()
{
    return threeLetterCode(localeName());
}

QString SystemLanguage::englishName()
{
    return englishName(localeName());
}

QString SystemLanguage::threeLetterCode(const QString &posixLocale)
{
    const Split parts = split(posixLocale);
    if (parts.language.isEmpty())
        return {};
    for (const Entry &e : kCodes) {
        if (parts.language == QLatin1String(e.language)
            && (*e.territory == '\0' || parts.territory == QLatin1String(e.territory)))
            return QString::fromLatin1(e.code);
    }
    if (parts.language.size() < 2)
        return {};
    const QChar third = parts.territory.isEmpty() ? parts.language.at(1) : parts.territory.at(0);
    return (parts.language.left(2) + third).toUpper();
}

QString SystemLanguage::englishName(const QString &posixLocale)
{
    const Split parts = split(posixLocale);
    if (parts.language.isEmpty())
        return {};
    const QLocale::Language language = QLocale::codeToLanguage(parts.language);
    if (language == QLocale::AnyLanguage || language == QLocale::C)
        return {};
    return QLocale::languageToString(language);
}
