// The switch of interface language: save the About texts, load the new language, save, restart, end.
#pragma once

#include <QString>

#include <functional>

class LanguageTexts;
class QObject;
class Shell;

class LanguageSwitch
{
public:
    struct Parts
    {
        /// Program folder, ending in '/'.
        QString appDir;
        /// `LangCode`, changed by the switch.
        QString *langCode = nullptr;
        Shell *shell = nullptr;
        /// Texts of the main window and the window whose named objects show them.
        LanguageTexts *form1 = nullptr;
        QObject *form1Root = nullptr;
        /// Texts of the About window and that window.
        LanguageTexts *about = nullptr;
        QObject *aboutWindow = nullptr;
        /// Optional: runs right after the new language is loaded (the planner refills its lists).
        std::function<void(const QString &code)> languageLoaded;
        /// `SaveSettings` for a code: the settings half, then the language half.
        std::function<void(const QString &code)> saveSettings;
        /// Ends the application through its normal shutdown.
        std::function<void()> quit;
    };

    explicit LanguageSwitch(Parts parts);

    /// `SwitchLanguage`: SaveLang for the current code (the About texts go into the file of the language
    /// being left), `LangCode` := code, LoadLanguage for it (creating its file when missing), SaveSettings
    /// for it, start appDir + "Veltrane" without checking the result, then quit. Choosing the language in use
    /// does all of it too. A Failure from a save ends the switch there and reaches the caller.
    void switchTo(const QString &code);

    /// The executable the switch starts.
    QString programPath() const;

private:
    Parts m_parts;
};
