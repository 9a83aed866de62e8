#include "recordpair.h"
#include "recordstore.h"
#include "recordfiles.h"
#include "recordsaver.h"

#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#ifndef Q_OS_WIN
#    include <unistd.h>
#endif

Q_DECLARE_METATYPE(OfferOutcome)
using Files = QMap<QString, QByteArray>; // a folder's files by name
Q_DECLARE_METATYPE(Files)

namespace {

// The lock file of a game that no longer runs on this machine. Its host line
// is empty, which Qt takes for this machine everywhere: on Windows its lock
// names the machine by COMPUTERNAME, elsewhere by the host name.
const QByteArray deadGameLock = QByteArrayLiteral("2147483646\nponderine\n\n");

QStringList folderEntries(const QString &dir)
{
    const auto all = QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot;
    return QDir(dir).entryList(all, QDir::Name);
}

} // namespace

class TstRecordStore : public QObject
{
    Q_OBJECT

private slots:
    void dataFolders();
    void paths_data();
    void paths();

    void firstRun();
    void ensureKeepsExistingContent();
    void offer_data();
    void offer();
    void nameBytes_data();
    void nameBytes();
    void noTemporaryFilesLeft();
    void startAfterCutShortSave_data();
    void startAfterCutShortSave();
    void startLeavesALiveSave();
    void saveKilledAnywhere();
    void carryOver_data();
    void carryOver();
    void offerRereads_data();
    void offerRereads();
    void unreadableRecordIsKept();
    void lock_data();
    void lock();

    void folderIsAFile_data();
    void folderIsAFile();
    void scoreFileIsAFolder();
    void nameFileIsAFolder();

    void codec_data();
    void codec();
    void everyByteRoundTrips();

    void readFile_data();
    void readFile();
    void readHugeFile();
    void readFailure_data();
    void readFailure();
    void storedScore_data();
    void storedScore();
};

void TstRecordStore::dataFolders()
{
#ifdef Q_OS_WIN
    // The roaming folder, which follows the pupil in a school domain; the
    // Windows directory is only where an old record may be carried from.
    QCOMPARE(recordpair::dataFolder(),
             QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA")) + QStringLiteral("/ponderine/"));
    QCOMPARE(recordpair::carryOverFolders(),
             QStringList({qEnvironmentVariable("LOCALAPPDATA") + QStringLiteral("\\VirtualStore\\Windows\\"),
                          qEnvironmentVariable("windir") + QStringLiteral("\\")}));
#else
    QTemporaryDir home;
    QVERIFY(home.isValid());
    const QByteArray saved = qgetenv("XDG_DATA_HOME");
    const bool wasSet = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.path()));
    const QString dir = recordpair::dataFolder();
    if (wasSet)
        qputenv("XDG_DATA_HOME", saved);
    else
        qunsetenv("XDG_DATA_HOME");
    QCOMPARE(dir, home.path() + QStringLiteral("/ponderine/"));
    QCOMPARE(recordpair::carryOverFolders(), QStringList());
#endif
}

void TstRecordStore::paths_data()
{
    QTest::addColumn<QString>("dataDir");
    QTest::addColumn<QString>("score");
    QTest::addColumn<QString>("name");
    // clang-format off
    QTest::newRow("ends in separator") << "/data/ponderine/" << "/data/ponderine/tvk.txt"
                                       << "/data/ponderine/ntvk.txt";
    QTest::newRow("no separator") << "/data/ponderine" << "/data/ponderine/tvk.txt"
                                  << "/data/ponderine/ntvk.txt";
    QTest::newRow("root") << "/" << "/tvk.txt" << "/ntvk.txt";
    // clang-format on
}

// The folder always ends in a separator; the file names must not double it.
void TstRecordStore::paths()
{
    QFETCH(QString, dataDir);
    QFETCH(QString, score);
    QFETCH(QString, name);
    const RecordStore store(dataDir);
    QCOMPARE(store.scorePath(), score);
    QCOMPARE(store.namePath(), name);
}

// A clean machine: the folder and its missing parents appear, with two empty files.
void TstRecordStore::firstRun()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const RecordStore store(tmp.filePath(QStringLiteral("share/deeper/ponderine/")));

    const RecordError error = store.ensureFilesExist();
    QVERIFY2(!error.isError(), qPrintable(error.path + QLatin1String(": ") + error.reason));
    QVERIFY(QFileInfo(store.dataDir()).isDir());
    QCOMPARE(readBytes(store.scorePath()), QByteArray());
    QCOMPARE(readBytes(store.namePath()), QByteArray());

    const LoadResult loaded = store.load();
    QVERIFY(!loaded.error.isError());
    QCOMPARE(loaded.texts.score, QString());
    QCOMPARE(loaded.texts.name, QString());
}

