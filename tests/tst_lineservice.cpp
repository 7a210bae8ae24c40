// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/lineservice.h"
#include "link/localendpoint.h"
#include "support/answeringfarend.h"
#include "support/consolewindow.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>

#include <grp.h>
#include <signal.h>
#include <sys/stat.h>

// The window holds a pseudo-terminal whose far end the test plays and serves
// it; projector-ctl runs as separate programs, as schedules run it.
class LineServiceTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void clientBesideOperator();
    void users_data();
    void users();
    void clientWaitsForOwedReply();
    void twoClientsAtOnce();
    void clientBetweenHoldTicks();
    void clientHolds();
    void operatorPressesDuringClientHold_data();
    void operatorPressesDuringClientHold();
    void clientKilledMidCommand();
    void floodRefused();
    void consoleKilledMidCommand();
    void watchWaitsForOperatorsHold();

private:
    QProcess &ctl(const QStringList &arguments, const QStringList &asUser = {});
    static bool finish(QProcess &process, int timeoutMs = 10000);
    static QList<QJsonObject> jsonLines(QProcess &process);

    std::unique_ptr<AnsweringFarEnd> m_farEnd;
    ConsoleWindow m_window;
    std::unique_ptr<LineService> m_service;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

void LineServiceTest::init()
{
    m_farEnd = std::make_unique<AnsweringFarEnd>();
    QVERIFY(m_farEnd->isValid());
    const QString device = m_farEnd->slavePath();
    m_window.devices[1] = device;
    m_window.start();
    m_window.openFullView();
    m_service = std::make_unique<LineService>(
        m_window.window->console(), [device](int port) { return port == 1 ? device : QString(); });
    m_service->refresh();
    QVERIFY(QFile::exists(endpointPath(device)));
}

void LineServiceTest::cleanup()
{
    for (auto &process : m_processes) {
        process->kill();
        process->waitForFinished();
    }
    m_processes.clear();
    m_service.reset();
    m_window.window.reset();
    m_farEnd.reset();
}

QProcess &LineServiceTest::ctl(const QStringList &arguments, const QStringList &asUser)
{
    auto &process = m_processes.emplace_back(std::make_unique<QProcess>());
    const QStringList line{QStringLiteral("--line"), m_farEnd->slavePath()};
    if (asUser.isEmpty())
        process->start(QStringLiteral(PROJECTOR_CTL_PATH), line + arguments);
    else
        process->start(QStringLiteral("setpriv"),
                       asUser + QStringList{QStringLiteral(PROJECTOR_CTL_PATH)} + line + arguments);
    return *process;
}

// Waits with the event loop running: the window serves meanwhile.
bool LineServiceTest::finish(QProcess &process, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    while (process.state() != QProcess::NotRunning && clock.elapsed() < timeoutMs)
        QTest::qWait(5);
    return process.state() == QProcess::NotRunning;
}

QList<QJsonObject> LineServiceTest::jsonLines(QProcess &process)
{
    QList<QJsonObject> objects;
    for (const QByteArray &line : process.readAllStandardOutput().split('\n')) {
        if (!line.isEmpty())
            objects << QJsonDocument::fromJson(line).object();
    }
    return objects;
}

void LineServiceTest::clientBesideOperator()
{
    const QString log = QDir::tempPath() + QStringLiteral("/tst_lineservice.log");
    QFile::remove(log);
    QSignalSpy txd(&m_window.window->console(), &Console::txdChanged);
    QSignalSpy rxd(&m_window.window->console(), &Console::rxdChanged);
    m_window.click(QStringLiteral("Command17")); // POWER ON
    QProcess &client = ctl(
        {QStringLiteral("--log"), log, QStringLiteral("POWER OFF"), QStringLiteral("STATUS")});
    QVERIFY(finish(client));
    QCOMPARE(client.exitCode(), 0);
    QCOMPARE(client.readAllStandardOutput(),
             QByteArray("TXD C 0 1 CR \nRXD ACK CR \nSTATUS\n"
                        "TXD C R 0 CR \nRXD 8 0 CR \nSTATUS Stand by\n"));
    QSignalSpy status(&m_window.window->console(), &Console::statusChanged);
    m_window.click(QStringLiteral("Command46")); // L-TIME
    QTRY_COMPARE(status.value(0).value(0).toString(), QStringLiteral(" 1 2 3 4 5 CR  Hour Use"));
    QCOMPARE(m_farEnd->texts(), (QByteArrayList{"C00", "C01", "CR0", "CR3"}));
    // The window showed the client's traffic as its own.
    const auto shown = [](const QSignalSpy &line, const QString &text) {
        return std::any_of(line.begin(), line.end(), [&text](const QVariantList &shown) {
            return shown.value(0).toString().contains(text);
        });
    };
    QVERIFY(shown(txd, QStringLiteral(" C R 0 CR ")));
    QVERIFY(shown(rxd, QStringLiteral("8 0 CR ")));
    // The client's log holds its own commands.
    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray logged = file.readAll();
    QVERIFY2(logged.contains("TX C 0 1 CR") && logged.contains("RX 8 0 CR")
                 && !logged.contains("C 0 0 CR"),
             logged.constData());
    file.remove();
}

