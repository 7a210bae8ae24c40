// SPDX-License-Identifier: GPL-3.0-or-later
#include "fuzz/check.h"
#include "fuzz/targets.h"

#include <QDir>
#include <QFile>
#include <QTest>

// Every seed of every fuzz target, replayed through the target's own entry point, so
// that the properties the fuzzers check hold in every build, not only when someone
// fuzzes.

namespace {

struct Target
{
    const char *name;
    void (*fuzzOne)(const uint8_t *data, size_t size);
};

const Target targets[] = {
    {"decoders", fuzz::decoders::fuzzOne},
    {"trace", fuzz::trace::fuzzOne},
    {"settings", fuzz::settings::fuzzOne},
    {"manualentry", fuzz::manualentry::fuzzOne},
    {"simprojector", fuzz::simprojector::fuzzOne},
    {"receiveroad", fuzz::receiveroad::fuzzOne},
    {"telnetcodec", fuzz::telnetcodec::fuzzOne},
    {"statechanges", fuzz::statechanges::fuzzOne},
    {"requests", fuzz::requests::fuzzOne},
    {"pjlink", fuzz::pjlink::fuzzOne},
};

const QDir corpus(QStringLiteral(FUZZ_CORPUS_DIR));

} // namespace

class tst_CorpusReplay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { fuzz::throwOnFailure(); }
    void everyTargetHasSeedsAndEverySeedATarget();
    void replay_data();
    void replay();
};

void tst_CorpusReplay::everyTargetHasSeedsAndEverySeedATarget()
{
    QStringList names;
    for (const Target &target : targets) {
        names << QLatin1String(target.name);
        QVERIFY2(!QDir(corpus.filePath(names.last())).isEmpty(QDir::Files),
                 qPrintable(names.last() + QStringLiteral(" has no seed corpus")));
    }
    names.sort();
    QCOMPARE(corpus.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name), names);
}

void tst_CorpusReplay::replay_data()
{
    QTest::addColumn<int>("target");
    QTest::addColumn<QString>("path");
    for (int i = 0; i < int(std::size(targets)); ++i) {
        const QDir seeds(corpus.filePath(QLatin1String(targets[i].name)));
        for (const QString &file : seeds.entryList(QDir::Files, QDir::Name)) {
            const QString tag = QLatin1String(targets[i].name) + QLatin1Char('/') + file;
            QTest::newRow(qPrintable(tag)) << i << seeds.filePath(file);
        }
    }
}

void tst_CorpusReplay::replay()
{
    QFETCH(int, target);
    QFETCH(QString, path);

    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray seed = file.readAll();
    try {
        targets[target].fuzzOne(reinterpret_cast<const uint8_t *>(seed.constData()),
                                size_t(seed.size()));
    } catch (const fuzz::Failure &failure) {
        QFAIL(failure.what());
    }
}

QTEST_MAIN(tst_CorpusReplay)
#include "tst_corpusreplay.moc"
