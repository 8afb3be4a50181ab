// Loads the system font configuration on a thread of its own while the application object is being made.
#pragma once

#include <thread>

/// For its life (made first thing in main, ended once the application object exists): fontconfig reads its
/// configuration files and font caches on a second thread. The first text the main window lays out would
/// otherwise wait for that load, some 6 ms of a start; the application object's connection to the display
/// takes longer than the load, so the two overlap. fontconfig keeps one configuration for the process and makes
/// it safely from any thread: Qt's font database, set up later on the main thread, finds it loaded.
/// The end waits for the thread, so nothing of it outlives the object.
/// The load reads environment variables (HOME, the XDG folders), and reading the environment is not safe while
/// another thread changes it. The object is made once the program's own variables are set; while the
/// application object is made, the only change known is the removal of the start-up notification's variable
/// (DESKTOP_STARTUP_ID, taken by Qt's X11 platform and by GTK), so with that variable set nothing is loaded
/// early and the start goes as without this.
class FontConfigWarmUp
{
public:
    FontConfigWarmUp();
    ~FontConfigWarmUp();
    FontConfigWarmUp(const FontConfigWarmUp &) = delete;
    FontConfigWarmUp &operator=(const FontConfigWarmUp &) = delete;

private:
    std::thread m_thread;
};