void LineServiceTest::users_data()
{
    QTest::addColumn<bool>("inDialout");
    QTest::newRow("member of dialout") << true;
    QTest::newRow("not a member") << false;
}

// The endpoint carries the device's group and mode: who may use the device
// may use the console's line, nobody else.
void LineServiceTest::users()
{
    QFETCH(bool, inDialout);
    const group *dialout = ::getgrnam("dialout");
    if (!dialout || ::geteuid() != 0 || QStandardPaths::findExecutable("setpriv").isEmpty())
        QSKIP("needs root, a dialout group and setpriv");
    const QByteArray device = QFile::encodeName(m_farEnd->slavePath());
    QCOMPARE(::chown(device.constData(), 0, dialout->gr_gid), 0);
    QCOMPARE(::chmod(device.constData(), 0660), 0);
    // Served anew: the endpoint takes the device's permissions when it is made.
    m_service = std::make_unique<LineService>(
        m_window.window->console(),
        [device = m_farEnd->slavePath()](int port) { return port == 1 ? device : QString(); });
    m_service->refresh();
    struct stat st = {};
    QCOMPARE(::stat(QFile::encodeName(m_service->endpoint()).constData(), &st), 0);
    QCOMPARE(st.st_gid, dialout->gr_gid);
    QCOMPARE(st.st_mode & 0777, mode_t(0660));

    const QStringList user{QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
                           inDialout ? QStringLiteral("--groups=%1").arg(dialout->gr_gid)
                                     : QStringLiteral("--clear-groups")};
    QProcess &client = ctl({QStringLiteral("POWER OFF"), QStringLiteral("STATUS")}, user);
    QVERIFY(finish(client));
    if (inDialout) {
        QCOMPARE(client.exitCode(), 0);
        QCOMPARE(m_farEnd->texts(), (QByteArrayList{"C01", "CR0"}));
    } else {
        QCOMPARE(client.exitCode(), 3);
        QVERIFY(client.readAllStandardError().contains("permission denied"));
        QVERIFY(m_farEnd->texts().isEmpty());
    }
}

// A client's command waits while the operator's reply is owed.
void LineServiceTest::clientWaitsForOwedReply()
{
    m_farEnd->setMute(true);
    m_window.click(QStringLiteral("Command44")); // STATUS, answered within 500 ms
    QProcess &client = ctl({QStringLiteral("--json"), QStringLiteral("L-TIME")});
    QTest::qWait(250);
    QCOMPARE(m_farEnd->texts(), QByteArrayList{"CR0"});
    m_farEnd->setMute(false);
    QVERIFY(finish(client));
    QCOMPARE(client.exitCode(), 0);
    QCOMPARE(m_farEnd->texts(), (QByteArrayList{"CR0", "CR3"}));
    QVERIFY(m_window.rxd().endsWith(QStringLiteral(" 1 2 3 4 5 CR ")));
    // Its time counts from its going out, not from its wait behind STATUS.
    const QList<QJsonObject> replies = jsonLines(client);
    QCOMPARE(replies.size(), 1);
    QVERIFY2(replies.first().value("milliseconds").toInt(-1) >= 0
                 && replies.first().value("milliseconds").toInt() < 200,
             qPrintable(QJsonDocument(replies.first()).toJson()));
}

