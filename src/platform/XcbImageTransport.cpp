#include "platform/XcbImageTransport.h"

#include <QByteArray>
#include <QtGlobal>

namespace {
constexpr char Variable[] = "QT_XCB_NO_MITSHM";
}

XcbImagesInRequests::XcbImagesInRequests()
{
    // Any value, even empty, is the user's own choice (Qt only asks whether it is set).
    if (!qEnvironmentVariableIsSet(Variable)) {
        qputenv(Variable, QByteArray("1"));
        m_setHere = true;
    }
}

XcbImagesInRequests::~XcbImagesInRequests()
{
    if (m_setHere)
        qunsetenv(Variable);
}
