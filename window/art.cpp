#include "art.h"

#include <QPainter>
#include <QSvgRenderer>
#include <QtDebug>

namespace {

QPixmap render(const QString &name, QSize size, qreal devicePixelRatio)
{
    QSvgRenderer renderer(QStringLiteral(":/art/") + name);
    if (!renderer.isValid()) {
        qWarning("The picture %s is not in the program", qPrintable(name));
        return {};
    }
    if (size.isEmpty())
        size = renderer.defaultSize();
    QPixmap pixmap((QSizeF(size) * devicePixelRatio).toSize());
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

} // namespace

QPixmap artPixmap(const QString &name, qreal devicePixelRatio)
{
    return render(name, QSize(), devicePixelRatio);
}

QIcon applicationIcon()
{
    QIcon icon;
    for (int side : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(render(QStringLiteral("icon.svg"), QSize(side, side), 1.0));
    return icon;
}

QCursor duckCursor(qreal devicePixelRatio)
{
    // Near the top-left corner, where a pointer's tip is expected.
    return QCursor(artPixmap(QStringLiteral("duck.svg"), devicePixelRatio), 2, 2);
}

QCursor iconPointer(qreal devicePixelRatio)
{
    const QPixmap pixmap = artPixmap(QStringLiteral("iconpointer.svg"), devicePixelRatio);
    const QSize size = pixmap.deviceIndependentSize().toSize();
    return QCursor(pixmap, size.width() / 2, size.height() / 2);
}
