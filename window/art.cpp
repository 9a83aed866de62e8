#include "art.h"

#ifdef PONDERINE_SVG
#    include "svgimage.h"
#endif

#include <QtDebug>

#include <algorithm>

namespace {

// The ratios the pictures are drawn ahead for, listed in window/CMakeLists.txt.
constexpr qreal aheadRatios[] = {PONDERINE_PICTURE_RATIOS};

// A picture drawn when the program was built, for the ratios of the usual
// display scales: loading it costs a small part of drawing it. Null for any
// other ratio, or a picture not drawn ahead.
QImage drawnAhead(const QString &name, qreal devicePixelRatio)
{
    if (std::find(std::begin(aheadRatios), std::end(aheadRatios), devicePixelRatio) == std::end(aheadRatios))
        return {};
    QString stem = name;
    stem.chop(name.endsWith(QLatin1String(".svg")) ? 4 : 0);
    QImage image(QStringLiteral(":/baked/%1@%2x.png").arg(stem, QString::number(devicePixelRatio)));
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

// A picture at a ratio not drawn ahead (a display at 225 %, or 300 %): drawn
// now where the program has Qt Svg, else scaled down from the nearest larger
// ratio drawn ahead (up from the largest), which stays sharp enough that
// near.
QImage drawnNow(const QString &name, QSize size, qreal devicePixelRatio)
{
#ifdef PONDERINE_SVG
    return renderSvg(QStringLiteral(":/art/") + name, {size}, devicePixelRatio).value(0);
#else
    Q_UNUSED(size);
    const qreal *nearest = std::find_if(std::begin(aheadRatios), std::end(aheadRatios),
                                        [devicePixelRatio](qreal ratio) { return ratio >= devicePixelRatio; });
    const QImage ahead =
        drawnAhead(name, nearest == std::end(aheadRatios) ? aheadRatios[std::size(aheadRatios) - 1] : *nearest);
    if (ahead.isNull())
        return {};
    QImage image = ahead.scaled((ahead.deviceIndependentSize() * devicePixelRatio).toSize(), Qt::IgnoreAspectRatio,
                                Qt::SmoothTransformation);
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
#endif
}

} // namespace

QPixmap artPixmap(const QString &name, qreal devicePixelRatio)
{
    QImage image = drawnAhead(name, devicePixelRatio);
    if (image.isNull())
        image = drawnNow(name, QSize(), devicePixelRatio);
    if (image.isNull())
        qWarning("The picture %s is not in the program", qPrintable(name));
    return QPixmap::fromImage(image);
}

QList<QSize> applicationIconSizes()
{
    // Listed once, in window/CMakeLists.txt, which draws them ahead.
    static const QList<QSize> sizes = [] {
        QList<QSize> listed;
        for (int side : {PONDERINE_ICON_SIZES})
            listed.append(QSize(side, side));
        return listed;
    }();
    return sizes;
}

QIcon applicationIcon()
{
    // Made once: the application and the window both ask for it before the
    // name prompt. Sizes up to 48, what window managers and task bars draw
    // from a window's own icon; desktops take larger ones from the installed
    // scalable icon. Every size is handed to the X server with every window,
    // the prompt's too, so larger ones would hold the prompt back
    // (docs/performance.md).
    static const QIcon icon = [] {
        QIcon made;
        for (QSize size : applicationIconSizes()) {
            QImage image(QStringLiteral(":/baked/icon-%1.png").arg(size.width()));
            if (image.isNull())
                image = drawnNow(QStringLiteral("icon.svg"), size, 1.0);
            made.addPixmap(QPixmap::fromImage(image));
        }
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
