// Prints the connection state and exits 0 when online, 1 when offline.
#include "platform/LinuxNetState.h"

#include <cstdio>

int main()
{
    const bool online = LinuxNetState().isOnline();
    std::puts(online ? "online" : "offline");
    return online ? 0 : 1;
}
