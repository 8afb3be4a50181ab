// An SVG drawing rendered into an image, the way Qt's SVG icon engine renders an icon's picture.
#pragma once

#include <QImage>
#include <QSize>
#include <QString>

namespace SvgPicture {

/// The drawing of the SVG file at path (a resource path too), scaled to fit size with its proportions kept, on a
/// transparent premultiplied ARGB32 image. A null image when the file cannot be read as SVG.
QImage render(const QString &path, const QSize &size);

} // namespace SvgPicture
