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
#include <QTemporaryDir>
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
    void clientGoneMidHoldEndsIt();
    void holdCutForAnotherClient_data();
    void holdCutForAnotherClient();
    void impostorRefused_data();
    void impostorRefused();
    void unsafePlaceNotServed_data();
    void unsafePlaceNotServed();
    void squatReplaced_data();
    void squatReplaced();
    void secondConsoleRefused();
    void longDeviceNameServed();
    void textWithLineEndRefused_data();
    void textWithLineEndRefused();
    void neverReadingClientDropped();
    void idleConnectionClosed();
    void slotsShared_data();
    void slotsShared();
    void lockNotHonoured_data();
    void lockNotHonoured();

private:
    QProcess &ctl(const QStringList &arguments, const QStringList &asUser = {});
    QProcess &python(const QString &script, const QStringList &arguments,
                     const QStringList &asUser = {});
    // Serves the far end's device anew, its group dialout: none when the
    // machine has no dialout group or setpriv, or the test does not run as root.
    bool serveToDialout();
    static QStringList nobody(bool inDialout);
    static bool finish(QProcess &process, int timeoutMs = 10000);
    static QList<QJsonObject> jsonLines(QProcess &process);

    std::unique_ptr<QTemporaryDir> m_runtime;
    std::unique_ptr<AnsweringFarEnd> m_farEnd;
    ConsoleWindow m_window;
    std::unique_ptr<LineService> m_service;
    std::vector<std::unique_ptr<QProcess>> m_processes;
};

void LineServiceTest::init()
{
    // The endpoints of this test, out of every other program's reach.
    m_runtime = std::make_unique<QTemporaryDir>();
    QVERIFY(m_runtime->isValid());
    qputenv("PROJECTOR_CONSOLE_RUNTIME_DIR", QFile::encodeName(m_runtime->path()));
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
    m_runtime.reset();
}

QProcess &LineServiceTest::python(const QString &script, const QStringList &arguments,
                                  const QStringList &asUser)
{
    auto &process = m_processes.emplace_back(std::make_unique<QProcess>());
    process->setProcessChannelMode(QProcess::MergedChannels);
    const QStringList command
        = QStringList{QStringLiteral("/usr/bin/python3"), QStringLiteral("-c"), script} + arguments;
    if (asUser.isEmpty())
        process->start(command.first(), command.mid(1));
    else
        process->start(QStringLiteral("setpriv"), asUser + command);
    return *process;
}

QStringList LineServiceTest::nobody(bool inDialout)
{
    const group *dialout = ::getgrnam("dialout");
    return {QStringLiteral("--reuid=65534"), QStringLiteral("--regid=65534"),
            inDialout && dialout ? QStringLiteral("--groups=%1").arg(dialout->gr_gid)
                                 : QStringLiteral("--clear-groups")};
}

