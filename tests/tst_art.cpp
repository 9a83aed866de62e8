// The compiled-in drawings: the icon in every size a desktop may pick, each
// drawn to fill its own square, and a missing picture giving nothing.

#include "art.h"
#ifdef PONDERINE_SVG
#    include "svgimage.h"
#endif

#include <QGuiApplication>
#include <QImage>
#include <QtTest>

#include <algorithm>
#include <cstdlib>

namespace {

// The rows and columns holding any visible pixel.
QRect inkBounds(const QImage &image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y).alpha() > 0)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

} // namespace

class ArtTest : public QObject
{
    Q_OBJECT

private slots:
    void iconSizes()
    {
        const QIcon icon = applicationIcon();
        const QList<QSize> sizes = applicationIconSizes();
        QVERIFY(sizes.size() >= 2);
        QCOMPARE(icon.availableSizes(), sizes);
        // Every size goes to the X server with every window, the prompt's
        // too: larger ones cost start-up time, and desktops take those from
        // the installed scalable icon.
        QVERIFY(std::all_of(sizes.begin(), sizes.end(), [](QSize size) { return size.width() <= 48; }));
        // One drawing is drawn at every size: each must span its square, not
        // keep the first size's scale.
        for (QSize size : sizes) {
            const QImage image = icon.pixmap(size).toImage();
            QCOMPARE(image.size(), size);
            const QRect ink = inkBounds(image);
            QVERIFY2(ink.width() > size.width() / 2 && ink.height() > size.height() / 2,
                     qPrintable(QStringLiteral("%1 px").arg(size.width())));
        }
        // Asked again, the same pixmaps: drawn once.
        QCOMPARE(applicationIcon().pixmap(QSize(64, 64)).cacheKey(), icon.pixmap(QSize(64, 64)).cacheKey());
    }

    void missingPicture()
    {
        QTest::ignoreMessage(QtWarningMsg, "The picture nothing.svg is not in the program");
        QVERIFY(artPixmap(QStringLiteral("nothing.svg"), 1.0).isNull());
    }

    void naturalSizeAtDensity_data()
    {
        QTest::addColumn<qreal>("ratio");
        QTest::newRow("1, drawn ahead") << 1.0;
        QTest::newRow("1.25, drawn ahead or now") << 1.25;
        QTest::newRow("2, drawn ahead") << 2.0;
        QTest::newRow("2.25, drawn now or scaled") << 2.25;
        QTest::newRow("3, drawn now or scaled up") << 3.0;
    }

    void naturalSizeAtDensity()
    {
        QFETCH(qreal, ratio);
        const QPixmap duck = artPixmap(QStringLiteral("duck.svg"), ratio);
        QCOMPARE(duck.devicePixelRatio(), ratio);
        QCOMPARE(duck.size(), (duck.deviceIndependentSize() * ratio).toSize());
        QVERIFY(!inkBounds(duck.toImage()).isEmpty());
    }

    void drawnAheadIsTheDrawing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qreal>("ratio");
        for (const char *name : {"dumbbell.svg", "face-grin.svg", "noentry.svg"})
            for (qreal ratio : std::initializer_list<qreal> {PONDERINE_PICTURE_RATIOS})
                QTest::addRow("%s at %g", name, ratio) << QString::fromLatin1(name) << ratio;
    }

    // The pictures drawn when the program is built are those its drawings give.
    void drawnAheadIsTheDrawing()
    {
        QFETCH(QString, name);
        QFETCH(qreal, ratio);
        QString stem = name;
        stem.chop(4);
        QVERIFY(QFile::exists(QStringLiteral(":/baked/%1@%2x.png").arg(stem, QString::number(ratio))));
#ifndef PONDERINE_SVG
        QSKIP("built without Qt Svg: the drawings are compared where they are drawn, on the build machine");
#else
        const QImage ahead = artPixmap(name, ratio).toImage().convertToFormat(QImage::Format_ARGB32);
        const QImage now = renderSvg(QStringLiteral(":/art/") + name, {QSize()}, ratio)
                               .value(0)
                               .convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(ahead.size(), now.size());
        int worst = 0;
        for (int y = 0; y < now.height(); ++y)
            for (int x = 0; x < now.width(); ++x) {
                const QColor a = ahead.pixelColor(x, y), b = now.pixelColor(x, y);
                worst = std::max({worst, std::abs(a.alpha() - b.alpha()), std::abs(a.red() - b.red()),
                                  std::abs(a.green() - b.green()), std::abs(a.blue() - b.blue())});
            }
        // Only the rounding of stored, unpremultiplied colours may differ.
        QVERIFY2(worst <= 3, qPrintable(QString::number(worst)));
#endif
    }
};

QTEST_MAIN(ArtTest)
#include "tst_art.moc"
