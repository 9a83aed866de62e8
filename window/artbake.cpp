// Draws the program's pictures while it is built, so that it need not draw
// them each time it starts: every picture at its own size for screens of
// one and two device pixels to a pixel, and the icon in each of its sizes.
//
//   ponderine_artbake SOURCE_DIR OUTPUT_DIR --icon SIZE... --pictures NAME...
//
// writes OUTPUT_DIR/NAME@1x.png and NAME@2x.png from SOURCE_DIR/NAME.svg,
// and OUTPUT_DIR/icon-SIZE.png from SOURCE_DIR/icon.svg.

#include "svgimage.h"

#include <QDir>
#include <QStringList>

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

} // namespace

int main(int argc, char *argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const int iconAt = int(args.indexOf(QStringLiteral("--icon")));
    const int picturesAt = int(args.indexOf(QStringLiteral("--pictures")));
    if (args.size() < 2 || iconAt != 2 || picturesAt < iconAt) {
        std::fprintf(stderr, "usage: ponderine_artbake SOURCE_DIR OUTPUT_DIR --icon SIZE... --pictures NAME...\n");
        return 2;
    }
    const QDir source(args[0]);
    const QDir output(args[1]);
    if (!output.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "ponderine_artbake: cannot make %s\n", qPrintable(args[1]));
        return 1;
    }

    bool ok = true;
    QList<QSize> iconSizes;
    for (const QString &size : args.mid(iconAt + 1, picturesAt - iconAt - 1))
        iconSizes.append(QSize(size.toInt(), size.toInt()));
    const QList<QImage> icons = renderSvg(source.filePath(QStringLiteral("icon.svg")), iconSizes, 1.0);
    ok &= icons.size() == iconSizes.size();
    for (int i = 0; i < int(icons.size()); ++i)
        ok &= save(icons[i], output.filePath(QStringLiteral("icon-%1.png").arg(iconSizes[i].width())));

    for (const QString &name : args.mid(picturesAt + 1)) {
        for (int ratio : {1, 2}) {
            const QString path = output.filePath(QStringLiteral("%1@%2x.png").arg(name).arg(ratio));
            ok &= save(renderSvg(source.filePath(name + QStringLiteral(".svg")), {QSize()}, ratio).value(0), path);
        }
    }
    return ok ? 0 : 1;
}
