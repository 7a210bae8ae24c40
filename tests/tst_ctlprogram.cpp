// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/ptypair.h"
#include "support/signals.h"
#include "support/silentport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <memory>

// Runs the built projector-ctl as scripts and schedules do, on the simulated
// line and on a pseudo-terminal whose far end the test plays.
class CtlProgramTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void simulatedLine_data();
    void simulatedLine();
    void jsonParsesBack();
    void listColumnsAligned();
    void typedValues();
    void farEndReplies_data();
    void farEndReplies();
    void exactBytes_data();
    void exactBytes();
    void silenceAfterOwnReplyWindow_data();
    void silenceAfterOwnReplyWindow();
    void holdRepeatsAtItsRate();
    void usageErrors_data();
    void usageErrors();
    void unopenableLine();
    void connectionNeverMade();
    void signalEndsAsTheWindowDoes_data();
    void signalEndsAsTheWindowDoes();

private:
    void start(const QStringList &arguments);
    // Waits for the end, reading the far end of `pty` meanwhile.
    QByteArray finish(PtyPair *pty = nullptr, int timeoutMs = 15000);
    QString output() { return QString::fromUtf8(m_ctl.readAllStandardOutput()); }

    QProcess m_ctl;
};

void CtlProgramTest::cleanup()
{
    if (m_ctl.state() != QProcess::NotRunning) {
        m_ctl.kill();
        m_ctl.waitForFinished();
    }
}

void CtlProgramTest::start(const QStringList &arguments)
{
    m_ctl.start(QStringLiteral(PROJECTOR_CTL_PATH), arguments);
    QVERIFY(m_ctl.waitForStarted());
}

QByteArray CtlProgramTest::finish(PtyPair *pty, int timeoutMs)
{
    QByteArray line;
    QElapsedTimer clock;
    clock.start();
    while (!m_ctl.waitForFinished(5) && clock.elapsed() < timeoutMs) {
        if (pty)
            line += pty->takeAll();
    }
    if (pty)
        line += pty->takeAll();
    return line;
}

void CtlProgramTest::simulatedLine_data()
{
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("shown");
    QTest::newRow("POWER ON answered")
        << QStringList{"POWER ON"} << 0 << "TXD C 0 0 CR \nRXD ACK CR \nSTATUS\n";
    QTest::newRow("STATUS during the count-down")
        << QStringList{"power on", "Status"} << 0 << "RXD 4 0 CR \nSTATUS Count down\n";
    QTest::newRow("refused in stand-by")
        << QStringList{"POWER OFF"} << 1 << "TXD C 0 1 CR \nRXD ? CR \nSTATUS\n";
    QTest::newRow("ALL sent, no reply")
        << QStringList{"--address", "all", "POWER ON"} << 0 << "TXD A F F F C 0 0 CR \n";
    QTest::newRow("manual text") << QStringList{"--code", "CR0"} << 0 << "STATUS Stand by\n";
    QTest::newRow("text without a leading space")
        << QStringList{"PRESSURE"} << 0 << "RXD 8 5 2 CR \nSTATUS 1012 hPa\n";
}

void CtlProgramTest::simulatedLine()
{
    QFETCH(QStringList, commands);
    QFETCH(int, exitCode);
    QFETCH(QString, shown);
    start(QStringList{"--line", "sim"} + commands);
    finish();
    QCOMPARE(m_ctl.exitStatus(), QProcess::NormalExit);
    const QString out = output();
    QVERIFY2(out.contains(shown), qPrintable(out));
    QCOMPARE(m_ctl.exitCode(), exitCode);
}

