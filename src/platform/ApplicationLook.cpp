#include "platform/ApplicationLook.h"

#include <QGuiApplication>

QPalette resolvedApplicationPalette()
{
    QPalette palette = QGuiApplication::palette();
    palette.setResolveMask(~QPalette::ResolveMask(0));
    return palette;
}

QFont resolvedApplicationFont()
{
    QFont font = QGuiApplication::font();
    font.setResolveMask(QFont::AllPropertiesResolved);
    return font;
}
