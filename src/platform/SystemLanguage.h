// The system language as the program names it: a three-letter code ("RUS", "ENU", ...) and an English name.
#pragma once

#include <QString>

class SystemLanguage
{
public:
    /// The locale name of the environment: the first non-empty of LC_ALL, LC_MESSAGES, LANG.
    static QString localeName();
    /// The three-letter code of the environment's locale; "RUS" under LANG=ru_RU.UTF-8.
    static QString threeLetterCode();
    /// The English name of the environment's language ("Russian", "English"), empty for C/POSIX.
    static QString englishName();

    /// The three-letter code of a POSIX locale name such as "ru_RU.UTF-8", "en_GB" or "de_AT@euro".
    /// Codes follow the Windows abbreviations (en_US ENU, en_GB ENG, bg BGR, fr FRA); a language the table
    /// does not know gets its two-letter code followed by the territory's first letter (or the language's
    /// second letter again). Empty for an empty name, "C" and "POSIX": the system names no language then.
    static QString threeLetterCode(const QString &posixLocale);
    /// The English name of the language of a POSIX locale name, empty for C/POSIX or an unknown language.
    static QString englishName(const QString &posixLocale);
};
