// The window's labels, which lay their captions out once: drawn as a QLabel draws.

#include "autosizelabel.h"
#include "windowcontrols.h"

#include <QtTest>

class CaptionLabelTest : public QObject
{
    Q_OBJECT

private slots:
    void drawsAsQLabel_data();
    void drawsAsQLabel();
};

void CaptionLabelTest::drawsAsQLabel_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");

    // One row for each way the window's labels are set up.
    // clang-format off
    QTest::newRow("plain") << "Label12" << "Il record  è di ";
    QTest::newRow("boxed") << "lblconto" << "00:14:59";
    QTest::newRow("centred") << "lblMessage" << "Esatto, è incredibile!!!";
    QTest::newRow("filled, centred") << "Label4" << "=";
    QTest::newRow("fitted, boxed, centred") << "lblScore2" << "12";
    QTest::newRow("fitted, boxed") << "lblnome1" << "<b>Ada</b>";
    QTest::newRow("fitted, two lines") << "lblnome" << "Carla\n";
    QTest::newRow("fitted, empty") << "lblpunti" << "";
    // clang-format on
}

// The labels lay their captions out once, but draw them where a plain QLabel
// of the same settings would, pixel for pixel.
void CaptionLabelTest::drawsAsQLabel()
{
    BuiltWindow built;
    QFETCH(QString, name);
    QFETCH(QString, text);

    auto *caption = control<QLabel>(built.window, name);
    QVERIFY(caption);
    caption->setText(text);
    if (auto *fitting = qobject_cast<AutoSizeLabel *>(caption))
        fitting->fitToText();

    QLabel plain(caption->parentWidget());
    plain.setGeometry(caption->geometry());
    plain.setFont(caption->font());
    plain.setPalette(caption->palette());
    plain.setAutoFillBackground(caption->autoFillBackground());
    plain.setFrameStyle(caption->frameStyle());
    plain.setLineWidth(caption->lineWidth());
    plain.setAlignment(caption->alignment());
    plain.setIndent(caption->indent());
    plain.setMargin(caption->margin());
    plain.setTextFormat(Qt::PlainText);
    plain.setText(text);
    QCOMPARE(caption->grab().toImage(), plain.grab().toImage());
}

QTEST_MAIN(CaptionLabelTest)
#include "tst_captionlabel.moc"
