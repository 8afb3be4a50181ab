// The program-wide values set during start-up and read by every room.
#pragma once

#include <QDate>
#include <QString>

struct ProgramValues
{
    /// Folder of the executable, ending in '/'; every data file is appDir + name.
    QString appDir;
    /// Interface language code, names the language file ("RUS", "ENG", ... or the system's own code).
    QString langCode;
    /// Two-letter speech language of the checked language item, empty when none is checked.
    QString voiceLang;
    QDate lastGreetingDate{2012, 1, 1};
    QString backupDir;
    int newsLeadMinutes = 15;
    /// Local standard offset from UTC in whole hours, truncated toward zero, without daylight saving.
    int utcOffsetHours = 0;
    QString programVersion;
    QString versionLabelText;
    static constexpr int contentWidth = 480;
};