bool LineServiceTest::serveToDialout()
{
    const group *dialout = ::getgrnam("dialout");
    if (!dialout || ::geteuid() != 0 || QStandardPaths::findExecutable("setpriv").isEmpty())
        return false;
    const QByteArray device = QFile::encodeName(m_farEnd->slavePath());
    const QByteArray runtime = QFile::encodeName(m_runtime->path());
    if (::chown(device.constData(), 0, dialout->gr_gid) != 0 || ::chmod(device.constData(), 0660)
        || ::chown(runtime.constData(), 0, dialout->gr_gid) != 0
        || ::chmod(runtime.constData(), 02770) != 0)
        return false;
    // Served anew: the endpoint takes the device's permissions when it is made.
    m_service = std::make_unique<LineService>(
        m_window.window->console(),
        [device = m_farEnd->slavePath()](int port) { return port == 1 ? device : QString(); });
    m_service->refresh();
    return !m_service->endpoint().isEmpty();
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
    if (!serveToDialout())
        QSKIP("needs root, a dialout group and setpriv");
    const group *dialout = ::getgrnam("dialout");
    struct stat st = {};
    QCOMPARE(::stat(QFile::encodeName(m_service->endpoint()).constData(), &st), 0);
    QCOMPARE(st.st_gid, dialout->gr_gid);
    QCOMPARE(st.st_mode & 0777, mode_t(0660));

    QProcess &client
        = ctl({QStringLiteral("POWER OFF"), QStringLiteral("STATUS")}, nobody(inDialout));
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
        flood.write(QJsonDocument(QJsonObject{{"v", 1}, {"id", id}, {"command", "Command44"}})
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
    // Left by a console of an earlier pseudo-terminal of the same number.
    QFile stale(endpointPath(device));
    QVERIFY(stale.open(QIODevice::WriteOnly));
    stale.close();
    const auto serving
        = [&device] { return LocalChannel::reach(device).reach == LocalChannel::Reach::Served; };
    QProcess console;
    console.start(QStringLiteral(PROJECTOR_CONSOLE_PATH), {QStringLiteral("--com1"), device});
    QTRY_VERIFY_WITH_TIMEOUT(serving(), 5000);
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

// A client that goes away while it holds a button: the hold ends with it.
void LineServiceTest::clientGoneMidHoldEndsIt()
{
    QProcess &client
        = ctl({QStringLiteral("--hold"), QStringLiteral("4000"), QStringLiteral("VOL +")});
    QTRY_COMPARE(m_farEnd->texts().size(), 2);
    client.kill();
    QVERIFY(finish(client));
    const qsizetype ticks = m_farEnd->texts().size();
    QTest::qWait(800);
    QVERIFY2(m_farEnd->texts().size() <= ticks + 1, m_farEnd->texts().join(' '));
    QVERIFY(!m_window.window->console().repeating());
}

void LineServiceTest::holdCutForAnotherClient_data()
{
    QTest::addColumn<bool>("byOperator");
    QTest::newRow("another client's STATUS") << false;
    QTest::newRow("the operator's STATUS") << true;
}

// A long hold ends at its turn once somebody else wants the line, and says so.
void LineServiceTest::holdCutForAnotherClient()
{
    QFETCH(bool, byOperator);
    constexpr int kTurnMs = 600;
    LineService::Limits limits;
    limits.holdTurnMs = kTurnMs;
    m_service->setLimits(limits);
    QElapsedTimer clock;
    clock.start();
    QProcess &holder = ctl({QStringLiteral("--json"), QStringLiteral("--hold"),
                            QStringLiteral("8000"), QStringLiteral("VOL +")});
    QTRY_COMPARE(m_farEnd->texts().size(), 2);
    if (byOperator) {
        m_window.click(QStringLiteral("Command44"));
    } else {
        QProcess &other = ctl({QStringLiteral("STATUS")});
        QVERIFY(finish(other));
        QCOMPARE(other.exitCode(), 0);
    }
    QVERIFY(finish(holder));
    const qint64 held = clock.elapsed();
    QVERIFY2(held < kTurnMs + 1500, qPrintable(QStringLiteral("held %1 ms").arg(held)));
    QCOMPARE(holder.exitCode(), 3);
    QVERIFY2(holder.readAllStandardError().contains("the hold of VOL + was cut short"),
             m_farEnd->texts().join(' '));
    QCOMPARE(jsonLines(holder).value(0).value("result").toString(), QStringLiteral("line-failed"));
    const QByteArrayList texts = m_farEnd->texts();
    QCOMPARE(texts.count("CR0"), 1);
    QVERIFY2(texts.count("C09") <= kTurnMs / 250 + 2, texts.join(' '));
}

// Answers every request with a made-up "answered", and prints what it got.
static const char kImpostor[] = R"(
import json, socket, sys
s = socket.socket(socket.AF_UNIX)
s.bind(sys.argv[1])
s.listen(8)
print("listening", flush=True)
while True:
    c, _ = s.accept()
    for line in c.makefile("rb"):
        sys.stdout.buffer.write(line)
        sys.stdout.flush()
        request = json.loads(line)
        c.sendall(json.dumps({"v": 1, "id": request.get("id", 0), "outcome": {
            "command": "POWER OFF", "result": "answered", "status": "Power on",
            "sent": " C 0 1 CR ", "received": " 0 0 CR "}}).encode() + b"\n")
)";

void LineServiceTest::impostorRefused_data()
{
    QTest::addColumn<bool>("simulated");
    QTest::newRow("a device") << false;
    QTest::newRow("the simulated line") << true;
}

// Another user's program at the endpoint of a line nobody serves gets nothing:
// the client names it, and opens the line itself.
void LineServiceTest::impostorRefused()
{
    QFETCH(bool, simulated);
    if (::geteuid() != 0 || QStandardPaths::findExecutable("setpriv").isEmpty())
        QSKIP("needs root and setpriv");
    AnsweringFarEnd farEnd;
    QVERIFY(farEnd.isValid());
    const QString device = simulated ? QStringLiteral("sim") : farEnd.slavePath();
    // A place anybody may write, as /run/lock is.
    QCOMPARE(::chmod(QFile::encodeName(m_runtime->path()).constData(), 0777), 0);
    QProcess &impostor = python(QLatin1String(kImpostor), {endpointPath(device)}, nobody(false));
    QTRY_VERIFY(QFileInfo::exists(endpointPath(device)));

    QProcess client;
    client.start(QStringLiteral(PROJECTOR_CTL_PATH), {"--line", device, "STATUS"});
    QVERIFY(finish(client));
    const QByteArray said = client.readAllStandardError();
    QVERIFY2(said.contains(QFile::encodeName(endpointPath(device)))
                 && said.contains(QStringLiteral("pid %1").arg(impostor.processId()).toUtf8())
                 && said.contains("uid 65534"),
             said.constData());
    QTest::qWait(100);
    QCOMPARE(impostor.readAll(), QByteArray("listening\n"));
    QCOMPARE(client.exitCode(), 0);
    if (!simulated)
        QCOMPARE(farEnd.texts(), QByteArrayList{"CR0"});
}

void LineServiceTest::unsafePlaceNotServed_data()
{
    QTest::addColumn<uint>("owner");
    QTest::addColumn<int>("mode");
    QTest::newRow("anybody may write") << 0u << 01777;
    QTest::newRow("another user's") << 65534u << 0700;
}

// Where a user who may not use the line could make the endpoint, the line is
// not served, and the console says why.
void LineServiceTest::unsafePlaceNotServed()
{
    QFETCH(uint, owner);
    QFETCH(int, mode);
    if (::geteuid() != 0)
        QSKIP("needs root");
    m_service.reset();
    const QByteArray runtime = QFile::encodeName(m_runtime->path());
    QCOMPARE(::chown(runtime.constData(), owner, gid_t(-1)), 0);
    QCOMPARE(::chmod(runtime.constData(), mode_t(mode)), 0);
    const QString device = m_farEnd->slavePath();
    m_service = std::make_unique<LineService>(
        m_window.window->console(), [device](int port) { return port == 1 ? device : QString(); });
    QSignalSpy problem(m_service.get(), &LineService::problem);
    m_service->refresh();
    QCOMPARE(problem.size(), 1);
    QVERIFY2(problem.first().first().toString().contains(m_runtime->path()),
             qPrintable(problem.first().first().toString()));
    QVERIFY(!QFileInfo::exists(endpointPath(device)));
}

void LineServiceTest::squatReplaced_data()
{
    QTest::addColumn<QString>("squat");
    QTest::newRow("a directory") << QStringLiteral("import os,sys; os.mkdir(sys.argv[1])");
    QTest::newRow("an empty file") << QStringLiteral("open(__import__('sys').argv[1], 'w')");
    QTest::newRow("a socket nobody listens on")
        << QStringLiteral("import socket,sys; socket.socket(socket.AF_UNIX).bind(sys.argv[1])");
}

// What another user left at the endpoint (a console of theirs killed, or a
// squat) neither stops the console serving nor misleads its clients.
void LineServiceTest::squatReplaced()
{
    QFETCH(QString, squat);
    m_service.reset();
    if (!serveToDialout())
        QSKIP("needs root, a dialout group and setpriv");
    const QString path = m_service->endpoint();
    m_service.reset();
    QProcess &squatter = python(squat, {path}, nobody(true));
    QVERIFY(finish(squatter));
    QFileInfo left(path);
    QVERIFY(left.exists());
    QCOMPARE(left.ownerId(), 65534u);
    QVERIFY(serveToDialout());
    QCOMPARE(m_service->endpoint(), path);
    QProcess &client = ctl({QStringLiteral("STATUS")}, nobody(true));
    QVERIFY(finish(client));
    QCOMPARE(client.exitCode(), 0);
    QCOMPARE(m_farEnd->texts(), QByteArrayList{"CR0"});
}

// A second console on a served line leaves the first serving it.
void LineServiceTest::secondConsoleRefused()
{
    const QString device = m_farEnd->slavePath();
    LineService second(m_window.window->console(),
                       [device](int port) { return port == 1 ? device : QString(); });
    QSignalSpy problem(&second, &LineService::problem);
    QSignalSpy sent(&m_window.window->console(), &Console::transmitted);
    second.refresh();
    QCOMPARE(problem.size(), 1);
    const QString said = problem.first().first().toString();
    QVERIFY2(said.contains(QStringLiteral("pid %1 (tst_lineservice)").arg(getpid())),
             qPrintable(said));
    QProcess &client = ctl({QStringLiteral("STATUS")});
    QVERIFY(finish(client));
    QCOMPARE(client.exitCode(), 0);
    QCOMPARE(sent.size(), 1); // through the first console
}

// A device of any name is served: here the pseudo-terminal under a path of
// 107 characters.
void LineServiceTest::longDeviceNameServed()
{
    if (::geteuid() != 0)
        QSKIP("needs root to make a device node");
    const QString folder = m_runtime->path() + u'/' + QString(60, u'd');
    QVERIFY(QDir().mkpath(folder));
    const QString device = folder + u'/' + QString(106 - folder.size(), u'p');
    QCOMPARE(device.size(), 107);
    struct stat st = {};
    QCOMPARE(::stat(QFile::encodeName(m_farEnd->slavePath()).constData(), &st), 0);
    QCOMPARE(::mknod(QFile::encodeName(device).constData(), S_IFCHR | 0620, st.st_rdev), 0);
    m_service = std::make_unique<LineService>(
        m_window.window->console(), [device](int port) { return port == 1 ? device : QString(); });
    m_service->refresh();
    QVERIFY(!m_service->endpoint().isEmpty());
    QSignalSpy sent(&m_window.window->console(), &Console::transmitted);
    QProcess client;
    client.start(QStringLiteral(PROJECTOR_CTL_PATH), {"--line", device, "STATUS"});
    QVERIFY(finish(client));
    QCOMPARE(client.exitCode(), 0);
    QCOMPARE(sent.size(), 1); // through the console
}

void LineServiceTest::textWithLineEndRefused_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("CR inside") << QStringLiteral("CR3\rCR6");
    QTest::newRow("LF inside") << QStringLiteral("CR3\nCR6");
}