void TstRecordStore::ensureKeepsExistingContent()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const RecordStore store(tmp.path() + QLatin1Char('/'));
    QVERIFY(writeBytes(store.scorePath(), "12\r\n"));
    QVERIFY(writeBytes(store.namePath(), "Anna\r\n"));
    QVERIFY(!store.ensureFilesExist().isError());
    QVERIFY(!store.ensureFilesExist().isError());
    QCOMPARE(readBytes(store.scorePath()), QByteArray("12\r\n"));
    QCOMPARE(readBytes(store.namePath()), QByteArray("Anna\r\n"));

    const LoadResult loaded = store.load();
    QCOMPARE(loaded.texts.score, QStringLiteral("12\r\n"));
    QCOMPARE(loaded.texts.name, QStringLiteral("Anna\r\n"));
}

void TstRecordStore::offer_data()
{
    QTest::addColumn<QByteArray>("storedFile");
    QTest::addColumn<int>("playerScore");
    QTest::addColumn<QString>("player");
    QTest::addColumn<OfferOutcome>("outcome");
    QTest::addColumn<QByteArray>("scoreAfter");
    QTest::addColumn<QByteArray>("nameAfter");

    const QByteArray anna("Anna\r\n");
    const auto kept = OfferOutcome::NotBeaten;
    const auto saved = OfferOutcome::Saved;
    // clang-format off
    QTest::newRow("tie keeps the holder") << QByteArray("12\r\n") << 12 << "Bea" << kept
                                          << QByteArray("12\r\n") << anna;
    QTest::newRow("lower score") << QByteArray("12\r\n") << 3 << "Bea" << kept
                                 << QByteArray("12\r\n") << anna;
    QTest::newRow("one more beats it") << QByteArray("12\r\n") << 13 << "Bea" << saved
                                       << QByteArray("13\r\n") << QByteArray("Bea\r\n");
    QTest::newRow("zero never a record") << QByteArray() << 0 << "Bea" << kept << QByteArray()
                                         << anna;
    QTest::newRow("first record") << QByteArray() << 1 << "Bea" << saved << QByteArray("1\r\n")
                                  << QByteArray("Bea\r\n");
    QTest::newRow("empty name") << QByteArray("12\r\n") << 13 << "" << saved
                                << QByteArray("13\r\n") << QByteArray("\r\n");
    QTest::newRow("fraction above") << QByteArray("12.5\r\n") << 12 << "Bea" << kept
                                    << QByteArray("12.5\r\n") << anna;
    QTest::newRow("fraction below") << QByteArray("12.5\r\n") << 13 << "Bea" << saved
                                    << QByteArray("13\r\n") << QByteArray("Bea\r\n");
    QTest::newRow("record not a number") << QByteArray("abc\r\n") << 1 << "Bea" << saved
                                         << QByteArray("1\r\n") << QByteArray("Bea\r\n");
    QTest::newRow("record beyond reach") << QByteArray("99999999999999999999\r\n") << 32767
                                         << "Bea" << kept
                                         << QByteArray("99999999999999999999\r\n") << anna;
    QTest::newRow("below zero") << QByteArray() << -1 << "Bea" << kept << QByteArray() << anna;
    // clang-format on
}

// The record moves only when strictly beaten; the stored text is what the game loaded.
void TstRecordStore::offer()
{
    QFETCH(QByteArray, storedFile);
    QFETCH(int, playerScore);
    QFETCH(QString, player);
    QFETCH(OfferOutcome, outcome);
    QFETCH(QByteArray, scoreAfter);
    QFETCH(QByteArray, nameAfter);

    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const RecordStore store(tmp.path() + QLatin1Char('/'));
    QVERIFY(writeBytes(store.scorePath(), storedFile));
    QVERIFY(writeBytes(store.namePath(), "Anna\r\n"));
    const LoadResult loaded = store.load();
    QVERIFY(!loaded.error.isError());

    const OfferResult result = store.offerRecord(loaded.texts.score, playerScore, player);
    QCOMPARE(result.outcome, outcome);
    QVERIFY(!result.error.isError());
    QCOMPARE(readBytes(store.scorePath()), scoreAfter);
    QCOMPARE(readBytes(store.namePath()), nameAfter);
}

void TstRecordStore::nameBytes_data()
{
    QTest::addColumn<QString>("player");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("readBack");
    // clang-format off
    QTest::newRow("grave accent") << "Niccolò" << QByteArray("Niccol\xF2\r\n") << "Niccolò\r\n";
    QTest::newRow("diaeresis") << "Zoë" << QByteArray("Zo\xEB\r\n") << "Zoë\r\n";
    QTest::newRow("euro sign") << "€" << QByteArray("\x80\r\n") << "€\r\n";
    QTest::newRow("code page extras") << "Šš Œ™…" << QByteArray("\x8A\x9A \x8C\x99\x85\r\n")
                                      << "Šš Œ™…\r\n";
    QTest::newRow("top of Latin-1") << "ÿ\u00A0ß" << QByteArray("\xFF\xA0\xDF\r\n")
                                    << "ÿ\u00A0ß\r\n";
    QTest::newRow("CJK") << "Li 李" << QByteArray("Li ?\r\n") << "Li ?\r\n";
    QTest::newRow("emoji is one character") << "Bea 😀!" << QByteArray("Bea ?!\r\n")
                                            << "Bea ?!\r\n";
    QTest::newRow("pasted line end") << "Anna\r\nBea" << QByteArray("AnnaBea\r\n")
                                     << "AnnaBea\r\n";
    QTest::newRow("lone line feed") << "Anna\nBea\r" << QByteArray("AnnaBea\r\n") << "AnnaBea\r\n";
    QTest::newRow("tab") << "Anna\tBea" << QByteArray("AnnaBea\r\n") << "AnnaBea\r\n";
    QTest::newRow("other controls") << QStringLiteral("A\u0000B\u007FC\u0085D")
                                    << QByteArray("ABCD\r\n") << "ABCD\r\n";
    // clang-format on
}

