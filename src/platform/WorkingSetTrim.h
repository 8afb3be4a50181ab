// The working-set trim of the ticks: the heap's free pages go back to the system, but not every second.
#pragma once

#include <cstdint>

/// Decides when the ticks' trim runs. An idle tick frees what it allocated and leaves the heap as the last trim
/// left it, so trimming every second only hands back a page or two that the next tick's allocations fault in
/// again: a system call and page faults each second for nothing. The trim runs at the first call and then at
/// most once per `IntervalMs`; whatever a burst of work freed is given back within that time. (Freeing a large
/// block gives it back at once anyway: glibc maps those separately.)
class WorkingSetTrim
{
public:
    static constexpr std::int64_t IntervalMs = 10 * 1000;

    /// Whether a trim is due at `nowMs` (a monotonic clock); when it is, records it as done then.
    bool takeDue(std::int64_t nowMs);

private:
    bool m_done = false;
    std::int64_t m_atMs = 0;
};

/// `TrimWorkingSet` of the ticks (GUI thread only): glibc's malloc_trim(0) when WorkingSetTrim finds one due.
void trimWorkingSet();
