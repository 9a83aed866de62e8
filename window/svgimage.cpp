#include "svgimage.h"

#include <QPainter>
#include <QSvgRenderer>

QList<QImage> renderSvg(const QString &fileName, const QList<QSize> &sizes, qreal devicePixelRatio)
{
    // Parsed once, however many sizes are drawn from it.
    QSvgRenderer renderer(fileName);
    if (!renderer.isValid())
        return {};
    QList<QImage> images;
    for (QSize size : sizes) {
        if (size.isEmpty())
            size = renderer.defaultSize();
        QImage image((QSizeF(size) * devicePixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(devicePixelRatio);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
        painter.end();
        images.append(image);
    }
    return images;
}