void CtlProgramTest::jsonParsesBack()
{
    start({"--line", "sim", "--json", "POWER ON", "L-TIME"});
    finish();
    const QList<QByteArray> lines = m_ctl.readAllStandardOutput().trimmed().split('\n');
    QCOMPARE(lines.size(), 2);
    QList<QJsonObject> objects;
    for (const QByteArray &line : lines) {
        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(line, &error);
        QVERIFY2(error.error == QJsonParseError::NoError, line.constData());
        objects += document.object();
    }
    QCOMPARE(objects[0][u"command"].toString(), QStringLiteral("POWER ON"));
    QCOMPARE(objects[0][u"sent"].toString(), QStringLiteral(" C 0 0 CR "));
    QCOMPARE(objects[0][u"received"].toString(), QStringLiteral(" ACK CR "));
    QCOMPARE(objects[0][u"answered"].toBool(), true);
    QCOMPARE(objects[1][u"command"].toString(), QStringLiteral("L-TIME"));
    QVERIFY(!objects[1][u"status"].toString().isEmpty());
    QCOMPARE(objects[1][u"answered"].toBool(), true);
    for (const QJsonObject &object : objects) {
        const double ms = object[u"milliseconds"].toDouble(-1);
        QVERIFY2(ms >= 0 && ms < 500, qPrintable(QString::number(ms)));
    }
    QCOMPARE(m_ctl.exitCode(), 0);
}

// Name, code and reply window start in the same column on every line, the
// longest name and code included.
void CtlProgramTest::listColumnsAligned()
{
    start({"--list"});
    finish();
    const QStringList lines = output().split(u'\n', Qt::SkipEmptyParts);
    QVERIFY(lines.size() > 90);
    static const QRegularExpression gap(QStringLiteral("  (?=\\S)"));
    QList<qsizetype> columns;
    for (const QString &line : lines) {
        const QRegularExpressionMatch code = gap.match(line);
        const QRegularExpressionMatch window = gap.match(line, code.capturedEnd());
        QVERIFY2(code.hasMatch() && window.hasMatch(), qPrintable(line));
        if (columns.isEmpty())
            columns = {code.capturedEnd(), window.capturedEnd()};
        QCOMPARE(QList<qsizetype>({code.capturedEnd(), window.capturedEnd()}), columns);
    }
}

// Every query's reply as a typed value beside the window's text.
void CtlProgramTest::typedValues()
{
    const QStringList queries{"STATUS",    "MODE",    "L-TIME",   "SETTING", "TEMP",
                              "SETTING 2", "PC TYPE", "PRESSURE", "L-MODE",  "P-FAIL"};
    const QStringList fields{"power",           "input",       "hours",  "top_bottom",
                             "sensor1_celsius", "mute_signal", "source", "hectopascal",
                             "lamps_on",        "failed_lamps"};
    start(QStringList{"--line", "sim", "--json"} + queries);
    finish();
    const QList<QByteArray> lines = m_ctl.readAllStandardOutput().trimmed().split('\n');
    QCOMPARE(lines.size(), queries.size());
    for (int i = 0; i < lines.size(); ++i) {
        const QJsonObject object = QJsonDocument::fromJson(lines[i]).object();
        QCOMPARE(object[u"command"].toString(), queries[i]);
        QCOMPARE(object[u"result"].toString(), QStringLiteral("answered"));
        QVERIFY2(object[u"value"].toObject().contains(fields[i]), lines[i].constData());
    }
    QCOMPARE(m_ctl.exitCode(), 0);
}

// A far end that answers each command after a delay, in the form it was given:
// "CODE=REPLY@MS" (\r and \n spelled out).
void CtlProgramTest::farEndReplies_data()
{
    QTest::addColumn<QStringList>("commands");
    QTest::addColumn<QStringList>("replies");
    QTest::addColumn<QString>("shown");
    QTest::newRow("replies end with CR LF")
        << QStringList{"STATUS", "SETTING", "MODE", "L-MODE"}
        << QStringList{"CR0=00\\r\\n@20", "CR4=11\\r\\n@20", "CR1=3\\r\\n@20", "CR7=0A\\r\\n@20"}
        << "STATUS Power ON\nTXD C R 4 CR \nRXD 1 1 CR \nSTATUS Normally\n"
           "TXD C R 1 CR \nRXD 3 CR \nSTATUS Input mode 3\n"
           "TXD C R 7 CR \nRXD 0 A CR \nSTATUS No2,4 ON  : 4 Lamp mode\n";
    QTest::newRow("STATUS answered just after its window")
        << QStringList{"STATUS", "SETTING"} << QStringList{"CR0=00\\r@505", "CR4=11\\r@20"}
        << "RXD 0 0 CR \nSTATUS Power ON\nTXD C R 4 CR \nRXD 1 1 CR \nSTATUS Normally\n";
    QTest::newRow("MODE answered without a carriage return")
        << QStringList{"MODE"} << QStringList{"CR1=3@20"} << "RXD 3 \nSTATUS Input mode 3\n";
    QTest::newRow("a stray 00 before L-TIME's own hours")
        << QStringList{"--json", "STATUS", "L-TIME"}
        << QStringList{"CR0=00\\r@20", "CR3=00\\r01203\\r@20"}
        << R"("received":" 0 1 2 0 3 CR ","result":"answered","sent":" C R 3 CR ",)"
           R"("status":" 0 1 2 0 3 CR  Hour Use","value":{"hours":1203}})";
    QTest::newRow("a NUL before 20 CR")
        << QStringList{"--json", "STATUS"} << QStringList{"CR0=<NUL>20\\r@20"}
        << R"("received":" ? 2 0 CR ","result":"answered","sent":" C R 0 CR ",)"
           R"("status":" Cooling down","value":{"power":"cooling-down"}})";
}

