#include "app/StartupTrace.h"

#include <QByteArray>
#include <QString>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <unistd.h>

namespace {

// Milliseconds of the monotonic clock at which this process was started, from /proc/self/stat (field 22, in
// clock ticks since boot; the monotonic clock counts from boot too, apart from suspended time).
double processStartMs()
{
    std::FILE *f = std::fopen("/proc/self/stat", "r");
    if (!f)
        return 0;
    char buf[1024];
    const size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    buf[n] = '\0';
    const char *p = std::strrchr(buf, ')');
    if (!p)
        return 0;
    unsigned long long start = 0;
    // After the command name: state is field 3; start time is field 22.
    if (std::sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d %*d %*d %*d %*d %*d %llu", &start)
        != 1)
        return 0;
    return double(start) * 1000.0 / double(sysconf(_SC_CLK_TCK));
}

double nowMs()
{
    timespec ts{};
    clock_gettime(CLOCK_BOOTTIME, &ts);
    return double(ts.tv_sec) * 1000.0 + double(ts.tv_nsec) / 1e6;
}

} // namespace

bool StartupTrace::enabled()
{
    static const bool on = qEnvironmentVariableIsSet("VELTRANE_STARTUP_TRACE");
    return on;
}

void StartupTrace::mark(const QString &what)
{
    if (!enabled())
        return;
    static const double start = processStartMs();
    // QByteArray::number always writes a point, whatever the locale the application has set.
    const QByteArray ms = QByteArray::number(nowMs() - start, 'f', 1).rightJustified(7);
    std::fprintf(stderr, "veltrane start: %s ms %s\n", ms.constData(), qPrintable(what));
    std::fflush(stderr);
}