// The name file is one line of single bytes, and the next game reads back what was written.
void TstRecordStore::nameBytes()
{
    QFETCH(QString, player);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, readBack);

    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const RecordStore store(tmp.path() + QLatin1Char('/'));
    QVERIFY(!store.ensureFilesExist().isError());
    const OfferResult offered = store.offerRecord(QString(), 5, player);
    QCOMPARE(offered.outcome, OfferOutcome::Saved);
    QCOMPARE(readBytes(store.namePath()), bytes);
    QCOMPARE(store.load().texts.name, readBack);
}

// The rewrite goes through a temporary file beside the record; none may stay behind.
void TstRecordStore::noTemporaryFilesLeft()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const RecordStore store(tmp.path() + QLatin1Char('/'));
    QVERIFY(!store.ensureFilesExist().isError());
    QCOMPARE(store.offerRecord(QString(), 7, QStringLiteral("Bea")).outcome, OfferOutcome::Saved);
    QCOMPARE(store.offerRecord(QStringLiteral("7\r\n"), 8, QStringLiteral("Ugo")).outcome, OfferOutcome::Saved);
    QCOMPARE(folderEntries(tmp.path()), QStringList({"ntvk.txt", "tvk.txt"}));
    QCOMPARE(readBytes(store.scorePath()), QByteArray("8\r\n"));
}

void TstRecordStore::startAfterCutShortSave_data()
{
    QTest::addColumn<Files>("before");
    QTest::addColumn<QByteArray>("scoreAfter");
    QTest::addColumn<QByteArray>("nameAfter");
    QTest::addColumn<QStringList>("kept"); // besides tvk.txt and ntvk.txt

    const QByteArray twelve("12\r\n"), anna("Anna\r\n"), thirteen("13\r\n"), bea("Bea\r\n");
    const Files old = {{"tvk.txt", twelve}, {"ntvk.txt", anna}};
    const auto with = [&old](const Files &more) {
        Files all = old;
        all.insert(more);
        return all;
    };
    // A person's copies of the record, whatever they are called, are not the game's to remove.
    const QStringList copies = {"Copia di tvk.txt", "ntvk.txt.old123", "ntvk.txt.x9Y8z7", "tvk.txt.Ab12Cd",
                                "tvk.txt.backup",   "tvk.txt.bak",     "tvk.txt.new",     "tvk.txt~"};
    Files withCopies = old;
    for (const QString &copy : copies)
        withCopies.insert(copy, "7\r\n");
    // clang-format off
    QTest::newRow("a person's copies") << withCopies << twelve << anna << copies;
    QTest::newRow("cut while staging") << with({{"tvk.txt.ponderine-new", thirteen}, {"ntvk.txt.ponderine-new", "Be"}}) << twelve << anna << QStringList();
    QTest::newRow("staged, not marked") << with({{"tvk.txt.ponderine-new", thirteen}, {"ntvk.txt.ponderine-new", bea}}) << twelve << anna << QStringList();
    QTest::newRow("marked, none in place") << with({{"tvk.txt.ponderine-new", thirteen}, {"ntvk.txt.ponderine-new", bea}, {"tvk.txt.ponderine-commit", ""}}) << thirteen << bea << QStringList();
    QTest::newRow("marked, score in place") << Files{{"tvk.txt", thirteen}, {"ntvk.txt", anna}, {"ntvk.txt.ponderine-new", bea}, {"tvk.txt.ponderine-commit", ""}} << thirteen << bea << QStringList();
    QTest::newRow("marked, both in place") << Files{{"tvk.txt", thirteen}, {"ntvk.txt", bea}, {"tvk.txt.ponderine-commit", ""}} << thirteen << bea << QStringList();
    QTest::newRow("lock of a game gone") << with({{"tvk.txt.lock", deadGameLock}}) << twelve << anna << QStringList();
    QTest::newRow("lock left empty") << with({{"tvk.txt.lock", ""}}) << twelve << anna << QStringList();
    QTest::newRow("marked, a dead game's lock") << with({{"tvk.txt.lock", deadGameLock}, {"tvk.txt.ponderine-new", thirteen}, {"ntvk.txt.ponderine-new", bea}, {"tvk.txt.ponderine-commit", ""}}) << thirteen << bea << QStringList();
    // clang-format on
}