void CtlProgramTest::farEndReplies()
{
    QFETCH(QStringList, commands);
    QFETCH(QStringList, replies);
    QFETCH(QString, shown);
    QHash<QByteArray, QPair<QByteArray, int>> answers;
    for (const QString &reply : replies) {
        QString text = reply.section(u'=', 1).section(u'@', 0, 0);
        text.replace(QLatin1String("\\r"), QLatin1String("\r"))
            .replace(QLatin1String("\\n"), QLatin1String("\n"))
            .replace(QLatin1String("<NUL>"), QString(QChar(0)));
        answers.insert(reply.section(u'=', 0, 0).toLatin1(),
                       {text.toLatin1(), reply.section(u'@', 1).toInt()});
    }
    PtyPair pty;
    QVERIFY(pty.isValid());
    start(QStringList{"--line", pty.slavePath()} + commands);
    QByteArray line;
    QList<QPair<qint64, QByteArray>> due; // when, what
    QElapsedTimer clock;
    clock.start();
    while (!m_ctl.waitForFinished(1) && clock.elapsed() < 10000) {
        line += pty.takeAll();
        for (qsizetype end; (end = line.indexOf('\r')) >= 0; line.remove(0, end + 1)) {
            const auto answer = answers.value(line.left(end));
            due.append({clock.elapsed() + answer.second, answer.first});
        }
        while (!due.isEmpty() && due.front().first <= clock.elapsed())
            pty.write(due.takeFirst().second);
    }
    const QString out = output();
    QVERIFY2(out.contains(shown), qPrintable(out));
    QCOMPARE(m_ctl.exitCode(), 0);
    // Counted from when each command went out: the replies came 20 ms after.
    for (const QString &json : out.split(u'\n', Qt::SkipEmptyParts)) {
        const int ms = QJsonDocument::fromJson(json.toUtf8()).object()[u"milliseconds"].toInt(-1);
        QVERIFY2(!commands.contains(u"--json") || (ms >= 20 && ms < 250), qPrintable(json));
    }
}

void CtlProgramTest::exactBytes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("single") << QStringList{"POWER ON"} << QByteArray("C00\r");
    QTest::newRow("projector 2") << QStringList{"--address", "2", "INPUT MODE SET 2"}
                                 << QByteArray("A002C06\r");
    QTest::newRow("all") << QStringList{"--address", "all", "sound mute off"}
                         << QByteArray("AFFFC0C\r");
    QTest::newRow("input grid") << QStringList{"--address", "4", "1 DVI"}
                                << QByteArray("A004CF INPUT1 DIGITAL\r");
    QTest::newRow("manual") << QStringList{"--code", "CF IMAGE REAL"}
                            << QByteArray("CF IMAGE REAL\r");
    QTest::newRow("arrow") << QStringList{"--speed", "9600", "LENS SHIFT LEFT"}
                           << QByteArray("C5F\r");
}

void CtlProgramTest::exactBytes()
{
    QFETCH(QStringList, arguments);
    QFETCH(QByteArray, bytes);
    PtyPair pty;
    QVERIFY(pty.isValid());
    start(QStringList{"--line", pty.slavePath()} + arguments);
    QCOMPARE(pty.take(bytes.size(), 10000), bytes);
    pty.write("\x06\r");
    QCOMPARE(finish(&pty), QByteArray());
    QCOMPARE(m_ctl.exitCode(), 0);
}