void LineServiceTest::twoClientsAtOnce()
{
    const QStringList statuses(50, QStringLiteral("STATUS"));
    const QStringList hours(50, QStringLiteral("L-TIME"));
    QProcess &first = ctl(QStringList{QStringLiteral("--json")} + statuses);
    QProcess &second = ctl(QStringList{QStringLiteral("--json")} + hours);
    QVERIFY(finish(first));
    QVERIFY(finish(second));
    QCOMPARE(first.exitCode(), 0);
    QCOMPARE(second.exitCode(), 0);
    const QList<QJsonObject> firstReplies = jsonLines(first);
    const QList<QJsonObject> secondReplies = jsonLines(second);
    QCOMPARE(firstReplies.size(), 50);
    QCOMPARE(secondReplies.size(), 50);
    for (const QJsonObject &reply : firstReplies) {
        QCOMPARE(reply.value("received").toString(), QStringLiteral(" 8 0 CR "));
        QCOMPARE(reply.value("value").toObject(), (QJsonObject{{"power", "standby"}}));
    }
    for (const QJsonObject &reply : secondReplies) {
        QCOMPARE(reply.value("received").toString(), QStringLiteral(" 1 2 3 4 5 CR "));
        QCOMPARE(reply.value("value").toObject(), (QJsonObject{{"hours", 12345}}));
    }
    const QByteArrayList texts = m_farEnd->texts();
    QCOMPARE(texts.count("CR0"), 50);
    QCOMPARE(texts.count("CR3"), 50);
    QCOMPARE(texts.size(), 100);
}

// VOL + repeats every 250 ms; a client's commands go between two ticks.
void LineServiceTest::clientBetweenHoldTicks()
{
    constexpr double kDesignMs = 250;
    m_window.press(QStringLiteral("Command1"));
    QTest::qWait(600);
    QProcess &client = ctl(QStringList(5, QStringLiteral("STATUS")));
    QVERIFY(finish(client));
    QTest::qWait(600);
    m_window.release(QStringLiteral("Command1"));
    QCOMPARE(client.exitCode(), 0);

    QList<double> ticks;
    int queries = 0;
    for (const AnsweringFarEnd::Command &command : m_farEnd->commands()) {
        if (command.text == "C09")
            ticks << command.ms;
        queries += command.text == "CR0";
    }
    QCOMPARE(queries, 5);
    QVERIFY2(ticks.size() >= 4, m_farEnd->texts().join(' '));
    const double rate = (ticks.last() - ticks.first()) / (ticks.size() - 1);
    qInfo("a tick every %.1f ms with a client's commands between them", rate);
    QVERIFY2(qAbs(rate - kDesignMs) <= kDesignMs * 0.05,
             qPrintable(QStringLiteral("a tick every %1 ms").arg(rate)));
}

// A client's hold repeats at its rate for its projector, whatever the operator
// chooses or clicks meanwhile, and ends in the outcome of its last command;
// each command is named as its sender's.
void LineServiceTest::clientHolds()
{
    QStringList senders;
    connect(&m_window.window->console(), &Console::transmitted, this,
            [&](const QString &, quint64 intent) { senders << m_service->senderOf(intent); });
    QProcess &client
        = ctl({QStringLiteral("--json"), QStringLiteral("--address"), QStringLiteral("2"),
               QStringLiteral("--hold"), QStringLiteral("1100"), QStringLiteral("VOL +")});
    QTRY_COMPARE(m_farEnd->texts().size(), 2);
    m_window.choose(QStringLiteral("Option5"));  // "001"
    m_window.click(QStringLiteral("Command44")); // STATUS, between two ticks
    QVERIFY(finish(client));
    QCOMPARE(client.exitCode(), 0);
    const QList<QJsonObject> outcomes = jsonLines(client);
    QCOMPARE(outcomes.size(), 1);
    QCOMPARE(outcomes.first().value("sent").toString(), QStringLiteral(" A 0 0 2 C 0 9 CR "));
    QCOMPARE(outcomes.first().value("result").toString(), QStringLiteral("answered"));
    QByteArrayList ticks = m_farEnd->texts();
    QCOMPARE(ticks.takeAt(2), QByteArray("A001CR0"));
    QCOMPARE(ticks, QByteArrayList(5, "A002C09")); // at 0, 250, ..., 1000 ms
    QCOMPARE(senders.size(), 6);
    QCOMPARE(senders.takeAt(2), QString());
    QVERIFY2(senders.count(senders.first()) == 5 && senders.first().contains(u"projector-ctl"),
             qPrintable(senders.join(u'|')));
}

void LineServiceTest::operatorPressesDuringClientHold_data()
{
    QTest::addColumn<QString>("button");
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<int>("heldOnMs");
    QTest::newRow("ZOOM +, every 50 ms") << QStringLiteral("Command15") << QByteArray("C47") << 300;
    QTest::newRow("VOL +, the client's own")
        << QStringLiteral("Command1") << QByteArray("C09") << 600;
}