// The next start reads a pair that was saved together, and nothing of the cut save stays.
void TstRecordStore::startAfterCutShortSave()
{
    QFETCH(Files, before);
    QFETCH(QByteArray, scoreAfter);
    QFETCH(QByteArray, nameAfter);
    QFETCH(QStringList, kept);

    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const RecordStore store(tmp.path() + QLatin1Char('/'));
    for (auto file = before.cbegin(); file != before.cend(); ++file)
        QVERIFY(writeBytes(tmp.filePath(file.key()), file.value()));

    QVERIFY(!store.ensureFilesExist().isError());
    QCOMPARE(readBytes(store.scorePath()), scoreAfter);
    QCOMPARE(readBytes(store.namePath()), nameAfter);
    for (const QString &copy : std::as_const(kept))
        QCOMPARE(readBytes(tmp.filePath(copy)), before.value(copy));
    kept << "ntvk.txt"
         << "tvk.txt";
    kept.sort();
    QCOMPARE(folderEntries(tmp.path()), kept);
}

// A game saving now keeps its working files: the start leaves them to it.
void TstRecordStore::startLeavesALiveSave()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const RecordStore store(tmp.path() + QLatin1Char('/'));
    QVERIFY(writeBytes(store.scorePath(), "12\r\n"));
    QVERIFY(writeBytes(tmp.filePath("tvk.txt.ponderine-new"), "13\r\n"));
    // Another game's start, while this one is in its save.
    recordpair::replace(store.scorePath(), store.namePath(), "14\r\n", "Bea\r\n", [&](RecordError *) {
        [&] { QVERIFY(!store.ensureFilesExist().isError()); }();
        return false;
    });
    QCOMPARE(readBytes(tmp.filePath("tvk.txt.ponderine-new")), QByteArray("13\r\n"));
    QCOMPARE(readBytes(store.scorePath()), QByteArray("12\r\n"));
}

// A game killed anywhere in its saves, again and again, and every other one
// in its start, as it finishes the save the one before left: each next start
// reads a score with the holder saved with it (record_saver checks its own),
// and nothing of the cut save stays.
void TstRecordStore::saveKilledAnywhere()
{
    if (qEnvironmentVariableIsSet("PONDERINE_NO_CHILD_PROCESSES"))
        QSKIP("This emulator cannot start a child process");
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const RecordStore store(tmp.path() + QLatin1Char('/'));
    const int kills =
        qEnvironmentVariableIsSet("PONDERINE_KILLS") ? qEnvironmentVariableIntValue("PONDERINE_KILLS") : 200;
    const QString saver =
        QStandardPaths::findExecutable(QStringLiteral("record_saver"), {QCoreApplication::applicationDirPath()});
    QVERIFY(!saver.isEmpty());
    QRandomGenerator random(20261208);
    int score = 0;
    int startsFailed = 0;
    int leftToFinish = 0;
    for (int k = 0; k < kills; ++k) {
        const bool inStart = k % 2 == 1;
        const QStringList before = folderEntries(tmp.path());
        QProcess process;
        process.start(saver, {store.dataDir()});
        // Wine now and then fails to start a process just after a kill ("Internal error"): tried again.
        if (!process.waitForStarted()) {
            QVERIFY2(++startsFailed < 5, qPrintable(process.errorString()));
            --k;
            continue;
        }
        if (inStart) {
            // From the moment its start first touches the folder.
            leftToFinish += before.size() > 2;
            QElapsedTimer waited;
            waited.start();
            while (folderEntries(tmp.path()) == before && !waited.hasExpired(20000)) { }
        } else {
            // Once it is saving, at a random point of a save.
            const QByteArray seen = readBytes(store.scorePath());
            QTRY_VERIFY_WITH_TIMEOUT(readBytes(store.scorePath()) != seen || process.state() != QProcess::Running,
                                     20000);
        }
        QThread::usleep(random.bounded(3000));
        QVERIFY2(!process.waitForFinished(0),
                 qPrintable(QStringLiteral("record_saver ended with %1: %2")
                                .arg(process.exitCode())
                                .arg(QString::fromLocal8Bit(process.readAll()))));
        process.kill();
        QVERIFY(process.waitForFinished());
        if (!inStart)
            continue;

        QVERIFY(!store.ensureFilesExist().isError());
        const LoadResult loaded = store.load();
        const int now = int(storedScoreValue(loaded.texts.score));
        QCOMPARE(loaded.texts.name, now > 0 ? holderOf(now) + QStringLiteral("\r\n") : QString());
        QVERIFY(now >= score);
        score = now;
        QCOMPARE(folderEntries(tmp.path()), QStringList({"ntvk.txt", "tvk.txt"}));
    }
    qInfo("%d kills, %d of them in a start that had a cut save to finish; %d records saved", kills, leftToFinish,
          score);
}

