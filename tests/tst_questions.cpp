#include <QtTest>

class Tst_questions : public QObject
{
    Q_OBJECT
};

QTEST_GUILESS_MAIN(Tst_questions)
#include "tst_questions.moc"
