// The compiled-in drawings: the icon in every size a desktop may pick, each
// drawn to fill its own square, and a missing picture giving nothing.

#include "art.h"

#include <QGuiApplication>
#include <QImage>
#include <QtTest>

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
        const QList<QSize> expected {{16, 16}, {22, 22}, {24, 24}, {32, 32}, {48, 48}};
        QCOMPARE(icon.availableSizes(), expected);
        // One drawing is drawn at every size: each must span its square, not
        // keep the first size's scale.
        for (QSize size : expected) {
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

    void naturalSizeAtDensity()
    {
        const QPixmap duck = artPixmap(QStringLiteral("duck.svg"), 2.0);
        QCOMPARE(duck.devicePixelRatio(), 2.0);
        QCOMPARE(duck.size(), duck.deviceIndependentSize().toSize() * 2);
        QVERIFY(!inkBounds(duck.toImage()).isEmpty());
    }
};

QTEST_MAIN(ArtTest)
#include "tst_art.moc"