void TstRecordStore::carryOver_data()
{
    QTest::addColumn<Files>("first"); // in the carry-over folder looked in first
    QTest::addColumn<Files>("there"); // in the one looked in next
    QTest::addColumn<Files>("here");  // in the data folder
    QTest::addColumn<QByteArray>("scoreAfter");
    QTest::addColumn<QByteArray>("nameAfter");

    const Files old = {{"tvk.txt", "12\r\n"}, {"ntvk.txt", "Niccol\xF2\r\n"}};
    // clang-format off
    QTest::newRow("first start") << Files() << old << Files() << QByteArray("12\r\n") << QByteArray("Niccol\xF2\r\n");
    QTest::newRow("no record here yet") << Files() << old << Files{{"tvk.txt", ""}, {"ntvk.txt", ""}} << QByteArray("12\r\n") << QByteArray("Niccol\xF2\r\n");
    QTest::newRow("a record here") << Files() << old << Files{{"tvk.txt", "3\r\n"}, {"ntvk.txt", "Bea\r\n"}} << QByteArray("3\r\n") << QByteArray("Bea\r\n");
    QTest::newRow("no record there") << Files() << Files{{"tvk.txt", ""}, {"ntvk.txt", ""}} << Files() << QByteArray() << QByteArray();
    QTest::newRow("a score alone there") << Files() << Files{{"tvk.txt", "12\r\n"}} << Files() << QByteArray() << QByteArray();
    QTest::newRow("nothing there") << Files() << Files() << Files() << QByteArray() << QByteArray();
    QTest::newRow("the first folder wins") << Files{{"tvk.txt", "30\r\n"}, {"ntvk.txt", "Ugo\r\n"}} << old << Files() << QByteArray("30\r\n") << QByteArray("Ugo\r\n");
    QTest::newRow("none in the first") << Files{{"tvk.txt", ""}, {"ntvk.txt", "Ugo\r\n"}} << old << Files() << QByteArray("12\r\n") << QByteArray("Niccol\xF2\r\n");
    // clang-format on
}

// A record in an old place is carried into the data folder once; the old places are only read.
void TstRecordStore::carryOver()
{
    QFETCH(Files, first);
    QFETCH(Files, there);
    QFETCH(Files, here);
    QFETCH(QByteArray, scoreAfter);
    QFETCH(QByteArray, nameAfter);

    QTemporaryDir firstPlace, oldPlace, dataPlace;
    QVERIFY(firstPlace.isValid() && oldPlace.isValid() && dataPlace.isValid());
    const QList<std::pair<const QTemporaryDir *, Files>> places = {
        {&firstPlace, first}, {&oldPlace, there}, {&dataPlace, here}};
    for (const auto &[place, files] : places) {
        for (auto file = files.cbegin(); file != files.cend(); ++file)
            QVERIFY(writeBytes(place->filePath(file.key()), file.value()));
    }
    const RecordStore store(dataPlace.path() + QLatin1Char('/'), {firstPlace.path(), oldPlace.path()});

    QVERIFY(!store.ensureFilesExist().isError());
    QVERIFY(!store.ensureFilesExist().isError());
    QCOMPARE(readBytes(store.scorePath()), scoreAfter);
    QCOMPARE(readBytes(store.namePath()), nameAfter);
    QCOMPARE(folderEntries(store.dataDir()), QStringList({"ntvk.txt", "tvk.txt"}));
    for (const auto &[place, files] : places.first(2)) {
        QCOMPARE(folderEntries(place->path()), QStringList(files.keys()));
        for (auto file = files.cbegin(); file != files.cend(); ++file)
            QCOMPARE(readBytes(place->filePath(file.key())), file.value());
    }
}

void TstRecordStore::offerRereads_data()
{
    QTest::addColumn<QByteArray>("fileNow"); // null: no score file at all
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("playerScore");
    QTest::addColumn<OfferOutcome>("outcome");
    QTest::addColumn<QByteArray>("scoreAfter");

    const auto kept = OfferOutcome::NotBeaten;
    const auto saved = OfferOutcome::Saved;
    // Two games started with 5; the other one ended first, with 20.
    // clang-format off
    QTest::newRow("other game saved more") << QByteArray("20\r\n") << "5\r\n" << 10 << kept << QByteArray("20\r\n");
    QTest::newRow("other game saved less") << QByteArray("7\r\n") << "5\r\n" << 10 << saved << QByteArray("10\r\n");
    // clang-format on
    // The start could not read the record (its name file was unusable), so nothing was shown.
    // clang-format off
    QTest::newRow("unread at the start") << QByteArray("12\r\n") << "" << 1 << kept << QByteArray("12\r\n");
    QTest::newRow("emptied since") << QByteArray("") << "12\r\n" << 5 << kept << QByteArray("");
    QTest::newRow("removed since") << QByteArray() << "5\r\n" << 6 << saved << QByteArray("6\r\n");
    // clang-format on
}

