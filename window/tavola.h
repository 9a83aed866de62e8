#pragma once

#include <QMainWindow>

class Dialogs;
class RandomSource;

// The game's one window.
class Tavola : public QMainWindow
{
    Q_OBJECT

public:
    Tavola(Dialogs &dialogs, RandomSource &random, const QString &dataDir, QWidget *parent = nullptr);

private:
    Dialogs &m_dialogs;
    RandomSource &m_random;
    QString m_dataDir;
};
