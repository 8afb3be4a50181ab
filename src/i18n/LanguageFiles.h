// Loading and saving the language file of a language code: section Form1 for the main window, AboutBox for About.
#pragma once

#include <QString>

class LanguageTexts;
class QObject;

class LanguageFiles
{
public:
    /// Whether code can name a language file: at most 32 ASCII letters and digits (empty is allowed: it is
    /// the default when the system names no language). Anything else (a slash, "..", a space) is refused.
    static bool isPlainCode(const QString &code);
    static constexpr int maxCodeLength = 32;

    /// appDir + code + ".ini" (appDir ends in '/'). Throws Failure for a code that is not plain, so no
    /// language file is ever read or written outside appDir.
    static QString path(const QString &appDir, const QString &code);

    /// `LoadLanguage`: creates the file empty when it does not exist, reads every key of section Form1 with its
    /// default, and puts the captions on the named objects under root (null root: texts only).
    static void loadLanguage(const QString &appDir, const QString &code, LanguageTexts &form1, QObject *root);
    /// The language half of `SaveSettings`: takes the current captions from the controls under root, then
    /// writes every key of section Form1 and the write-only keys. Throws Failure on a refused write.
    static void saveLanguage(const QString &appDir, const QString &code, LanguageTexts &form1, const QObject *root);

    /// `LoadLang` of the About window: reads section AboutBox (a missing file is not created) and puts the
    /// captions on the About window's objects.
    static void loadAbout(const QString &appDir, const QString &code, LanguageTexts &about, QObject *window);
    /// `SaveLang` of the About window: takes its current captions, then writes section AboutBox.
    static void saveAbout(const QString &appDir, const QString &code, LanguageTexts &about, const QObject *window);
};
