#include <QtTest>

class Tst_countdown : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(Tst_countdown)
#include "tst_countdown.moc"
