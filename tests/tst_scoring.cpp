#include <QtTest>

class Tst_scoring : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(Tst_scoring)
#include "tst_scoring.moc"
