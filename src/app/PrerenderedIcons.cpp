#include "app/PrerenderedIcons.h"

#include "app/SvgPicture.h"

#include <QApplication>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QStyleOption>

namespace {

class PrerenderedIconEngine final : public QIconEngine
{
public:
    PrerenderedIconEngine(const QString &path, const QImage &picture) : m_path(path), m_picture(picture) {}

    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        Q_UNUSED(state) // one drawing for both states, as an SVG icon with a single file
        const quint64 key = (quint64(quint32(size.width())) << 32) | (quint64(quint16(size.height())) << 8) | mode;
        auto found = m_pixmaps.constFind(key);
        if (found != m_pixmaps.constEnd())
            return *found;
        const QImage picture = size == m_picture.size() ? m_picture : SvgPicture::render(m_path, size);
        QPixmap result = QPixmap::fromImage(picture);
        if (!result.isNull() && qobject_cast<QApplication *>(QCoreApplication::instance())) {
            // What Qt does for every icon engine: the style turns the normal picture into the other modes.
            QStyleOption option(0);
            option.palette = QGuiApplication::palette();
            result = QApplication::style()->generatedIconPixmap(mode, result, &option);
        }
        m_pixmaps.insert(key, result);
        return result;
    }

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device() ? painter->device()->devicePixelRatio() : 1.0;
        painter->drawPixmap(rect, pixmap(rect.size() * ratio, mode, state));
    }

    QSize actualSize(const QSize &size, QIcon::Mode, QIcon::State) override
    {
        return m_picture.size().scaled(size, Qt::KeepAspectRatio);
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override { return {m_picture.size()}; }

    QString key() const override { return QStringLiteral("prerendered"); }

    QIconEngine *clone() const override { return new PrerenderedIconEngine(m_path, m_picture); }

private:
    QString m_path;
    QImage m_picture;
    QHash<quint64, QPixmap> m_pixmaps;
};

} // namespace

QIcon PrerenderedIcons::icon(const char *path)
{
    const QString file = QString::fromLatin1(path);
    const unsigned int *pixels = pixelsOf(path);
    if (!pixels)
        return QIcon(file);
    // The image refers to the compiled-in pixels, which live as long as the program.
    const QImage picture(reinterpret_cast<const uchar *>(pixels), side, side, qsizetype(side) * 4,
                         QImage::Format_ARGB32_Premultiplied);
    return QIcon(new PrerenderedIconEngine(file, picture));
}
