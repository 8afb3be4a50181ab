#pragma once

#include <QFont>
#include <QPalette>

// The application's own palette and font with every role and property marked as set, so a panel that takes them
// keeps them for all its children instead of inheriting the main window's black palette and small font.
QPalette resolvedApplicationPalette();
QFont resolvedApplicationFont();
