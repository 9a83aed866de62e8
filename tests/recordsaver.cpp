// Starts as a game does, then saves ever higher records until it is killed:
// tst_recordstore cuts it short anywhere and reads back what is left. With
// "once" it saves one record and ends, for record_syncs.py to trace.
#include "recordsaver.h"
#include "recordstore.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2 && (argc != 3 || qstrcmp(argv[2], "once") != 0))
        return 2;
    const RecordStore store(QString::fromLocal8Bit(argv[1]));
    if (store.ensureFilesExist().isError())
        return 1;
    for (;;) {
        const RecordTexts stored = store.load().texts;
        const int score = int(storedScoreValue(stored.score));
        // What its start read, and each save since: a score with the holder saved with it.
        if (stored.name != (score > 0 ? holderOf(score) + QStringLiteral("\r\n") : QString())) {
            std::printf("score %d read with the holder \"%s\"\n", score, qPrintable(stored.name));
            return 3;
        }
        if (store.offerRecord(stored.score, score + 1, holderOf(score + 1)).outcome != OfferOutcome::Saved)
            return 1;
        if (argc == 3)
            return 0;
    }
}