// A record is never replaced by a lower score, whatever happened to the file during the game.
void TstRecordStore::offerRereads()
{
    QFETCH(QByteArray, fileNow);
    QFETCH(QString, shown);
    QFETCH(int, playerScore);
    QFETCH(OfferOutcome, outcome);
    QFETCH(QByteArray, scoreAfter);

    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const RecordStore store(tmp.path() + QLatin1Char('/'));
    QVERIFY(writeBytes(store.namePath(), "Anna\r\n"));
    if (!fileNow.isNull())
        QVERIFY(writeBytes(store.scorePath(), fileNow));
    const OfferResult result = store.offerRecord(shown, playerScore, QStringLiteral("Bea"));
    QCOMPARE(result.outcome, outcome);
    QVERIFY(!result.error.isError());
    QCOMPARE(readBytes(store.scorePath()), scoreAfter);
    QCOMPARE(readBytes(store.namePath()),
             outcome == OfferOutcome::Saved ? QByteArray("Bea\r\n") : QByteArray("Anna\r\n"));
}

// A score file that can be written but not read is left alone, and the game is told why.
void TstRecordStore::unreadableRecordIsKept()
{
#ifdef Q_OS_WIN
    QSKIP("Needs POSIX permission bits");
#else
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const RecordStore store(tmp.path() + QLatin1Char('/'));
    QVERIFY(writeBytes(store.scorePath(), "12\r\n"));
    QVERIFY(writeBytes(store.namePath(), "Anna\r\n"));
    QVERIFY(QFile::setPermissions(store.scorePath(), QFile::WriteOwner));

    // Permission bits do not stop root: the offer runs as an ordinary user then.
    const uid_t nobody = 65534;
    const bool asRoot = geteuid() == 0;
    if (asRoot) {
        for (const QString &path : {tmp.path(), store.scorePath(), store.namePath()})
            QVERIFY(chown(QFile::encodeName(path).constData(), nobody, gid_t(-1)) == 0);
        QVERIFY(seteuid(nobody) == 0);
    }
    const OfferResult result = store.offerRecord(QStringLiteral("12\r\n"), 13, QStringLiteral("Bea"));
    if (asRoot)
        QVERIFY(seteuid(0) == 0);

    QCOMPARE(result.outcome, OfferOutcome::Unreadable);
    QCOMPARE(result.error.path, store.scorePath());
    QVERIFY(!result.error.reason.isEmpty());
    QVERIFY(QFile::setPermissions(store.scorePath(), QFile::ReadOwner | QFile::WriteOwner));
    QCOMPARE(readBytes(store.scorePath()), QByteArray("12\r\n"));
    QCOMPARE(readBytes(store.namePath()), QByteArray("Anna\r\n"));
#endif
}

void TstRecordStore::lock_data()
{
    QTest::addColumn<bool>("heldByLiveGame");
    QTest::newRow("another game is saving") << true;
    QTest::newRow("left by a game that crashed") << false;
}

// Two games never compare and write at once; a lock whose game is gone does not block.
void TstRecordStore::lock()
{
    QFETCH(bool, heldByLiveGame);
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const RecordStore store(tmp.path() + QLatin1Char('/'));
    QVERIFY(!store.ensureFilesExist().isError());
    QVERIFY(writeBytes(store.scorePath(), "5\r\n"));
    const QString lockFile = tmp.filePath(QStringLiteral("tvk.txt.lock"));
    OfferResult result;
    const auto offer = [&] { result = store.offerRecord(QStringLiteral("5\r\n"), 6, QStringLiteral("Bea")); };
    if (heldByLiveGame) { // offered while another game is in its save
        recordpair::replace(store.scorePath(), store.namePath(), "9\r\n", "Ugo\r\n", [&](RecordError *) {
            offer();
            return false;
        });
    } else {
        QVERIFY(writeBytes(lockFile, deadGameLock));
        offer();
    }
    QCOMPARE(result.outcome, heldByLiveGame ? OfferOutcome::Failed : OfferOutcome::Saved);
    QCOMPARE(readBytes(store.scorePath()), heldByLiveGame ? QByteArray("5\r\n") : QByteArray("6\r\n"));
    QCOMPARE(result.error.kind, heldByLiveGame ? RecordError::Kind::InUse : RecordError::Kind::None);
    QCOMPARE(result.error.path, heldByLiveGame ? store.scorePath() : QString());
    QVERIFY(!QFile::exists(lockFile));
}

void TstRecordStore::folderIsAFile_data()
{
    // Relative to the temporary folder, where "blocked" is a plain file.
    QTest::addColumn<QString>("dataDir");
    QTest::newRow("the folder itself") << "blocked/";
    QTest::newRow("a parent") << "blocked/ponderine/";
    QTest::newRow("none found") << QString(); // the system could not say where
}

