#include "i18n/LanguageFiles.h"

#include "files/IniFile.h"
#include "i18n/CaptionBinder.h"
#include "i18n/LanguageTexts.h"

#include <QFile>

QString LanguageFiles::path(const QString &appDir, const QString &code)
{
    return appDir + code + QStringLiteral(".ini");
}

void LanguageFiles::loadLanguage(const QString &appDir, const QString &code, LanguageTexts &form1, QObject *root)
{
    const QString file = path(appDir, code);
    if (!QFile::exists(file)) {
        // An empty file now, so a translator finds it; the first save fills it. A folder that refuses it
        // costs nothing here: the texts keep their defaults and the save reports the folder.
        QFile empty(file);
        if (empty.open(QIODevice::WriteOnly))
            empty.close();
    }
    form1.read(IniFile(file));
    CaptionBinder::apply(form1, root);
}

void LanguageFiles::saveLanguage(const QString &appDir, const QString &code, LanguageTexts &form1, const QObject *root)
{
    CaptionBinder::collect(form1, root);
    IniFile file(path(appDir, code));
    form1.write(file);
}

void LanguageFiles::loadAbout(const QString &appDir, const QString &code, LanguageTexts &about, QObject *window)
{
    about.read(IniFile(path(appDir, code)));
    CaptionBinder::apply(about, window);
}

void LanguageFiles::saveAbout(const QString &appDir, const QString &code, LanguageTexts &about, const QObject *window)
{
    CaptionBinder::collect(about, window);
    IniFile file(path(appDir, code));
    about.write(file);
}
