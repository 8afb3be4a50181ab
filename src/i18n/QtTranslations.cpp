#include "i18n/QtTranslations.h"

#include "platform/SystemLanguage.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>

QTranslator *QtTranslations::s_installed = nullptr;

namespace {

struct CodeLanguage
{
    const char *code;
    const char *language;
};

// The languages of the language menu.
const CodeLanguage kLanguages[] = {
    {"RUS", "ru"}, {"ENG", "en"}, {"FRE", "fr"}, {"DEU", "de"}, {"UKR", "uk"}, {"BUL", "bg"}, {"ITA", "it"},
};

} // namespace

QString QtTranslations::languageOf(const QString &code)
{
    for (const CodeLanguage &l : kLanguages) {
        if (code.compare(QLatin1String(l.code), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(l.language);
    }
    if (!code.isEmpty() && code.compare(SystemLanguage::threeLetterCode(), Qt::CaseInsensitive) == 0) {
        const QLocale locale(SystemLanguage::localeName().section(QLatin1Char('.'), 0, 0));
        if (locale.language() != QLocale::C)
            return locale.name().section(QLatin1Char('_'), 0, 0);
    }
    return {};
}

bool QtTranslations::install(const QString &code, const QString &folder)
{
    if (s_installed) {
        QCoreApplication::removeTranslator(s_installed);
        delete s_installed;
        s_installed = nullptr;
    }
    const QString language = languageOf(code);
    if (language.isEmpty())
        return false;
    auto translator = std::make_unique<QTranslator>();
    const QString dir = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    if (!translator->load(QStringLiteral("qt_") + language, dir))
        return false;
    if (!QCoreApplication::installTranslator(translator.get()))
        return false;
    s_installed = translator.release();
    return true;
}