// Permission bits do not stop root, so the folder is made impossible instead.
// Every step reports the failing path and why, and nothing claims to be saved.
void TstRecordStore::folderIsAFile()
{
    QFETCH(QString, dataDir);
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    QVERIFY(writeBytes(tmp.filePath(QStringLiteral("blocked")), "not a folder"));
    const RecordStore store(dataDir.isNull() ? QString() : tmp.filePath(dataDir));
    // The system says why, unless it could not say where the folder is.
    const auto explained = [&](const RecordError &error) {
        return error.path == store.scorePath()
            && (dataDir.isNull() ? error.kind == RecordError::Kind::NoFolder && error.reason.isEmpty()
                                 : error.kind == RecordError::Kind::System && !error.reason.isEmpty());
    };

    const RecordError ensured = store.ensureFilesExist();
    QVERIFY(explained(ensured));

    const LoadResult loaded = store.load();
    QVERIFY(explained(loaded.error));
    QCOMPARE(loaded.texts.score, QString());
    QCOMPARE(loaded.texts.name, QString());

    const OfferResult offered = store.offerRecord(QString(), 13, QStringLiteral("Bea"));
    QCOMPARE(offered.outcome, OfferOutcome::Failed);
    QVERIFY(explained(offered.error));
    QCOMPARE(readBytes(tmp.filePath(QStringLiteral("blocked"))), QByteArray("not a folder"));
}

// When the score cannot be written the name is not touched, or the holder would change
// without the score.
void TstRecordStore::scoreFileIsAFolder()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const RecordStore store(tmp.path() + QLatin1Char('/'));
    QVERIFY(QDir().mkdir(store.scorePath()));
    QVERIFY(writeBytes(store.namePath(), "Anna\r\n"));
    const RecordError ensured = store.ensureFilesExist();
    QCOMPARE(ensured.path, store.scorePath());
    QVERIFY(!ensured.reason.isEmpty());

    const OfferResult offered = store.offerRecord(QStringLiteral("12\r\n"), 13, QStringLiteral("Bea"));
    QCOMPARE(offered.outcome, OfferOutcome::Failed);
    QCOMPARE(offered.error.path, store.scorePath());
    QVERIFY(!offered.error.reason.isEmpty());
    QCOMPARE(readBytes(store.namePath()), QByteArray("Anna\r\n"));
    QCOMPARE(folderEntries(tmp.path()), QStringList({"ntvk.txt", "tvk.txt"}));
}

// The name is ready on disk before the score is replaced: a name file that
// cannot be written leaves the score alone, so score and holder stay a pair.
void TstRecordStore::nameFileIsAFolder()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const RecordStore store(tmp.path() + QLatin1Char('/'));
    QVERIFY(writeBytes(store.scorePath(), "12\r\n"));
    QVERIFY(QDir().mkdir(store.namePath()));

    const OfferResult offered = store.offerRecord(QStringLiteral("12\r\n"), 13, QStringLiteral("Bea"));
    QCOMPARE(offered.outcome, OfferOutcome::Failed);
    QCOMPARE(offered.error.path, store.namePath());
    QVERIFY(!offered.error.reason.isEmpty());
    QCOMPARE(readBytes(store.scorePath()), QByteArray("12\r\n"));
    QCOMPARE(folderEntries(tmp.path()), QStringList({"ntvk.txt", "tvk.txt"}));
}

void TstRecordStore::codec_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("reversible");
    // clang-format off
    QTest::newRow("ASCII") << "Anna 12" << QByteArray("Anna 12") << true;
    QTest::newRow("first of the table") << "€" << QByteArray("\x80") << true;
    QTest::newRow("quotes and dashes")
        << "‚ƒ„‘’“”–—" << QByteArray("\x82\x83\x84\x91\x92\x93\x94\x96\x97") << true;
    QTest::newRow("last of the table") << "žŸ" << QByteArray("\x9E\x9F") << true;
    QTest::newRow("undefined bytes") << QStringLiteral("\u0081\u008D\u008F\u0090\u009D")
                                     << QByteArray("\x81\x8D\x8F\x90\x9D") << true;
    QTest::newRow("other C1 code point") << QStringLiteral("\u0080\u009F") << QByteArray("??")
                                         << false;
    QTest::newRow("just past Latin-1") << QStringLiteral("\u0100") << QByteArray("?") << false;
    QTest::newRow("replacement character") << QStringLiteral("\uFFFD") << QByteArray("?") << false;
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) << QByteArray("?") << false;
    QTest::newRow("NUL kept") << QString(QChar(0)) << QByteArray(1, '\0') << true;
    // clang-format on
}

void TstRecordStore::codec()
{
    QFETCH(QString, text);
    QFETCH(QByteArray, bytes);
    QFETCH(bool, reversible);
    QCOMPARE(toWindows1252(text), bytes);
    if (reversible)
        QCOMPARE(fromWindows1252(bytes), text);
}