// One request is one command on the line.
void LineServiceTest::textWithLineEndRefused()
{
    QFETCH(QString, text);
    QProcess &client = ctl({QStringLiteral("--code"), text});
    QVERIFY(finish(client));
    QCOMPARE(client.exitCode(), 3);
    const QByteArray said = client.readAllStandardError();
    QVERIFY2(said.contains("CR or LF before its end"), said.constData());
    QTest::qWait(100);
    QVERIFY(m_farEnd->texts().isEmpty());
}

// Sends requests as fast as it can and never reads an answer.
static const char kFlood[] = R"(
import json, socket, sys, time
s = socket.socket(socket.AF_UNIX)
s.connect(sys.argv[1])
for i in range(int(sys.argv[2])):
    try:
        s.sendall(json.dumps({"v": 1, "id": i + 1, "command": "Command44"}).encode() + b"\n")
    except OSError:
        break
time.sleep(60)
)";

// A client that sends and never reads is dropped once what it leaves unread
// passes the bound; another client is served meanwhile.
void LineServiceTest::neverReadingClientDropped()
{
    LineService::Limits limits;
    limits.heldBytes = 16 * 1024;
    m_service->setLimits(limits);
    QSignalSpy problem(m_service.get(), &LineService::problem);
    m_farEnd->setMute(true);
    QProcess &flood = python(QLatin1String(kFlood), {m_service->endpoint(), "20000"});
    QTRY_COMPARE_WITH_TIMEOUT(problem.size(), 1, 10000);
    const QString said = problem.first().first().toString();
    QVERIFY2(said.contains(QStringLiteral("pid %1").arg(flood.processId()))
                 && said.contains(u"unread"),
             qPrintable(said));
    m_farEnd->setMute(false);
    QProcess &client = ctl({QStringLiteral("L-TIME")});
    QVERIFY(finish(client));
    QCOMPARE(client.exitCode(), 0);
}