// The operator's press takes the repetition over; the client's time does not end it.
void LineServiceTest::operatorPressesDuringClientHold()
{
    QFETCH(QString, button);
    QFETCH(QByteArray, code);
    QFETCH(int, heldOnMs);
    QProcess &client
        = ctl({QStringLiteral("--hold"), QStringLiteral("500"), QStringLiteral("VOL +")});
    QTRY_COMPARE(m_farEnd->texts().size(), 1);
    m_window.press(button);
    QVERIFY(finish(client));
    const double clientEnded = m_farEnd->commands().last().ms;
    QTest::qWait(heldOnMs);
    m_window.release(button);
    QVERIFY(m_farEnd->commands().last().ms > clientEnded + 200);
    QCOMPARE(m_farEnd->commands().last().text, code);
}

// The command under way ends as any does; the line is in order for the next.
void LineServiceTest::clientKilledMidCommand()
{
    m_farEnd->setMute(true);
    QProcess &gone = ctl({QStringLiteral("STATUS")});
    QTRY_COMPARE(m_farEnd->texts().size(), 1);
    gone.kill();
    QVERIFY(finish(gone));
    m_farEnd->setMute(false);
    QProcess &next = ctl({QStringLiteral("L-TIME")});
    QVERIFY(finish(next));
    QCOMPARE(next.exitCode(), 0);
    QVERIFY(next.readAllStandardOutput().contains("RXD 1 2 3 4 5 CR"));
    QCOMPARE(m_farEnd->texts(), (QByteArrayList{"CR0", "CR3"}));
}

// A client that sends more than the queue holds is refused beyond it, at once.
void LineServiceTest::floodRefused()
{
    constexpr int kSent = 40;
    m_farEnd->setMute(true);
    QLocalSocket flood;
    flood.connectToServer(m_service->endpoint());
    QVERIFY(flood.waitForConnected(1000));
    const auto request = [&flood](int id) {
        flood.write(QJsonDocument(QJsonObject{{"id", id}, {"command", "Command44"}})
                        .toJson(QJsonDocument::Compact)
                    + '\n');
        flood.flush();
    };
    request(1);
    QTRY_COMPARE(m_farEnd->texts().size(), 1); // under way, no longer waiting
    for (int id = 2; id <= kSent; ++id)
        request(id);
    const int refusals = kSent - 1 - LineService::kQueueLimit;
    QList<QJsonObject> outcomes;
    const auto collect = [&] {
        while (flood.canReadLine()) {
            const QJsonObject message = QJsonDocument::fromJson(flood.readLine()).object();
            if (message.contains("outcome"))
                outcomes << message.value("outcome").toObject();
        }
        return outcomes.size();
    };
    QTRY_VERIFY(collect() >= refusals);
    QCOMPARE(outcomes.size(), refusals);
    for (const QJsonObject &outcome : outcomes) {
        QCOMPARE(outcome.value("result").toString(), QStringLiteral("line-failed"));
        QVERIFY2(outcome.value("failure").toString().startsWith("refused: 16 commands"),
                 qPrintable(outcome.value("failure").toString()));
    }
    m_farEnd->setMute(false);
    QTRY_COMPARE(collect(), kSent);
    QCOMPARE(m_farEnd->texts().size(), kSent - refusals);
}

// A console killed mid-command ends its client with 3; its endpoint, left
// behind, is found stale: the client then opens the line itself, and a new
// console replaces it.
void LineServiceTest::consoleKilledMidCommand()
{
    AnsweringFarEnd farEnd;
    QVERIFY(farEnd.isValid());
    const QString device = farEnd.slavePath();
    QProcess console;
    console.start(QStringLiteral(PROJECTOR_CONSOLE_PATH), {QStringLiteral("--com1"), device});
    QTRY_VERIFY(QFile::exists(endpointPath(device)));
    farEnd.setMute(true);
    QProcess client;
    client.start(QStringLiteral(PROJECTOR_CTL_PATH), {"--line", device, "STATUS"});
    QTRY_COMPARE(farEnd.texts().size(), 1);
    ::kill(pid_t(console.processId()), SIGKILL);
    QVERIFY(finish(client));
    QCOMPARE(client.exitCode(), 3);
    QVERIFY(client.readAllStandardError().contains("went away during the command"));
    QVERIFY(finish(console));
    farEnd.setMute(false);
    QVERIFY(QFile::exists(endpointPath(device)));

    client.start(QStringLiteral(PROJECTOR_CTL_PATH), {"--line", device, "L-TIME"});
    QVERIFY(finish(client));
    QCOMPARE(client.exitCode(), 0);

    const QString log = QDir::tempPath() + QStringLiteral("/tst_lineservice-console.log");
    QFile::remove(log);
    console.start(QStringLiteral(PROJECTOR_CONSOLE_PATH),
                  {QStringLiteral("--com1"), device, QStringLiteral("--log"), log});
    const auto serving = [&device] {
        QLocalSocket probe;
        probe.connectToServer(endpointPath(device));
        return probe.waitForConnected(100);
    };
    QTRY_VERIFY_WITH_TIMEOUT(serving(), 5000);
    client.start(QStringLiteral(PROJECTOR_CTL_PATH), {"--line", device, "STATUS"});
    const qint64 sender = client.processId();
    QVERIFY(finish(client));
    QCOMPARE(client.exitCode(), 0);
    client.start(QStringLiteral(PROJECTOR_CTL_PATH),
                 {"--line", device, "--speed", "9600", "STATUS"});
    QVERIFY(finish(client));
    QCOMPARE(client.exitCode(), 3);
    QVERIFY(client.readAllStandardError().contains("at 19200,N,8,1, not at 9600,N,8,1"));
    console.terminate();
    QVERIFY(finish(console));
    QCOMPARE(farEnd.texts(), (QByteArrayList{"CR0", "CR3", "CR0"}));
    QVERIFY(!QFile::exists(endpointPath(device)));
    // The console's log names who sent the command.
    QFile file(log);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray logged = file.readAll();
    QVERIFY2(
        logged.contains(
            QStringLiteral("TX C R 0 CR   from pid %1 (projector-ctl), uid ").arg(sender).toUtf8()),
        logged.constData());
    file.remove();
}

