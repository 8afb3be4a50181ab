// Loading and saving the language file of a language code: section Form1 for the main window, AboutBox for About.
#pragma once

#include <QString>

class LanguageTexts;
class QObject;

class LanguageFiles
{
public:
    /// appDir + code + ".ini" (appDir ends in '/').
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
