// Marks on the way to the first paint, for finding what the start spends its time on. Silent unless the
// variable VELTRANE_STARTUP_TRACE is set; then each mark prints the milliseconds since the process began.
#pragma once

class QString;

namespace StartupTrace {
/// Whether marks are printed (read once).
bool enabled();
/// Prints "veltrane start: <ms since the process began> <what>" to the standard error when enabled.
void mark(const QString &what);
} // namespace StartupTrace
