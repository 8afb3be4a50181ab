#include "i18n/LanguageSwitch.h"

#include "i18n/LanguageFiles.h"
#include "i18n/LanguageTexts.h"
#include "platform/Shell.h"

LanguageSwitch::LanguageSwitch(Parts parts) : m_parts(std::move(parts)) {}

QString LanguageSwitch::programPath() const
{
    return m_parts.appDir + QStringLiteral("Veltrane");
}

void LanguageSwitch::switchTo(const QString &code)
{
    if (m_parts.about)
        LanguageFiles::saveAbout(m_parts.appDir, *m_parts.langCode, *m_parts.about, m_parts.aboutWindow);
    *m_parts.langCode = code;
    if (m_parts.form1)
        LanguageFiles::loadLanguage(m_parts.appDir, code, *m_parts.form1, m_parts.form1Root);
    if (m_parts.languageLoaded)
        m_parts.languageLoaded(code);
    if (m_parts.saveSettings)
        m_parts.saveSettings(code);
    // The new copy reads the settings and the new language at its own start; whether it could be started
    // does not change what this copy does next.
    if (m_parts.shell)
        m_parts.shell->startProgram(programPath());
    if (m_parts.quit)
        m_parts.quit();
}
