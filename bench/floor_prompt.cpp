// The least a Qt Widgets program can do and still be the game's first minute:
// ask a name with a QInputDialog, greet with a message box (their buttons in
// the pupil's language, as the game's), then show a maximized window of one
// colour with a label that counts down once a second. The game's start-up,
// memory and idle cost are measured against this.

#include <QApplication>
#include <QInputDialog>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QPainter>
#include <QTimer>
#include <QTranslator>

namespace {

// A question colour, as the watcher recognises one: red and green multiples of 20.
const QColor fill(100, 60, 200);

class Surface : public QWidget
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), fill);
    }
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments();
    // The same titles as the game's, so window managers treat both alike.
    const QString promptTitle = args.value(1, QStringLiteral("Ponderine"));
    const QString mainTitle = args.value(2, QStringLiteral("Floor"));

    QTranslator qtTexts;
    if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTexts);

    const QString name = QInputDialog::getText(nullptr, promptTitle, QStringLiteral("Come ti chiami?"));
    QMessageBox greeting(QMessageBox::NoIcon, promptTitle, name, QMessageBox::Ok);
    greeting.exec();

    Surface surface;
    surface.setWindowTitle(mainTitle);
    QLabel countdown(&surface);
    countdown.setGeometry(16, 152, 105, 33);
    int left = 15 * 60;
    const auto show = [&] {
        countdown.setText(
            QStringLiteral("00.%1.%2").arg(left / 60, 2, 10, QLatin1Char('0')).arg(left % 60, 2, 10, QLatin1Char('0')));
    };
    show();
    QTimer tick;
    tick.setInterval(1000);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        if (left > 0)
            --left;
        show();
    });
    tick.start();
    surface.showMaximized();
    return app.exec();
}
