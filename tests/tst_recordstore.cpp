#include <QtTest>

class Tst_recordstore : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(Tst_recordstore)
#include "tst_recordstore.moc"
