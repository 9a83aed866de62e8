#include "art.h"
#include "dialogs.h"
#include "fonts.h"
#include "randomsource.h"
#include "recordstore.h"
#include "tavola.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ponderine"));
    QApplication::setWindowIcon(applicationIcon());
    setupFonts();

    QtDialogs dialogs;
    ClockRandomSource random;
    Tavola window(dialogs, random, defaultDataDir());
    window.showMaximized();
    return app.exec();
}
