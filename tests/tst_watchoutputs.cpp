// SPDX-License-Identifier: GPL-3.0-or-later
#include "watch/exposition.h"
#include "watch/jsonline.h"
#include "watch/lineoutput.h"
#include "watch/table.h"
#include "watch/textfile.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace watch;

Q_DECLARE_METATYPE(watch::Query)

// What the watch shows of its readings: the metrics text, the JSON lines and
// the terminal table.
class WatchOutputsTest : public QObject
{
    Q_OBJECT

private slots:
    void metricsOfAProjector_data();
    void metricsOfAProjector();
    void downProjectorKeepsNoValue();
    void labelsFollowTheirValues_data();
    void labelsFollowTheirValues();
    void jsonLineHoldsWhatWasRead();
    void tableMarksChangesAndSilence();
    void stalledReaderHoldsNothingUp();
    void textfileReplacedWhole_data();
    void textfileReplacedWhole();
};

namespace {

const QDateTime kNoon(QDate(2026, 12, 8), QTime(12, 0), Qt::UTC);

void take(Reading &r, Query query, const QString &reply)
{
    watch::take(r, *status::readValue(query, reply));
}

Reading answering(const QString &line = QStringLiteral("hall"), int address = 2)
{
    Reading r;
    r.line = line;
    r.address = address;
    r.round = 3;
    r.up = true;
    r.lastAnswer = kNoon;
    r.replySeconds = 0.027;
    take(r, Query::Power, QStringLiteral("00"));
    take(r, Query::Input, QStringLiteral("3"));
    take(r, Query::MuteSignal, QStringLiteral("01"));
    take(r, Query::Reversal, QStringLiteral("10"));
    take(r, Query::LampTime, QStringLiteral("01203"));
    take(r, Query::Temperatures, QStringLiteral("+35.0, 41.5"));
    take(r, Query::Pressure, QStringLiteral("512"));
    take(r, Query::LampMode, QStringLiteral("1A"));
    take(r, Query::LampFailures, QStringLiteral("LAMP FAIL No3"));
    return r;
}

} // namespace

void WatchOutputsTest::metricsOfAProjector_data()
{
    QTest::addColumn<QString>("sample");
    const QString p = QStringLiteral("line=\"hall\",address=\"2\"");
    QTest::newRow("up") << "projector_up{" + p + "} 1";
    QTest::newRow("power on") << "projector_power_state{" + p + ",state=\"on\"} 1";
    QTest::newRow("not standby") << "projector_power_state{" + p + ",state=\"standby\"} 0";
    QTest::newRow("input") << "projector_input_mode{" + p + "} 3";
    QTest::newRow("video muted") << "projector_video_mute{" + p + "} 1";
    QTest::newRow("audio not") << "projector_audio_mute{" + p + "} 0";
    QTest::newRow("signal") << "projector_signal_present{" + p + "} 1";
    QTest::newRow("lamp time in seconds") << "projector_lamp_time_seconds{" + p + "} 4330800";
    QTest::newRow("sensor 2") << "projector_temperature_celsius{" + p + ",sensor=\"2\"} 41.5";
    QTest::newRow("hPa") << "projector_pressure_hectopascals{" + p + "} 650";
    QTest::newRow("mode") << "projector_lamp_mode{" + p + ",mode=\"lamps-1-4\"} 1";
    QTest::newRow("lamp 2 on") << "projector_lamp_on{" + p + ",lamp=\"2\"} 1";
    QTest::newRow("lamp 1 off") << "projector_lamp_on{" + p + ",lamp=\"1\"} 0";
    QTest::newRow("lamp 3 failed") << "projector_lamp_failed{" + p + ",lamp=\"3\"} 1";
    QTest::newRow("reply time") << "projector_reply_duration_seconds{" + p + "} 0.027";
    QTest::newRow("answered at") << "projector_last_answer_timestamp_seconds{" + p + "} 1796731200";
    QTest::newRow("help") << QStringLiteral("# HELP projector_temperature_celsius ");
    QTest::newRow("type") << QStringLiteral("# TYPE projector_watch_rounds_total counter");
    QTest::newRow("rounds") << QStringLiteral("projector_watch_rounds_total{line=\"hall\"} 3");
    QTest::newRow("late") << QStringLiteral("projector_watch_late_rounds_total{line=\"hall\"} 1");
    QTest::newRow("escaped line") << QStringLiteral(
        "projector_up{line=\"a\\\"b\\\\c\",address=\"single\"} 1");
}

