#include "art.h"

#include <QPainter>
#include <QSvgRenderer>
#include <QtDebug>

namespace {

QPixmap render(QSvgRenderer &renderer, QSize size, qreal devicePixelRatio)
{
    if (size.isEmpty())
        size = renderer.defaultSize();
    QPixmap pixmap((QSizeF(size) * devicePixelRatio).toSize());
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    return pixmap;
}

// Parses the drawing once, however many sizes are drawn from it; none, with
// a warning, if there is no such picture.
QList<QPixmap> renderSizes(const QString &name, const QList<QSize> &sizes, qreal devicePixelRatio)
{
    QSvgRenderer renderer(QStringLiteral(":/art/") + name);
    if (!renderer.isValid()) {
        qWarning("The picture %s is not in the program", qPrintable(name));
        return {};
    }
    QList<QPixmap> pixmaps;
    for (QSize size : sizes)
        pixmaps.append(render(renderer, size, devicePixelRatio));
    return pixmaps;
}

} // namespace

QPixmap artPixmap(const QString &name, qreal devicePixelRatio)
{
    const QList<QPixmap> pixmaps = renderSizes(name, {QSize()}, devicePixelRatio);
    return pixmaps.isEmpty() ? QPixmap() : pixmaps.first();
}

QIcon applicationIcon()
{
    // Made once: the application and the window both ask for it before the
    // name prompt. Sizes up to 48, what window managers and task bars draw
    // from a window's own icon; desktops take larger ones from the installed
    // scalable icon. Every size is drawn and handed to the X server with
    // every window, the prompt's too: 64 and 128 were four fifths of the
    // pixels and about a tenth of the time the prompt took to come up.
    static const QIcon icon = [] {
        QIcon made;
        const QList<QSize> sizes {{16, 16}, {22, 22}, {24, 24}, {32, 32}, {48, 48}};
        for (const QPixmap &pixmap : renderSizes(QStringLiteral("icon.svg"), sizes, 1.0))
            made.addPixmap(pixmap);
        return made;
    }();
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
