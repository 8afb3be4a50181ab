#include "app/WindowShape.h"

#include <QRect>

namespace WindowShape {

QRegion roundedRect(int width, int height, int corner)
{
    // Two overlapping rectangles make the straight edges; four ellipses fill the corners.
    const int r = corner / 2;
    QRegion region(QRect(r, 0, width - 2 * r, height));
    region += QRegion(QRect(0, r, width, height - 2 * r));
    region += QRegion(QRect(0, 0, corner, corner), QRegion::Ellipse);
    region += QRegion(QRect(width - corner, 0, corner, corner), QRegion::Ellipse);
    region += QRegion(QRect(0, height - corner, corner, corner), QRegion::Ellipse);
    region += QRegion(QRect(width - corner, height - corner, corner, corner), QRegion::Ellipse);
    return region;
}

QRegion roundLeftCorners(const QSize &size)
{
    return roundedRect(size.width() + 20, size.height(), 20) & QRegion(0, 0, size.width(), size.height());
}

} // namespace WindowShape
