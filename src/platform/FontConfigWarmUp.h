// Loads the system font configuration on a thread of its own while the application object is being made.
#pragma once

#include <thread>

/// For its life (made first thing in main, ended once the application object exists): fontconfig reads its
/// configuration files and font caches on a second thread. The first text the main window lays out would
/// otherwise wait for that load, some 6 ms of a start; the application object's connection to the display
/// takes longer than the load, so the two overlap. fontconfig keeps one configuration for the process and makes
/// it safely from any thread: Qt's font database, set up later on the main thread, finds it loaded.
/// The end waits for the thread, so nothing of it outlives the object.
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