// A record written by another program in this code page survives a read and a rewrite.
void TstRecordStore::everyByteRoundTrips()
{
    for (int b = 0; b < 256; ++b) {
        const QByteArray byte(1, char(b));
        const QString text = fromWindows1252(byte);
        QCOMPARE(text.size(), 1);
        QCOMPARE(toWindows1252(text), byte);
    }
}

void TstRecordStore::readFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");

    const QByteArray digits(5000, '9');
    // clang-format off
    const QByteArray binary("\x00\x01\xFF\x00" "12", 6);
    // clang-format on
    // clang-format off
    QTest::newRow("empty") << QByteArray() << QString() << 0.0;
    QTest::newRow("record") << QByteArray("12\r\n") << "12\r\n" << 12.0;
    QTest::newRow("garbage") << QByteArray("\x80\xFE#%!") << "€þ#%!" << 0.0;
    QTest::newRow("binary") << binary << fromWindows1252(binary) << 0.0;
    QTest::newRow("too large") << QByteArray("1E999\r\n") << "1E999\r\n" << 0.0;
    QTest::newRow("5000 digits") << digits << QString(4096, QLatin1Char('9')) << 0.0;
    QTest::newRow("20 digits") << QByteArray("99999999999999999999\r\n")
                               << "99999999999999999999\r\n" << 1e20;
    // clang-format on
}

// Whatever sits in the score file, reading it and taking its number stays safe.
void TstRecordStore::readFile()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, text);
    QFETCH(double, value);
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString path = tmp.filePath(QStringLiteral("tvk.txt"));
    QVERIFY(writeBytes(path, content));
    RecordError error;
    const QString read = Leggifiletxt(path, &error);
    QVERIFY(!error.isError());
    QCOMPARE(read, text);
    QCOMPARE(storedScoreValue(read), value);
}

void TstRecordStore::readHugeFile()
{
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    const QString path = tmp.filePath(QStringLiteral("tvk.txt"));
    QVERIFY(writeBytes(path, QByteArray(4096, 'a') + QByteArray(10 * 1024 * 1024, 'b')));
    QCOMPARE(Leggifiletxt(path), QString(4096, QLatin1Char('a')));
}

void TstRecordStore::readFailure_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("missing") << "missing.txt";
    QTest::newRow("a folder") << "folder";
}

void TstRecordStore::readFailure()
{
    QFETCH(QString, name);
    QTemporaryDir tmp;
    QVERIFY(tmp.isValid());
    QVERIFY(QDir(tmp.path()).mkdir(QStringLiteral("folder")));
    const QString path = tmp.filePath(name);

    RecordError error;
    QCOMPARE(Leggifiletxt(path, &error), QString());
    QCOMPARE(error.path, path);
    QVERIFY(!error.reason.isEmpty());
    QCOMPARE(Leggifiletxt(path), QString());
}

void TstRecordStore::storedScore_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("record line") << "12\r\n" << 12.0;
    QTest::newRow("leading blanks") << "  7x" << 7.0;
    QTest::newRow("leading tab") << "\t9" << 9.0;
    QTest::newRow("empty") << "" << 0.0;
    QTest::newRow("letters") << "abc" << 0.0;
    QTest::newRow("fraction") << "3.5" << 3.5;
    QTest::newRow("no leading digit") << ".5" << 0.5;
    QTest::newRow("trailing point") << "5." << 5.0;
    QTest::newRow("point alone") << "." << 0.0;
    QTest::newRow("second point stops") << "1.2.3" << 1.2;
    QTest::newRow("comma is no decimal point") << "1,5" << 1.0;
    QTest::newRow("exponent") << "1E2" << 100.0;
    QTest::newRow("lower-case exponent") << "1e2" << 100.0;
    QTest::newRow("negative exponent") << "25e-1" << 2.5;
    QTest::newRow("exponent without digits") << "1e" << 1.0;
    QTest::newRow("exponent sign without digits") << "4E+x" << 4.0;
    QTest::newRow("largest exponent") << "1E308" << 1e308;
    QTest::newRow("past the largest") << "1E309" << 0.0;
    QTest::newRow("far past") << "1E999" << 0.0;
    QTest::newRow("negative") << "-4" << -4.0;
    QTest::newRow("plus sign") << "+4" << 4.0;
    QTest::newRow("sign alone") << "-" << 0.0;
    QTest::newRow("double sign") << "--4" << 0.0;
    QTest::newRow("blank after sign") << "- 4" << 0.0;
    QTest::newRow("infinity word") << "inf" << 0.0;
    QTest::newRow("not-a-number word") << "nan" << 0.0;
    QTest::newRow("hexadecimal") << "0x10" << 0.0;
    QTest::newRow("non-ASCII digits") << QStringLiteral("\u0661\u0662") << 0.0;
    QTest::newRow("full-width digits") << QStringLiteral("\uFF11\uFF12") << 0.0;
}

void TstRecordStore::storedScore()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(storedScoreValue(text), value);
}

QTEST_GUILESS_MAIN(TstRecordStore)
#include "tst_recordstore.moc"