void CtlProgramTest::silenceAfterOwnReplyWindow_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("windowMs");
    QTest::newRow("POWER ON") << "POWER ON" << 500;
    QTest::newRow("STAND") << "STAND" << 2000;
}

void CtlProgramTest::silenceAfterOwnReplyWindow()
{
    QFETCH(QString, command);
    QFETCH(int, windowMs);
    PtyPair pty;
    QVERIFY(pty.isValid());
    start({"--line", pty.slavePath(), "--json", command});
    finish(&pty);
    QCOMPARE(m_ctl.exitCode(), 1);
    const QJsonObject object = QJsonDocument::fromJson(m_ctl.readAllStandardOutput()).object();
    QCOMPARE(object[u"received"].toString(), QStringLiteral(" X X X X"));
    QCOMPARE(object[u"answered"].toBool(true), false);
    const int ms = object[u"milliseconds"].toInt();
    QVERIFY2(ms >= windowMs && ms < windowMs + 300, qPrintable(QString::number(ms)));
}

// 1000 ms at ZOOM's 50 ms: the press and twenty repetitions.
void CtlProgramTest::holdRepeatsAtItsRate()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    start({"--line", pty.slavePath(), "--hold", "1000", "ZOOM +"});
    const QByteArray line = finish(&pty);
    QCOMPARE(line.size() % 4, 0);
    QCOMPARE(line.count("C47\r"), line.size() / 4);
    QVERIFY2(qAbs(line.size() / 4 - 21) <= 1, line.constData());
    QCOMPARE(m_ctl.exitCode(), 1); // nobody answered
}

void CtlProgramTest::usageErrors_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("misspelt") << QStringList{"POWR ON"}
                              << "no command \"POWR ON\"; nearest: \"POWER ON\", \"POWER OFF\"";
    QTest::newRow("unspaced") << QStringList{"ZOOM+"} << "nearest: \"ZOOM +\"";
    QTest::newRow("held one-shot")
        << QStringList{"--hold", "100", "STATUS"} << "\"STATUS\" is no repeating button";
    QTest::newRow("hold time") << QStringList{"--hold", "soon", "VOL +"}
                               << "--hold needs milliseconds, not soon";
    QTest::newRow("speed") << QStringList{"--speed", "4800", "STATUS"}
                           << "--speed is 19200 or 9600";
    QTest::newRow("address") << QStringList{"--address", "5", "STATUS"} << "--address is single";
    QTest::newRow("nothing") << QStringList{} << "no command given";
    QTest::newRow("log") << QStringList{"--log", "/nonexistent/traffic.log", "STATUS"}
                         << "cannot open the log /nonexistent/traffic.log";
}

void CtlProgramTest::usageErrors()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    start(QStringList{"--line", "sim"} + arguments);
    finish();
    QCOMPARE(m_ctl.exitCode(), 2);
    QCOMPARE(m_ctl.readAllStandardOutput(), QByteArray());
    const QString errors = QString::fromLocal8Bit(m_ctl.readAllStandardError());
    QVERIFY2(errors.startsWith(QStringLiteral("projector-ctl: ")), qPrintable(errors));
    QVERIFY2(errors.contains(message), qPrintable(errors));
}

void CtlProgramTest::unopenableLine()
{
    start({"--line", "/dev/nonexistent-line", "STATUS"});
    finish();
    QCOMPARE(m_ctl.exitCode(), 3);
    const QString errors = QString::fromLocal8Bit(m_ctl.readAllStandardError());
    QVERIFY2(errors.contains(QStringLiteral("/dev/nonexistent-line")), qPrintable(errors));
}