void WatchOutputsTest::metricsOfAProjector()
{
    QFETCH(QString, sample);
    const QString text = exposition({answering(), answering(QStringLiteral("a\"b\\c"), 0)},
                                    {{QStringLiteral("hall"), 3, 1, 1.06}});
    QVERIFY2(text.split(QLatin1Char('\n')).contains(sample)
                 || (sample.startsWith('#') && text.contains(sample)),
             qPrintable(text));
}

void WatchOutputsTest::downProjectorKeepsNoValue()
{
    Reading down = answering();
    down.up = false;
    const QStringList lines = exposition({down}, {}).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QStringList samples;
    for (const QString &line : lines) {
        if (!line.startsWith(QLatin1Char('#')))
            samples << line.section(QLatin1Char('{'), 0, 0);
    }
    QCOMPARE(samples, QStringList({"projector_up", "projector_last_answer_timestamp_seconds"}));
    QVERIFY(lines.contains(QStringLiteral("projector_up{line=\"hall\",address=\"2\"} 0")));
}

// Every sample of a labelled family against the reply that sets it, at both
// ends of the label's range.
void WatchOutputsTest::labelsFollowTheirValues_data()
{
    QTest::addColumn<Query>("query");
    QTest::addColumn<QString>("reply");
    QTest::addColumn<QString>("family");
    QTest::addColumn<QStringList>("samples");

    static const char *const states[] = {"on",
                                         "standby",
                                         "count-down",
                                         "cooling-down",
                                         "power-fail",
                                         "temperature-warning",
                                         "no-key-input",
                                         "lamp-off-power-management",
                                         "temperature-warning-cooling-down",
                                         "lamp-off-temperature-warning",
                                         "temperature-warning-recovered",
                                         "cooling-down-all-lamps-failed",
                                         "standby-all-lamps-failed"};
    const auto power = [](const QString &current) {
        QStringList samples;
        for (const char *state : states)
            samples << QStringLiteral("state=\"%1\"} %2").arg(state).arg(current == state);
        return samples;
    };
    QTest::newRow("power on") << Query::Power << "00"
                              << "projector_power_state" << power("on");
    QTest::newRow("power standby, all lamps failed")
        << Query::Power << "81"
        << "projector_power_state" << power("standby-all-lamps-failed");
    QTest::newRow("reversed top/bottom")
        << Query::Reversal << "10"
        << "projector_image_reversed"
        << QStringList{"axis=\"top_bottom\"} 1", "axis=\"left_right\"} 0"};
    QTest::newRow("reversed left/right")
        << Query::Reversal << "01"
        << "projector_image_reversed"
        << QStringList{"axis=\"top_bottom\"} 0", "axis=\"left_right\"} 1"};
    QTest::newRow("sensors") << Query::Temperatures << "-05.5, 41.5"
                             << "projector_temperature_celsius"
                             << QStringList{"sensor=\"1\"} -5.5", "sensor=\"2\"} 41.5"};
    QTest::newRow("four lamps, all on")
        << Query::LampMode << "0F"
        << "projector_lamp_mode"
        << QStringList{"mode=\"four-lamps\"} 1", "mode=\"lamps-1-4\"} 0", "mode=\"lamps-2-3\"} 0"};
    QTest::newRow("lamps 2 and 3, none on")
        << Query::LampMode << "20"
        << "projector_lamp_mode"
        << QStringList{"mode=\"four-lamps\"} 0", "mode=\"lamps-1-4\"} 0", "mode=\"lamps-2-3\"} 1"};
    QTest::newRow("lamp 1 on") << Query::LampMode << "11"
                               << "projector_lamp_on"
                               << QStringList{"lamp=\"1\"} 1", "lamp=\"2\"} 0", "lamp=\"3\"} 0",
                                              "lamp=\"4\"} 0"};
    QTest::newRow("lamp 4 on") << Query::LampMode << "18"
                               << "projector_lamp_on"
                               << QStringList{"lamp=\"1\"} 0", "lamp=\"2\"} 0", "lamp=\"3\"} 0",
                                              "lamp=\"4\"} 1"};
    QTest::newRow("lamp 1 failed")
        << Query::LampFailures << "LAMP FAIL No1"
        << "projector_lamp_failed"
        << QStringList{"lamp=\"1\"} 1", "lamp=\"2\"} 0", "lamp=\"3\"} 0", "lamp=\"4\"} 0"};
    QTest::newRow("lamp 4 failed")
        << Query::LampFailures << "LAMP FAIL No4"
        << "projector_lamp_failed"
        << QStringList{"lamp=\"1\"} 0", "lamp=\"2\"} 0", "lamp=\"3\"} 0", "lamp=\"4\"} 1"};
}

