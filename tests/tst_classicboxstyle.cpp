// The question boxes' classic sunken edge, drawn as strips.

#include "classicboxstyle.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QStyleFactory>
#include <QtTest>

#include <memory>

class ClassicBoxStyleTest : public QObject
{
    Q_OBJECT

private slots:
    void classicEdges_data();
    void classicEdges();
};

void ClassicBoxStyleTest::classicEdges_data()
{
    QTest::addColumn<bool>("multiLine");
    QTest::addColumn<QColor>("base");
    QTest::addColumn<bool>("focused");

    QTest::newRow("text box") << false << QColor(Qt::white) << false;
    QTest::newRow("text box, light green, focused") << false << QColor(0xC0, 0xFF, 0xC0) << true;
    QTest::newRow("multi-line box, light cyan") << true << QColor(0xC0, 0xFF, 0xFF) << false;
}

// The question boxes' edges, drawn as strips, are the classic style's pixels.
void ClassicBoxStyleTest::classicEdges()
{
    QFETCH(bool, multiLine);
    QFETCH(QColor, base);
    QFETCH(bool, focused);

    const auto shot = [&](QStyle *style) {
        std::unique_ptr<QWidget> box;
        if (multiLine)
            box = std::make_unique<QPlainTextEdit>(QStringLiteral("g"));
        else
            box = std::make_unique<QLineEdit>(QStringLiteral("Kg"));
        box->setStyle(style);
        QPalette palette = box->palette();
        palette.setColor(QPalette::Base, base);
        box->setPalette(palette);
        box->resize(105, 73);
        if (focused)
            box->setFocus();
        return box->grab().toImage();
    };
    std::unique_ptr<QStyle> classic(QStyleFactory::create(QStringLiteral("Windows")));
    ClassicBoxStyle strips;
    QCOMPARE(shot(&strips), shot(classic.get()));
}

QTEST_MAIN(ClassicBoxStyleTest)
#include "tst_classicboxstyle.moc"
