// Powers the computer off or puts it to sleep.
#pragma once

class Power
{
public:
    virtual ~Power() = default;
    /// Asks for a power-off without interaction; returns whether the request was accepted.
    virtual bool powerOff() = 0;
    /// Asks for a suspend without interaction; returns whether the request was accepted.
    virtual bool suspend() = 0;
};