void WatchOutputsTest::labelsFollowTheirValues()
{
    QFETCH(Query, query);
    QFETCH(QString, reply);
    QFETCH(QString, family);
    QFETCH(QStringList, samples);
    Reading r;
    r.line = QStringLiteral("hall");
    r.address = 2;
    r.up = true;
    take(r, query, reply);
    const QString prefix = family + QStringLiteral("{line=\"hall\",address=\"2\",");
    QStringList got;
    for (const QString &line : exposition({r}, {}).split(QLatin1Char('\n'))) {
        if (line.startsWith(prefix))
            got << line.mid(prefix.size());
    }
    QCOMPARE(got, samples);
}

void WatchOutputsTest::jsonLineHoldsWhatWasRead()
{
    const QByteArray line = jsonLine(answering());
    QVERIFY(line.endsWith('\n') && line.count('\n') == 1);
    const QJsonObject o = QJsonDocument::fromJson(line).object();
    QCOMPARE(o.value("line").toString(), QStringLiteral("hall"));
    QCOMPARE(o.value("address").toInt(), 2);
    QCOMPARE(o.value("round").toInt(), 3);
    QCOMPARE(o.value("power").toString(), QStringLiteral("on"));
    QCOMPARE(o.value("lamp_hours").toInt(), 1203);
    QCOMPARE(o.value("temperature1_celsius").toDouble(), 35.0);
    QCOMPARE(o.value("pressure_hectopascals").toInt(), 650);
    QCOMPARE(o.value("lamps_failed").toArray(), QJsonArray({3}));
    QCOMPARE(o.value("last_answer").toString(), QStringLiteral("2026-12-08T12:00:00.000Z"));

    Reading down;
    down.line = QStringLiteral("hall");
    const QJsonObject silent = QJsonDocument::fromJson(jsonLine(down)).object();
    QCOMPARE(silent.value("up").toBool(true), false);
    QCOMPARE(silent.value("address").toString(), QStringLiteral("single"));
    QVERIFY(!silent.contains("power") && !silent.contains("last_answer"));
}

void WatchOutputsTest::tableMarksChangesAndSilence()
{
    Reading down = answering(QStringLiteral("foyer"), 1);
    down.up = false;
    down.lastAnswer = kNoon.addSecs(-300);
    const QStringList rows
        = tableText({answering(), down}, kNoon.addSecs(42), {true, false}).split(QLatin1Char('\n'));
    QVERIFY2(rows.at(0).startsWith(QLatin1String("  LINE")), qPrintable(rows.at(0)));
    const QString up = rows.at(1).simplified();
    QVERIFY2(up.startsWith(QLatin1String("* hall 2 on 3 1203 35.0 41.5 650 2,4 3 ")),
             qPrintable(up));
    QVERIFY2(up.endsWith(QLatin1String("(42s)")), qPrintable(up));
    const QString silent = rows.at(2).simplified();
    QVERIFY2(silent.startsWith(QLatin1String("foyer 1 NOT ANSWERING")), qPrintable(silent));
    QVERIFY2(silent.endsWith(QLatin1String("(5m)")), qPrintable(silent));
}

