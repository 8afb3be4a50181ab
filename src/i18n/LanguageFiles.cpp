#include "i18n/LanguageFiles.h"

#include "files/IniFile.h"
#include "files/SafeFile.h"
#include "i18n/CaptionBinder.h"
#include "i18n/LanguageTexts.h"
#include "platform/Failure.h"

bool LanguageFiles::isPlainCode(const QString &code)
{
    if (code.size() > maxCodeLength)
        return false;
    for (const QChar c : code) {
        const char16_t u = c.unicode();
        if (!((u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9')))
            return false;
    }
    return true;
}

QString LanguageFiles::path(const QString &appDir, const QString &code)
{
    if (!isPlainCode(code))
        throw Failure(QStringLiteral("\"%1\" is not a language code").arg(code));
    return appDir + code + QStringLiteral(".ini");
}

void LanguageFiles::loadLanguage(const QString &appDir, const QString &code, LanguageTexts &form1, QObject *root)
{
    const QString file = path(appDir, code);
    if (!SafeFile::exists(file)) {
        // An empty file now, so a translator finds it; the first save fills it. A folder that refuses it
        // costs nothing here: the texts keep their defaults and the save reports the folder. (A dangling
        // link counts as something there: it is never followed out of the folder.)
        try {
            SafeFile::createNew(file, QByteArray());
        } catch (const Failure &) {}
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
