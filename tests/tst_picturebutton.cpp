// The window's picture buttons: their pictures in each state, as drawn.

#include "art.h"
#include "colours.h"
#include "picturebutton.h"
#include "windowcontrols.h"

#include <QtTest>

class PictureButtonTest : public QObject
{
    Q_OBJECT

private slots:
    void statePictures();
};

// Each state of the window's two picture buttons shows its own drawing, in the button's colour.
void PictureButtonTest::statePictures()
{
    BuiltWindow built;
    auto *next = control<PictureButton>(built.window, "cmdNext");
    auto *exit = control<PictureButton>(built.window, "cmdExit1");
    QVERIFY(next && exit);
    const qreal dpr = built.window.devicePixelRatioF();

    const auto sameAs = [dpr](const QPixmap &pixmap, const char *file) {
        const QImage expected = artPixmap(QLatin1String(file), dpr).toImage();
        return pixmap.toImage().convertToFormat(QImage::Format_ARGB32_Premultiplied)
            == expected.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    };
    // The picture actually drawn: its share that differs from the bevel beside it.
    const auto drawn = [](PictureButton *button) {
        const QImage shot = button->grab().toImage();
        const qreal ratio = shot.devicePixelRatio();
        const QRect area(button->pictureRect().topLeft() * ratio, button->pictureRect().size() * ratio);
        int differing = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (shot.pixelColor(x, y) != shot.pixelColor(area.left() - 8 * ratio, y))
                    ++differing;
        return std::pair(double(differing) / (area.width() * area.height()), shot.copy(area));
    };

    struct State
    {
        const char *name;
        bool enabled;
        bool down;
        const char *file;
    };
    QList<QImage> shots;
    for (const State &state :
         {State {"disabled", false, false, "face-straight.svg"}, State {"normal", true, false, "face-smile.svg"},
          State {"pressed", true, true, "face-grin.svg"}}) {
        next->setEnabled(state.enabled);
        next->setDown(state.down);
        QVERIFY2(sameAs(next->picture(), state.file), state.name);
        QCOMPARE(next->picture().deviceIndependentSize().toSize(), QSize(32, 32));
        const auto [share, shot] = drawn(next);
        QVERIFY2(share > 0.1, state.name);
        shots << shot;
    }
    // The face is painted in the back colour itself, not a shade of it.
    const QImage face = next->grab().toImage();
    QCOMPARE(face.pixelColor(QPoint(8, next->height() / 2) * face.devicePixelRatio()), fromBgr(0xC0C000));
    QVERIFY(shots[0] != shots[1]);
    QVERIFY(shots[1] != shots[2]);
    QVERIFY(shots[0] != shots[2]);

    for (bool down : {false, true}) {
        exit->setDown(down);
        QVERIFY(sameAs(exit->picture(), "noentry.svg"));
        QVERIFY(drawn(exit).first > 0.1);
    }
    exit->setEnabled(false);
    QVERIFY(sameAs(exit->picture(), "noentry.svg"));
}

QTEST_MAIN(PictureButtonTest)
#include "tst_picturebutton.moc"
