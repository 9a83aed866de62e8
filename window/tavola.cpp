#include "tavola.h"

#include "art.h"

Tavola::Tavola(Dialogs &dialogs, RandomSource &random, const QString &dataDir, QWidget *parent)
    : QMainWindow(parent), m_dialogs(dialogs), m_random(random), m_dataDir(dataDir)
{
    setWindowTitle(QStringLiteral("Gioca con le ponderine"));
    setWindowIcon(applicationIcon());
    setWindowState(Qt::WindowMaximized);
    buildMenu();
    buildControls();
}
