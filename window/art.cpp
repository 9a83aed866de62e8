#include "art.h"

#include "svgimage.h"

#include <QtDebug>

namespace {

QString drawing(const QString &name)
{
    return QStringLiteral(":/art/") + name;
}

// A picture drawn when the program was built, for the two ratios nearly
// every screen has: loading it costs a small part of drawing it. Null for
// any other ratio, or a picture not drawn ahead.
QImage drawnAhead(const QString &name, qreal devicePixelRatio)
{
    if (devicePixelRatio != 1.0 && devicePixelRatio != 2.0)
        return {};
    QString stem = name;
    stem.chop(name.endsWith(QLatin1String(".svg")) ? 4 : 0);
    QImage image(QStringLiteral(":/baked/%1@%2x.png").arg(stem).arg(int(devicePixelRatio)));
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

} // namespace

QPixmap artPixmap(const QString &name, qreal devicePixelRatio)
{
    QImage image = drawnAhead(name, devicePixelRatio);
    if (image.isNull())
        image = renderSvg(drawing(name), {QSize()}, devicePixelRatio).value(0);
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
    // the prompt's too: 64 and 128 were four fifths of the pixels and about a
    // tenth of the time the prompt took to come up.
    static const QIcon icon = [] {
        QIcon made;
        for (QSize size : applicationIconSizes()) {
            QImage image(QStringLiteral(":/baked/icon-%1.png").arg(size.width()));
            if (image.isNull())
                image = renderSvg(drawing(QStringLiteral("icon.svg")), {size}, 1.0).value(0);
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
