#include "app/SvgPicture.h"

#include <QPainter>
#include <QSvgRenderer>

namespace SvgPicture {

QImage render(const QString &path, const QSize &size)
{
    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        return {};
    QSize fitted = renderer.defaultSize();
    if (!fitted.isNull())
        fitted.scale(size, Qt::KeepAspectRatio);
    if (fitted.isEmpty())
        return {};
    QImage image(fitted, QImage::Format_ARGB32_Premultiplied);
    image.fill(0x00000000);
    QPainter painter(&image);
    renderer.render(&painter);
    painter.end();
    return image;
}

} // namespace SvgPicture
