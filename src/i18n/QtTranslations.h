// Qt's own texts (a line edit's context menu, standard buttons) in the interface language.
#pragma once

#include <QString>

class QTranslator;

class QtTranslations
{
public:
    /// The two-letter language of an interface language code: the codes of the language menu ("RUS" -> "ru"),
    /// else, for the system's own code, the language of the environment's locale; empty when unknown.
    static QString languageOf(const QString &code);

    /// Installs the translations of Qt (qt_<language>.qm from Qt's translations folder, or `folder` when
    /// given) for the interface language `code`, in place of any installed before; with none for that
    /// language, Qt speaks English again. True when a translation is installed.
    static bool install(const QString &code, const QString &folder = {});

private:
    static QTranslator *s_installed;
};
