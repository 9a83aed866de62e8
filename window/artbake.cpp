// Draws the program's pictures while it is built, so that it need not draw
// them each time it starts: every picture at its own size for each device
// pixel ratio named, and the icon in each of its sizes.
//
//   ponderine_artbake SOURCE_DIR OUTPUT_DIR --icon SIZE... --ratios RATIO...
//                     --pictures NAME... [--ico FILE SIZE...]
//
// writes OUTPUT_DIR/NAME@RATIOx.png (duck@1.25x.png) from SOURCE_DIR/NAME.svg,
// OUTPUT_DIR/icon-SIZE.png from SOURCE_DIR/icon.svg and, with --ico, the
// icon in the given sizes as one Windows icon file, OUTPUT_DIR/FILE.

#include "svgimage.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QStringList>
#include <QtEndian>

#include <cstdio>

namespace {

bool save(const QImage &image, const QString &path)
{
    if (image.isNull() || !image.save(path, "PNG")) {
        std::fprintf(stderr, "ponderine_artbake: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

// A Windows icon file holding each image as PNG, which Windows reads since Vista.
bool saveIco(const QList<QImage> &images, const QString &path)
{
    QByteArray header(6 + 16 * images.size(), '\0');
    QByteArray data;
    auto put16 = [&header](int at, int value) { qToLittleEndian(quint16(value), header.data() + at); };
    auto put32 = [&header](int at, qint64 value) { qToLittleEndian(quint32(value), header.data() + at); };
    put16(2, 1); // an icon, not a cursor
    put16(4, int(images.size()));
    for (int i = 0; i < int(images.size()); ++i) {
        QByteArray png;
        QBuffer buffer(&png);
        if (images[i].isNull() || !images[i].save(&buffer, "PNG"))
            return false;
        const int entry = 6 + 16 * i;
        // A side of 256 is written as 0.
        header[entry] = char(images[i].width() % 256);
        header[entry + 1] = char(images[i].height() % 256);
        put16(entry + 4, 1);  // planes
        put16(entry + 6, 32); // bits per pixel
        put32(entry + 8, png.size());
        put32(entry + 12, header.size() + data.size());
        data += png;
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(header + data) != header.size() + data.size()) {
        std::fprintf(stderr, "ponderine_artbake: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    // Each option takes the words up to the next one.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    QHash<QString, QStringList> options;
    QString option;
    for (const QString &arg : args.mid(2)) {
        if (arg.startsWith(QLatin1String("--")))
            options[option = arg];
        else if (!option.isEmpty())
            options[option].append(arg);
    }
    if (args.size() < 2 || args.value(2) != QLatin1String("--icon")
        || options.value(QStringLiteral("--ratios")).isEmpty() || !options.contains(QStringLiteral("--pictures"))) {
        std::fprintf(stderr,
                     "usage: ponderine_artbake SOURCE_DIR OUTPUT_DIR --icon SIZE... --ratios RATIO... "
                     "--pictures NAME... [--ico FILE SIZE...]\n");
        return 2;
    }
    const QDir source(args[0]);
    const QDir output(args[1]);
    if (!output.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "ponderine_artbake: cannot make %s\n", qPrintable(args[1]));
        return 1;
    }
    const auto sizes = [](const QStringList &sides) {
        QList<QSize> list;
        for (const QString &side : sides)
            list.append(QSize(side.toInt(), side.toInt()));
        return list;
    };
    const QString iconDrawing = source.filePath(QStringLiteral("icon.svg"));

    bool ok = true;
    const QList<QSize> iconSizes = sizes(options.value(QStringLiteral("--icon")));
    const QList<QImage> icons = renderSvg(iconDrawing, iconSizes, 1.0);
    ok &= icons.size() == iconSizes.size();
    for (int i = 0; i < int(icons.size()); ++i)
        ok &= save(icons[i], output.filePath(QStringLiteral("icon-%1.png").arg(iconSizes[i].width())));

    for (const QString &name : options.value(QStringLiteral("--pictures"))) {
        for (const QString &ratio : options.value(QStringLiteral("--ratios"))) {
            const QString path = output.filePath(QStringLiteral("%1@%2x.png").arg(name, ratio));
            ok &= save(renderSvg(source.filePath(name + QStringLiteral(".svg")), {QSize()}, ratio.toDouble()).value(0),
                       path);
        }
    }

    const QStringList ico = options.value(QStringLiteral("--ico"));
    if (!ico.isEmpty()) {
        const QList<QSize> icoSizes = sizes(ico.mid(1));
        ok &= saveIco(renderSvg(iconDrawing, icoSizes, 1.0), output.filePath(ico.first()));
    }
    return ok ? 0 : 1;
}
