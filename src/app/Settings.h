// The user settings of section [Form] of veltrane.ini: every value with its default, read and written in order.
#pragma once

#include <QDate>
#include <QString>

class IniFile;
struct ProgramValues;

struct Settings
{
    static constexpr const char *section = "Form";
    static constexpr const char *fileName = "veltrane.ini";

    /// Screen position of the main window's top-left corner ("Left", "Top"); applied unchanged.
    int left = 200;
    int top = 200;
    /// Check marks of the menu items of the same names.
    bool n7 = false; ///< "Фиксировать положение"
    bool n36 = true; ///< "Голосовое оповещение"
    bool n5 = true;  ///< "Делать прозрачным"
    bool n8 = false; ///< "Запускать при старте"
    bool n9 = true;  ///< "Только активные рынки"
    /// "language": `LangCode`; the system's three-letter code when the key is missing.
    QString language;
    /// "dayTudey": `LastGreetingDate`.
    QDate lastGreetingDate{2012, 1, 1};
    /// "DirBackup": `BackupDir`.
    QString backupDir;
    /// "EcomomMesaage": `NewsLeadMinutes` (-1 no warnings, 0 at the release, else minutes before it).
    int newsLeadMinutes = 15;

    /// The defaults, with the language taken from the system locale.
    Settings();

    /// Reads every key in the start-up order: dayTudey, Left, Top, N7, N36, N5, N8, N9, DirBackup, language,
    /// EcomomMesaage. A missing file, key or unreadable value gives that key's default (the values held
    /// by this object before the call). Nothing is reported.
    void read(const IniFile &file);
    /// Writes every key in the save order: Left, Top, N5, N7, N8, N9, N36, language, dayTudey, DirBackup,
    /// EcomomMesaage (the key order of a new file). Throws Failure on the first refused write; the keys after
    /// it are not written.
    void write(IniFile &file) const;

    /// Copies language, greeting date, backup folder and lead time into the program-wide values, and back.
    void applyTo(ProgramValues &values) const;
    void takeFrom(const ProgramValues &values);
};