// Servers that do not complete the connection: nothing is shown or logged as
// sent, the cause is told once and the line counts as not opened. The cases
// run side by side, each waiting out the connection's time limit.
void CtlProgramTest::connectionNeverMade()
{
    struct Case
    {
        const char *name;
        QString line, where, cause;
        QStringList commands;
        bool ownNetwork = false; // in a network namespace of its own, with no route at all
        std::unique_ptr<QProcess> ctl = std::make_unique<QProcess>();
    };
    const SilentPort silent;
    const quint16 closed = closedPort();
    QVERIFY(silent.port() != 0 && closed != 0);
    const auto local = [](quint16 port) { return QStringLiteral("tcp://127.0.0.1:%1").arg(port); };
    const auto at = [](quint16 port) { return QStringLiteral("host 127.0.0.1 port %1").arg(port); };
    Case cases[] = {
        {"POWER ON to all, no answer",
         local(silent.port()),
         at(silent.port()),
         "timed out: no answer",
         {"--address", "all", "POWER ON"}},
        {"query, no answer", local(silent.port()), at(silent.port()), "timed out", {"STATUS"}},
        {"refused", local(closed), at(closed), "refused", {"POWER ON"}},
        {"unknown host",
         "tcp://projector.invalid:4001",
         "host projector.invalid port 4001",
         "unknown host",
         {"STATUS"}},
        {"no route",
         "tcp://192.0.2.10:4001",
         "host 192.0.2.10 port 4001",
         "no route",
         {"POWER ON"},
         true},
    };
    const bool namespaces = QProcess::execute(QStringLiteral("unshare"), {"-rn", "true"}) == 0;
    QTemporaryDir dir;
    const QString log = dir.filePath(QStringLiteral("traffic.log"));
    for (Case &c : cases) {
        const QStringList arguments = QStringList{"--line", c.line, "--log", log} + c.commands;
        if (c.ownNetwork)
            c.ctl->start(QStringLiteral("unshare"),
                         QStringList{"-rn", QStringLiteral(PROJECTOR_CTL_PATH)} + arguments);
        else
            c.ctl->start(QStringLiteral(PROJECTOR_CTL_PATH), arguments);
    }
    for (Case &c : cases) {
        if (c.ownNetwork && !namespaces) {
            qInfo("no network namespace for this user: \"%s\" not tried", c.name);
            continue;
        }
        QVERIFY2(c.ctl->waitForFinished(10000), c.name);
        QVERIFY2(c.ctl->exitCode() == 3, c.name);
        const QString out = QString::fromUtf8(c.ctl->readAllStandardOutput());
        QVERIFY2(!out.contains(QStringLiteral(" C ")), qPrintable(c.name + (": " + out)));
        const QString errors = QString::fromLocal8Bit(c.ctl->readAllStandardError());
        const bool told = errors.count(c.where) == 1 && errors.contains(c.cause)
                          && !errors.contains(QStringLiteral("port panel"));
        QVERIFY2(told, qPrintable(c.name + (": " + errors)));
    }
    QFile logged(log);
    QVERIFY(!logged.open(QIODevice::ReadOnly) || !logged.readAll().contains(" TX "));
}

void CtlProgramTest::signalEndsAsTheWindowDoes_data()
{
    QTest::addColumn<int>("signal");
    QTest::newRow("SIGTERM") << SIGTERM;
    QTest::newRow("SIGINT") << SIGINT;
    QTest::newRow("SIGHUP") << SIGHUP;
    QTest::newRow("SIGPIPE") << SIGPIPE;
}

// Line closed, lock removed, a word of what was interrupted, 128 + signal.
void CtlProgramTest::signalEndsAsTheWindowDoes()
{
    QFETCH(int, signal);
    PtyPair pty;
    QVERIFY(pty.isValid());
    start({"--line", pty.slavePath(), "--hold", "8000", "VOL +"});
    QTRY_VERIFY(deviceLockHeld(pty.slavePath()) && catchesSignal(m_ctl.processId(), signal));
    QByteArray sent; // the hold is on the line
    QTRY_VERIFY(!(sent += pty.takeAll()).isEmpty());
    QCOMPARE(::kill(m_ctl.processId(), signal), 0);
    QVERIFY(m_ctl.waitForFinished(3000));
    QCOMPARE(m_ctl.exitStatus(), QProcess::NormalExit);
    QCOMPARE(m_ctl.exitCode(), 128 + signal);
    QVERIFY(!deviceLockHeld(pty.slavePath()));
    const QString errors = QString::fromUtf8(m_ctl.readAllStandardError());
    QVERIFY2(errors.contains(QStringLiteral("interrupted by ") + QTest::currentDataTag())
                 && errors.contains(u"\"VOL +\""),
             qPrintable(errors));
}

QTEST_GUILESS_MAIN(CtlProgramTest)
#include "tst_ctlprogram.moc"
