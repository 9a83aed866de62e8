// Starts as a game does, then saves ever higher records until it is killed:
// tst_recordstore cuts it short anywhere and reads back what is left.
#include "recordsaver.h"
#include "recordstore.h"

#include <QCoreApplication>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    const RecordStore store(QString::fromLocal8Bit(argv[1]));
    if (store.ensureFilesExist().isError())
        return 1;
    for (;;) {
        const QString stored = store.load().texts.score;
        const int next = int(storedScoreValue(stored)) + 1;
        if (store.offerRecord(stored, QString::number(next), holderOf(next)).outcome != OfferOutcome::Saved)
            return 1;
    }
}
