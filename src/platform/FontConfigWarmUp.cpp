#include "platform/FontConfigWarmUp.h"

#include <QtGlobal>
#include <fontconfig/fontconfig.h>
#include <system_error>

FontConfigWarmUp::FontConfigWarmUp()
{
    if (qEnvironmentVariableIsSet("DESKTOP_STARTUP_ID"))
        return;
    try {
        // A failed load is left to Qt, which loads the configuration itself when it finds none.
        m_thread = std::thread([] {
            FcInit();
        });
    } catch (const std::system_error &) {
        // No thread to be had: the main thread loads the configuration when it first needs it, as without this.
    }
}

FontConfigWarmUp::~FontConfigWarmUp()
{
    if (m_thread.joinable())
        m_thread.join();
}
