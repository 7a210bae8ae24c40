// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/answeringfarend.h"
#include "support/silentport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

// projector-watch as a program: the file node_exporter reads, checked by
// promtool; JSON lines on a pipe; usage errors.
class WatchProgramTest : public QObject
{
    Q_OBJECT

private slots:
    void textfileForNodeExporter();
    void jsonLinesOnAPipe();
    void connectionNeverMade();
    void throughTheWindowWhileItHoldsTheLine();
    void faultStateIsUpWithItsBits();
    void usageErrors_data();
    void usageErrors();
};

namespace {

QString program()
{
    return QStringLiteral(PROJECTOR_WATCH_PATH);
}

bool write(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}

// The process named in the lock file that a serial device's holder keeps.
qint64 lockHolder(const QString &device)
{
    const QString name = QStringLiteral("LCK..") + device.mid(5).replace(u'/', u'_');
    for (const char *folder : {"/run/lock/", "/var/lock/"}) {
        QFile lock(QLatin1String(folder) + name);
        if (lock.open(QIODevice::ReadOnly))
            return lock.readLine().trimmed().toLongLong();
    }
    return 0;
}

} // namespace

void WatchProgramTest::textfileForNodeExporter()
{
    QTemporaryDir dir;
    const QString states = dir.filePath(QStringLiteral("states.txt"));
    QVERIFY(
        write(states, "power 1 on\nmute 1 audio\nlamps 1 1,4\nlamp-fail 2 3\ntemp 2 47.5 50.0\n"));
    const QString config = dir.filePath(QStringLiteral("campus.conf"));
    QVERIFY(
        write(config, QStringLiteral("hall sim:%1 addresses=1,2\ngone sim:%2 addresses=single\n")
                          .arg(states, dir.filePath(QStringLiteral("missing")))
                          .toUtf8()));
    QDir out(dir.filePath(QStringLiteral("textfile")));
    QVERIFY(out.mkpath(QStringLiteral(".")));

    QProcess watch;
    watch.start(program(),
                {"--config", config, "--rounds", "1", "--quiet", "--textfile", out.path()});
    QVERIFY(watch.waitForFinished(10000));
    QCOMPARE(watch.exitCode(), 0);
    QVERIFY(watch.readAllStandardError().contains("gone: "));

    QCOMPARE(out.entryList(QDir::Files), QStringList({"projector-watch.prom"}));
    QFile prom(out.filePath(QStringLiteral("projector-watch.prom")));
    QVERIFY(prom.permissions() & QFile::ReadOther);
    QVERIFY(prom.open(QIODevice::ReadOnly));
    const QByteArray text = prom.readAll();
    for (const char *sample :
         {"projector_up{line=\"hall\",address=\"1\"} 1",
          "projector_up{line=\"gone\",address=\"single\"} 0",
          "projector_audio_mute{line=\"hall\",address=\"1\"} 1",
          "projector_lamp_on{line=\"hall\",address=\"1\",lamp=\"4\"} 1",
          "projector_lamp_failed{line=\"hall\",address=\"2\",lamp=\"3\"} 1",
          "projector_temperature_celsius{line=\"hall\",address=\"2\",sensor=\"1\"} 47.5"})
        QVERIFY2(text.contains(sample), sample);

    QProcess promtool;
    promtool.setStandardInputFile(prom.fileName());
    promtool.start(QStringLiteral("promtool"), {"check", "metrics"});
    QVERIFY(promtool.waitForFinished(10000));
    QVERIFY2(promtool.exitCode() == 0, promtool.readAll().constData());
}

void WatchProgramTest::jsonLinesOnAPipe()
{
    QProcess watch;
    watch.start(program(), {"--line", "sim", "--address", "3,1", "--period", "1", "--rounds", "2"});
    QVERIFY(watch.waitForFinished(10000));
    QCOMPARE(watch.exitCode(), 0);
    QList<QPair<int, int>> seen;
    for (const QByteArray &line : watch.readAllStandardOutput().split('\n')) {
        if (line.isEmpty())
            continue;
        const QJsonObject o = QJsonDocument::fromJson(line).object();
        QVERIFY2(o.value("up").toBool() && o.value("lamp_hours").isDouble(), line.constData());
        seen.append({o.value("round").toInt(), o.value("address").toInt()});
    }
    QCOMPARE(seen, (QList<QPair<int, int>>{{1, 3}, {1, 1}, {2, 3}, {2, 1}}));
}

// A server that never completes the connection: the projector is down each
// round, and why is told once.
void WatchProgramTest::connectionNeverMade()
{
    const SilentPort silent;
    QVERIFY(silent.port() != 0);
    QProcess watch;
    watch.start(program(), {"--line", QStringLiteral("tcp://127.0.0.1:%1").arg(silent.port()),
                            "--address", "1", "--period", "1", "--rounds", "2"});
    QVERIFY(watch.waitForFinished(12000));
    QCOMPARE(watch.exitCode(), 0);
    const QList<QByteArray> lines = watch.readAllStandardOutput().trimmed().split('\n');
    QCOMPARE(lines.size(), 2);
    for (const QByteArray &line : lines)
        QVERIFY2(!QJsonDocument::fromJson(line).object().value("up").toBool(), line.constData());
    const QString errors = QString::fromLocal8Bit(watch.readAllStandardError());
    QCOMPARE(errors.count(QStringLiteral("host 127.0.0.1 port %1: timed out").arg(silent.port())),
             1);
    QVERIFY2(!errors.contains(QStringLiteral("port panel")), qPrintable(errors));
}