// projector-watch polls through the console: nothing of it goes out while the
// operator holds VOL +, whose ticks keep their rate, and nothing of it shows on
// the STATUS line; after the release its queries go through.
void LineServiceTest::watchWaitsForOperatorsHold()
{
    constexpr double kDesignMs = 250;
    QSignalSpy status(&m_window.window->console(), &Console::statusChanged);
    m_window.press(QStringLiteral("Command1"));
    QProcess &watch = *m_processes.emplace_back(std::make_unique<QProcess>());
    watch.start(QStringLiteral(PROJECTOR_WATCH_PATH),
                {"--line", m_farEnd->slavePath(), "--address", "single", "--period", "1"});
    QVERIFY(watch.waitForStarted());
    QTest::qWait(3000);
    m_window.release(QStringLiteral("Command1"));
    QByteArray printed;
    QTRY_VERIFY_WITH_TIMEOUT((printed += watch.readAllStandardOutput()).contains('\n'), 4000);

    const QJsonObject reading
        = QJsonDocument::fromJson(printed.left(printed.indexOf('\n'))).object();
    QCOMPARE(reading.value("up").toBool(), true);
    QCOMPARE(reading.value("power").toString(), QStringLiteral("standby"));
    QCOMPARE(reading.value("lamp_hours").toInteger(), 12345);
    // Timed from its going out, not from the wait behind the hold.
    QVERIFY2(reading.value("reply_seconds").toDouble() < 0.5, printed.constData());

    QList<double> ticks;
    qsizetype lastTick = -1, firstQuery = -1;
    const QList<AnsweringFarEnd::Command> commands = m_farEnd->commands();
    for (qsizetype i = 0; i < commands.size(); ++i) {
        if (commands.at(i).text == "C09") {
            ticks << commands.at(i).ms;
            lastTick = i;
        } else if (firstQuery < 0) {
            firstQuery = i;
        }
    }
    QVERIFY2(ticks.size() >= 10 && firstQuery > lastTick, m_farEnd->texts().join(' '));
    QCOMPARE(m_farEnd->texts().at(firstQuery), QByteArray("CR0"));
    const double rate = (ticks.last() - ticks.first()) / (ticks.size() - 1);
    double shortest = kDesignMs * 10, longest = 0;
    for (qsizetype i = 1; i < ticks.size(); ++i) {
        shortest = std::min(shortest, ticks.at(i) - ticks.at(i - 1));
        longest = std::max(longest, ticks.at(i) - ticks.at(i - 1));
    }
    qInfo("with the watch waiting: a tick every %.1f ms (%.1f to %.1f)", rate, shortest, longest);
    QVERIFY2(qAbs(rate - kDesignMs) <= kDesignMs * 0.05,
             qPrintable(QStringLiteral("a tick every %1 ms").arg(rate)));
    // VOL + is answered with ACK: whatever the STATUS line showed was the watch's.
    for (const QVariantList &shown : status)
        QVERIFY2(shown.value(0).toString().isEmpty(), qPrintable(shown.value(0).toString()));
}

QTEST_MAIN(LineServiceTest)
#include "tst_lineservice.moc"