// A reader that stops reading: every write returns, the oldest waiting lines
// are dropped whole, and once it reads again it gets whole lines in order,
// the latest among them.
void WatchOutputsTest::stalledReaderHoldsNothingUp()
{
    int ends[2];
    QCOMPARE(::pipe2(ends, O_CLOEXEC), 0);
    const auto closeEnds = qScopeGuard([&] {
        ::close(ends[0]);
        ::close(ends[1]);
    });
    LineOutput output(ends[1]);
    QSignalSpy behind(&output, &LineOutput::fellBehind);
    const int count = 20000; // 4 MB: far beyond the pipe and the backlog
    for (int n = 0; n < count; ++n)
        output.write(QByteArray::number(n) + ' ' + QByteArray(200, 'x') + '\n');
    QVERIFY(output.waiting() <= LineOutput::kBacklogLimit);
    QVERIFY(output.dropped() > 0);
    QCOMPARE(behind.count(), 1);

    QByteArray got;
    ::fcntl(ends[0], F_SETFL, O_NONBLOCK);
    char buffer[65536];
    QTRY_VERIFY_WITH_TIMEOUT(([&] {
                                 for (ssize_t n; (n = ::read(ends[0], buffer, sizeof buffer)) > 0;)
                                     got.append(buffer, n);
                                 return output.waiting() == 0 && got.endsWith('\n');
                             }()),
                             5000);
    const QList<QByteArray> lines = got.chopped(1).split('\n');
    QCOMPARE(lines.size(), count - output.dropped());
    int previous = -1;
    for (const QByteArray &line : lines) {
        QCOMPARE(line.size() - line.indexOf(' '), 201);
        const int n = line.left(line.indexOf(' ')).toInt();
        QVERIFY(n > previous);
        previous = n;
    }
    QCOMPARE(previous, count - 1);
}

// The file node_exporter reads is replaced whole or not at all, and nothing
// else is left beside it.
void WatchOutputsTest::textfileReplacedWhole_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<bool>("written");
    QTest::newRow("none") << "" << true;
    QTest::newRow("a longer file of an earlier run by the same number") << "stale" << true;
    QTest::newRow("a full disk") << "full" << false;
    QTest::newRow("a folder by the file's name") << "folder" << false;
}

void WatchOutputsTest::textfileReplacedWhole()
{
    QFETCH(QString, obstacle);
    QFETCH(bool, written);
    QTemporaryDir dir;
    const QString target = dir.filePath(QStringLiteral("projector-watch.prom"));
    const QString earlier = QStringLiteral("projector_up{line=\"hall\",address=\"2\"} 1\n");
    const QString text
        = QStringLiteral("projector_up{line=\"hall\",address=\"2\"} 0\n").repeated(200);
    if (obstacle == u"folder") {
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("projector-watch.prom")));
    } else {
        QString error;
        QVERIFY2(writeTextfile(dir.path(), earlier, &error), qPrintable(error));
    }
    if (obstacle == u"stale") {
        QFile stale(target + u'.' + QString::number(QCoreApplication::applicationPid()));
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.write(QByteArray(20000, '#'));
    }
    rlimit before{};
    ::getrlimit(RLIMIT_FSIZE, &before);
    if (obstacle == u"full") {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{4096, before.rlim_max};
        QCOMPARE(::setrlimit(RLIMIT_FSIZE, &small), 0);
    }
    QString error;
    const bool done = writeTextfile(dir.path(), text, &error);
    if (obstacle == u"full") {
        ::setrlimit(RLIMIT_FSIZE, &before);
        ::signal(SIGXFSZ, SIG_DFL);
    }
    QCOMPARE(done, written);
    QCOMPARE(error.isEmpty(), written);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("projector-watch.prom")});
    if (obstacle == u"folder")
        return;
    QFile prom(target);
    QVERIFY(prom.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(prom.readAll()), written ? text : earlier);
}

QTEST_GUILESS_MAIN(WatchOutputsTest)
#include "tst_watchoutputs.moc"