// While a window holds the line, the watch's queries go through it, and the
// window's log names the watch as their sender; once the window is gone,
// even killed in the middle of a query, the watch opens the line itself again.
void WatchProgramTest::throughTheWindowWhileItHoldsTheLine()
{
    AnsweringFarEnd farEnd;
    QVERIFY(farEnd.isValid());
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("traffic.log"));
    QProcess window, watch;
    const auto stop = qScopeGuard([&] {
        for (QProcess *process : {&watch, &window}) {
            process->kill();
            process->waitForFinished();
        }
    });
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.path());
    window.setProcessEnvironment(environment);
    window.start(QStringLiteral(PROJECTOR_CONSOLE_PATH),
                 {"--com1", farEnd.slavePath(), "--log", log});
    QTRY_VERIFY_WITH_TIMEOUT(lockHolder(farEnd.slavePath()) == window.processId(), 10000);

    watch.start(program(), {"--line", farEnd.slavePath(), "--address", "single", "--period", "1"});
    const auto logged = [&log] {
        QFile file(log);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray sender = QStringLiteral("TX C R 0 CR   from pid %1 (projector-watch), uid ")
                                  .arg(watch.processId())
                                  .toUtf8();
    QTRY_VERIFY_WITH_TIMEOUT(logged().contains(sender), 8000);

    // The window is killed while a query of the watch waits for its reply.
    farEnd.setMute(true);
    const qsizetype answered = farEnd.texts().size();
    QTRY_VERIFY(farEnd.texts().size() > answered);
    window.kill();
    QVERIFY(window.waitForFinished(5000));
    farEnd.setMute(false);
    const qsizetype before = farEnd.texts().size();
    // What the watch printed before its first query on its own line was read
    // through the window.
    bool ownLine = false;
    QByteArray printed;
    QTRY_VERIFY_WITH_TIMEOUT(
        ([&] {
            if (!ownLine && farEnd.texts().mid(before).contains("CR0")) {
                ownLine = true;
                watch.waitForReadyRead(0);
                watch.readAllStandardOutput();
            }
            return ownLine && (printed += watch.readAllStandardOutput()).contains("\"up\":true");
        }()),
        8000);
}

// Keys locked and every lamp failed: status byte 23, which the table has no
// row for, is the projector's state all the same.
void WatchProgramTest::faultStateIsUpWithItsBits()
{
    QTemporaryDir dir;
    const QString states = dir.filePath(QStringLiteral("states.txt"));
    QVERIFY(write(states, "power 1 no-key-input\nlamp-fail 1 all\n"));
    const QString prom = dir.filePath(QStringLiteral("projector-watch.prom"));
    QProcess watch;
    watch.start(program(), {"--line", "sim:" + states, "--address", "1", "--rounds", "1",
                            "--textfile", dir.path()});
    QVERIFY(watch.waitForFinished(10000));
    QCOMPARE(watch.exitCode(), 0);
    const QJsonObject o = QJsonDocument::fromJson(watch.readAllStandardOutput()).object();
    QVERIFY2(o.value("up").toBool(), qPrintable(QJsonDocument(o).toJson()));
    QCOMPARE(o.value("power_code").toString(), QStringLiteral("23"));
    QCOMPARE(o.value("power_states").toArray(),
             QJsonArray({"on", "cooling-down", "no-key-input", "all-lamps-failed"}));
    QFile metrics(prom);
    QVERIFY(metrics.open(QIODevice::ReadOnly));
    const QByteArray text = metrics.readAll();
    const QString labels = QStringLiteral("line=\"sim:%1\",address=\"1\"").arg(states);
    for (const QString &sample :
         {"projector_up{" + labels + "} 1",
          "projector_power_status_bit{" + labels + ",bit=\"no-key-input\"} 1",
          "projector_power_status_bit{" + labels + ",bit=\"standby\"} 0"})
        QVERIFY2(text.contains(sample.toUtf8()), text.constData());
}

void WatchProgramTest::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no line") << QStringList{} << "no line to watch";
    QTest::newRow("period") << QStringList{"--line", "sim", "--period", "0"}
                            << "--period is a whole number";
    QTest::newRow("listen") << QStringList{"--line", "sim", "--listen", "localhost:x"}
                            << "--listen is PORT or HOST:PORT";
    QTest::newRow("address") << QStringList{"--line", "sim", "--address", "5"}
                             << "--address is all, single";
    QTest::newRow("config") << QStringList{"--config", "/nonexistent/campus"}
                            << "/nonexistent/campus: ";
    QTest::newRow("line twice") << QStringList{"--line", "sim", "--address", "1", "--line", "sim"}
                                << "the line sim is given twice";
}

void WatchProgramTest::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QProcess watch;
    watch.start(program(), arguments);
    QVERIFY(watch.waitForFinished(10000));
    QCOMPARE(watch.exitCode(), 2);
    const QString errors = QString::fromLocal8Bit(watch.readAllStandardError());
    QVERIFY2(errors.startsWith(QLatin1String("projector-watch: ")) && errors.contains(message),
             qPrintable(errors));
}

QTEST_GUILESS_MAIN(WatchProgramTest)
#include "tst_watchprogram.moc"
