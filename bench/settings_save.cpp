// Times the saves that touch the settings and language files: a first save into empty files, a save that
// changes nothing, and a save after one caption changed. Prints milliseconds (median of the runs).
#include "app/Settings.h"
#include "files/IniFile.h"
#include "i18n/LanguageFiles.h"
#include "i18n/LanguageTexts.h"
#include "platform/SystemClock.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <functional>

namespace {

double medianMs(int runs, const std::function<void()> &prepare, const std::function<void()> &work)
{
    QList<double> times;
    for (int i = 0; i < runs; ++i) {
        prepare();
        QElapsedTimer t;
        t.start();
        work();
        times << t.nsecsElapsed() / 1e6;
    }
    std::sort(times.begin(), times.end());
    return times.at(times.size() / 2);
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // Where to measure: the first argument, else a temporary folder (the disk the program folder is on
    // matters, since every replaced file is synced before the rename).
    QTemporaryDir temp(argc > 1 ? QString::fromLocal8Bit(argv[1]) + QStringLiteral("/bench-XXXXXX")
                                : QDir::tempPath() + QStringLiteral("/bench-XXXXXX"));
    const QString appDir = temp.path() + QLatin1Char('/');
    SystemClock clock;
    const int runs = 15;
    QTextStream out(stdout);

    auto removeFiles = [&] {
        QFile::remove(appDir + QStringLiteral("veltrane.ini"));
        QFile::remove(appDir + QStringLiteral("RUS.ini"));
    };
    auto saveSettings = [&] {
        IniFile file(appDir + QStringLiteral("veltrane.ini"), &clock);
        Settings().write(file);
        LanguageTexts texts(LanguageTexts::Section::Form1);
        LanguageFiles::saveLanguage(appDir, QStringLiteral("RUS"), texts, nullptr);
    };
    out << "SaveSettings into empty files (11 + 89 keys): " << medianMs(runs, removeFiles, saveSettings) << " ms\n";
    out << "SaveSettings with nothing changed: "
        << medianMs(
               runs, [] {}, saveSettings)
        << " ms\n";

    LanguageTexts changed(LanguageTexts::Section::Form1);
    int n = 0;
    auto changeOne = [&] {
        changed.setText(QStringLiteral("Label12"), QStringLiteral("caption %1").arg(++n));
    };
    auto saveLanguage = [&] {
        LanguageFiles::saveLanguage(appDir, QStringLiteral("RUS"), changed, nullptr);
    };
    out << "Language half with one caption changed: " << medianMs(runs, changeOne, saveLanguage) << " ms\n";

    LanguageTexts loaded(LanguageTexts::Section::Form1);
    out << "LoadLanguage of a full file: "
        << medianMs(
               runs, [] {},
               [&] {
                   LanguageFiles::loadLanguage(appDir, QStringLiteral("RUS"), loaded, nullptr);
               })
        << " ms\n";
    return 0;
}