// A connection that asks nothing is closed after a while, and told why.
void LineServiceTest::idleConnectionClosed()
{
    LineService::Limits limits;
    limits.idleMs = 300;
    m_service->setLimits(limits);
    QLocalSocket idle;
    idle.connectToServer(m_service->endpoint());
    QVERIFY(idle.waitForConnected(1000));
    QTRY_COMPARE(idle.state(), QLocalSocket::UnconnectedState);
    const QJsonObject told = QJsonDocument::fromJson(idle.readAll()).object();
    QVERIFY2(told.value("outcome").toObject().value("failure").toString().contains("no request"),
             QJsonDocument(told).toJson().constData());
}

// Holds a connection open without a word.
static const char kIdle[] = R"(
import socket, sys, time
s = socket.socket(socket.AF_UNIX)
s.connect(sys.argv[1])
print(s.recv(4096).decode() or "kept", flush=True)
time.sleep(60)
)";

// One user cannot take every connection; the console's own user (root here)
// still gets one, and a refused client is told why.
void LineServiceTest::slotsShared_data()
{
    QTest::addColumn<int>("clients");
    QTest::addColumn<int>("perUser");
    QTest::addColumn<QByteArray>("told");
    QTest::newRow("one user") << 32 << 1 << QByteArray("uid 65534 has 1 connections");
    QTest::newRow("all other users") << 1 << 8 << QByteArray("serves 1 clients already");
}

