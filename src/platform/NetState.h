// Whether the computer is online, asked without sending any traffic.
#pragma once

class NetState
{
public:
    virtual ~NetState() = default;
    virtual bool isOnline() const = 0;
};
