// Clip regions of the borderless main window and its panels: rounded left corners, square right ones.
#pragma once

#include <QRegion>
#include <QSize>

namespace WindowShape {

/// A rounded rectangle over (0,0,w,h) with an ellipse of corner x corner at each corner.
QRegion roundedRect(int width, int height, int corner);

/// `RoundLeftCorners`: the element's rectangle widened by 20 pixels to the right and rounded with 20 x 20
/// corner ellipses, so the right corners fall outside the element and only the left ones show rounded.
QRegion roundLeftCorners(const QSize &size);

} // namespace WindowShape
