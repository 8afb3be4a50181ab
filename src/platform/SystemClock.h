// The real clock: the system time, the TZ zone's standard offset and the system locale's formats.
#pragma once

#include "platform/Clock.h"

class SystemClock : public Clock
{
public:
    QDateTime localNow() const override;
    QDateTime utcNow() const override;
    int standardOffsetSeconds() const override;
    QString shortDateFormat() const override;
    QString longTimeFormat() const override;
};
