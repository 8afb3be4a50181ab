#include "platform/WorkingSetTrim.h"

#include <chrono>
#include <malloc.h>

bool WorkingSetTrim::takeDue(std::int64_t nowMs)
{
    if (m_done && nowMs - m_atMs < IntervalMs)
        return false;
    m_done = true;
    m_atMs = nowMs;
    return true;
}

void trimWorkingSet()
{
    static WorkingSetTrim state;
    using namespace std::chrono;
    if (state.takeDue(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count()))
        ::malloc_trim(0);
}