void LineServiceTest::slotsShared()
{
    QFETCH(int, clients);
    QFETCH(int, perUser);
    QFETCH(QByteArray, told);
    if (!serveToDialout())
        QSKIP("needs root, a dialout group and setpriv");
    LineService::Limits limits;
    limits.clients = clients;
    limits.perUser = perUser;
    m_service->setLimits(limits);
    QProcess &first = python(QLatin1String(kIdle), {m_service->endpoint()}, nobody(true));
    QTRY_COMPARE(m_service->findChildren<LocalChannel *>().size(), 1);
    QProcess &second = python(QLatin1String(kIdle), {m_service->endpoint()}, nobody(true));
    QByteArray said;
    QTRY_VERIFY((said += second.readAll()).contains('\n'));
    QVERIFY2(said.contains(told), said.constData());
    QProcess &operatorOwn = ctl({QStringLiteral("STATUS")});
    QVERIFY(finish(operatorOwn));
    QCOMPARE(operatorOwn.exitCode(), 0);
    QCOMPARE(first.bytesAvailable(), 0);
}

// Writes a lock file naming its own process, as a program holding the device would.
static const char kLocker[] = R"(
import os, sys, time
with open(sys.argv[1], "w") as f:
    f.write("%10d\n%s\n" % (int(sys.argv[2]) or os.getpid(),
                             os.path.basename(os.readlink("/proc/self/exe"))))
print("locked", flush=True)
time.sleep(60)
)";

void LineServiceTest::lockNotHonoured_data()
{
    QTest::addColumn<bool>("ended");
    QTest::newRow("naming a process that ended") << true;
    QTest::newRow("by a user who may not use the device") << false;
}

// A lock file that no live process of a user who may use the device keeps is
// no lock: the device opens.
void LineServiceTest::lockNotHonoured()
{
    QFETCH(bool, ended);
    if (::geteuid() != 0 || QStandardPaths::findExecutable("setpriv").isEmpty())
        QSKIP("needs root and setpriv");
    AnsweringFarEnd farEnd;
    QVERIFY(farEnd.isValid());
    const QString lock
        = QStringLiteral("/run/lock/LCK..") + farEnd.slavePath().mid(5).replace(u'/', u'_');
    // Beyond the process ids this system gives out.
    const qint64 pid = ended ? 4194303 : 0;
    QProcess &locker = python(QLatin1String(kLocker), {lock, QString::number(pid)},
                              ended ? QStringList() : nobody(false));
    QByteArray told;
    QTRY_VERIFY2((told += locker.readAll()).contains("locked"), told.constData());
    QVERIFY(QFileInfo::exists(lock));
    QProcess client;
    client.start(QStringLiteral(PROJECTOR_CTL_PATH), {"--line", farEnd.slavePath(), "STATUS"});
    QVERIFY(finish(client));
    QVERIFY2(client.exitCode() == 0, client.readAllStandardError().constData());
    QCOMPARE(farEnd.texts(), QByteArrayList{"CR0"});
}

QTEST_MAIN(LineServiceTest)
#include "tst_lineservice.moc"
