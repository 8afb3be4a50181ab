// The outside facilities handed to every room: real ones wired in main, fakes in tests.
#pragma once

class Clock;
class NetState;
class Speech;
class Shell;
class Power;
class Notifier;
class Prompts;

struct Services
{
    Clock *clock = nullptr;
    NetState *net = nullptr;
    Speech *speech = nullptr;
    Shell *shell = nullptr;
    Power *power = nullptr;
    Notifier *notifier = nullptr;
    Prompts *prompts = nullptr;
};
