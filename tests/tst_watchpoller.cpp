// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/console.h"
#include "core/lineservice.h"
#include "link/localendpoint.h"
#include "sim/anyline.h"
#include "support/answeringfarend.h"
#include "support/ptypair.h"
#include "watch/consolelink.h"
#include "watch/linechoice.h"
#include "watch/linepoller.h"
#include "watch/servedlink.h"

#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QSignalSpy>
#include <QTest>
#include <functional>

using namespace watch;

// The rounds of one line: who is asked what, one query at a time, and a line
// that is dead holding up no other.
class WatchPollerTest : public QObject
{
    Q_OBJECT

private slots:
    void silentProjectorIsAskedNoMore();
    void lostLineMarksTheRestDownAndIsReopened();
    void deadLineDelaysNoOther();
    void lostLineToldInTheWatchsWords();
    void consoleStartsAndEndsBetweenRounds();
    void patienceCountsFromGoingOut();
    void roundClock_data();
    void roundClock();
    void slowQueriesKeepTheCadence();
    void refusingProjectorIsUp();
};

namespace {

struct Ask
{
    int address;
    Query query;
    bool operator==(const Ask &) const = default;
};

// Answers from the event loop as a line does, and refuses a second query
// while one is in flight.
class ScriptedLink : public StatusLink
{
public:
    std::function<LinkAnswer(const Ask &)> script;
    QList<Ask> asks;
    int openings = 0;
    bool inFlight = false;
    bool overlapped = false;
    int delayMs = 0; // how long each query takes
    bool open(QString *) override
    {
        ++openings;
        m_open = true;
        return true;
    }
    bool isOpen() const override { return m_open; }
    void ask(int address, Query query) override
    {
        overlapped |= inFlight;
        inFlight = true;
        asks.append({address, query});
        const LinkAnswer answer = script(asks.last());
        if (answer.lineFailed)
            m_open = false;
        QTimer::singleShot(delayMs, this, [this, answer] {
            inFlight = false;
            emit answered(answer);
        });
    }

private:
    bool m_open = false;
};

const QHash<Query, QString> kReplies = {
    {Query::Power, "00"},     {Query::Input, "2"},        {Query::MuteSignal, "00"},
    {Query::Reversal, "11"},  {Query::LampTime, "01203"}, {Query::Temperatures, "+35.0, 41.5"},
    {Query::Pressure, "512"}, {Query::LampMode, "0F"},    {Query::LampFailures, "NO FAIL"},
};

LinkAnswer reply(const Ask &ask)
{
    return {true, status::readValue(ask.query, kReplies.value(ask.query)), 20, false, {}};
}

MSComm::LineFactory lineOf(const QString &device)
{
    return [device](int port) { return port == 1 ? makeLine(device) : nullptr; };
}

} // namespace

void WatchPollerTest::silentProjectorIsAskedNoMore()
{
    auto owned = std::make_unique<ScriptedLink>();
    ScriptedLink &link = *owned;
    link.script = [](const Ask &ask) { return ask.address == 1 ? LinkAnswer{} : reply(ask); };
    LinePoller poller(QStringLiteral("hall"), {1, 2}, std::move(owned), 60000);
    QSignalSpy read(&poller, &LinePoller::projectorRead);
    QSignalSpy rounds(&poller, &LinePoller::roundFinished);
    QElapsedTimer epoch;
    epoch.start();
    poller.start(epoch);
    QTRY_COMPARE(rounds.size(), 1);

    QCOMPARE(link.asks.size(), 1 + int(queries().size()));
    QCOMPARE(link.asks.first(), Ask({1, Query::Power}));
    QCOMPARE(link.asks.at(1), Ask({2, Query::Power}));
    QVERIFY(!link.overlapped);
    QCOMPARE(read.size(), 2);
    const auto silent = read.at(0).at(0).value<Reading>();
    QVERIFY(!silent.up && !silent.power && !silent.lastAnswer.isValid());
    const auto answering = read.at(1).at(0).value<Reading>();
    QVERIFY(answering.up && answering.lastAnswer.isValid());
    QCOMPARE(answering.input, 2);
    QCOMPARE(answering.lampHours, 1203);
    QCOMPARE(answering.pressureHpa, 650);
    QCOMPARE(answering.lampsFailed, quint8(0));
    QCOMPARE(answering.replySeconds, 0.02);
    QCOMPARE(rounds.first().at(1).toULongLong(), 1u);
}

void WatchPollerTest::lostLineMarksTheRestDownAndIsReopened()
{
    auto owned = std::make_unique<ScriptedLink>();
    ScriptedLink &link = *owned;
    link.script = [&link](const Ask &ask) {
        if (link.openings == 1 && ask.address == 2 && ask.query == Query::Reversal)
            return LinkAnswer{false, std::nullopt, 0, true, QStringLiteral("gone")};
        return reply(ask);
    };
    LinePoller poller(QStringLiteral("hall"), {1, 2, 3, 4}, std::move(owned), 100);
    QSignalSpy read(&poller, &LinePoller::projectorRead);
    QSignalSpy trouble(&poller, &LinePoller::lineTrouble);
    QSignalSpy rounds(&poller, &LinePoller::roundFinished);
    QElapsedTimer epoch;
    epoch.start();
    poller.start(epoch);
    QTRY_COMPARE(rounds.size(), 1);
    QCOMPARE(trouble.size(), 1);
    QCOMPARE(trouble.first().at(1).toString(), QStringLiteral("gone"));
    QCOMPARE(read.size(), 4);
    QList<bool> up;
    for (const QList<QVariant> &r : read)
        up << r.at(0).value<Reading>().up;
    QCOMPARE(up, QList<bool>({true, false, false, false}));

    QTRY_COMPARE(rounds.size(), 2);
    QCOMPARE(link.openings, 2);
    QCOMPARE(read.size(), 8);
    QVERIFY(read.last().at(0).value<Reading>().up);
}

void WatchPollerTest::deadLineDelaysNoOther()
{
    PtyPair dead; // nobody answers at its far end
    QVERIFY(dead.isValid());
    LinePoller silent(
        QStringLiteral("dead"), {1, 2, 3, 4},
        std::make_unique<ConsoleLink>(lineOf(dead.slavePath()), QStringLiteral("19200,N,8,1")),
        60000);
    LinePoller lively(
        QStringLiteral("sim"), {0},
        std::make_unique<ConsoleLink>(lineOf(QStringLiteral("sim")), QStringLiteral("19200,N,8,1")),
        60000);
    QSignalSpy silentRounds(&silent, &LinePoller::roundFinished);
    QSignalSpy livelyRounds(&lively, &LinePoller::roundFinished);
    QSignalSpy livelyRead(&lively, &LinePoller::projectorRead);
    QElapsedTimer epoch;
    epoch.start();
    silent.start(epoch);
    lively.start(epoch);

    QTRY_COMPARE_WITH_TIMEOUT(livelyRounds.size(), 1, 3000);
    QVERIFY2(silentRounds.isEmpty(), "the dead line's round ended before the live line's");
    QVERIFY(livelyRead.first().at(0).value<Reading>().up);
    // Each of the four silent projectors has its reply window of 500 ms.
    QTRY_COMPARE_WITH_TIMEOUT(silentRounds.size(), 1, 5000);
    QVERIFY(silentRounds.first().at(2).toLongLong() >= 4 * 500);
    QVERIFY(livelyRounds.first().at(2).toLongLong() < 1000);
}

// A line that goes away during a query fails it with the cause, and with
// advice that fits the watch: it has no port panel, it tries again.
void WatchPollerTest::lostLineToldInTheWatchsWords()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    ConsoleLink link(lineOf(pty.slavePath()), QStringLiteral("19200,N,8,1"));
    QSignalSpy answered(&link, &StatusLink::answered);
    QString error;
    QVERIFY2(link.open(&error), qPrintable(error));
    link.ask(1, Query::Power);
    pty.closeMaster();
    QTRY_COMPARE(answered.size(), 1);
    const auto answer = answered.first().first().value<LinkAnswer>();
    QVERIFY(answer.lineFailed);
    QVERIFY2(answer.failure.contains(QStringLiteral("went away"))
                 && answer.failure.contains(QStringLiteral("next round"))
                 && !answer.failure.contains(QStringLiteral("port panel")),
             qPrintable(answer.failure));
}

// Each round goes the way the line can be taken then: the watch's own line
// while no console serves it, let go at the round's end so that a console can
// open it, then through that console, and its own again once it has ended.
void WatchPollerTest::consoleStartsAndEndsBetweenRounds()
{
    AnsweringFarEnd farEnd;
    QVERIFY(farEnd.isValid());
    const QString device = farEnd.slavePath();
    auto owned
        = std::make_unique<LineChoice>(device, lineOf(device), QStringLiteral("19200,N,8,1"));
    LineChoice &link = *owned;
    LinePoller poller(QStringLiteral("hall"), {0}, std::move(owned), 300);
    std::unique_ptr<Console> console;
    std::unique_ptr<LineService> service;
    QList<bool> served, up;
    int throughConsole = 0;
    connect(&poller, &LinePoller::projectorRead, this,
            [&](const Reading &reading) { up << reading.up; });
    connect(&poller, &LinePoller::roundFinished, this, [&](const QString &, quint64 round) {
        served << link.served();
        if (round == 1) {
            console = std::make_unique<Console>(lineOf(device));
            QVERIFY(console->Form_Load());
            service = std::make_unique<LineService>(*console, [device](int) { return device; });
            service->refresh();
            connect(console.get(), &Console::transmitted, this,
                    [&](const QString &, quint64 intent) {
                        throughConsole += !service->senderOf(intent).isEmpty();
                    });
        } else if (round == 2) {
            service.reset();
            console.reset();
        }
    });
    QElapsedTimer epoch;
    epoch.start();
    poller.start(epoch);
    QTRY_COMPARE_WITH_TIMEOUT(served.size(), 3, 5000);
    QCOMPARE(served, QList<bool>({false, true, false}));
    QCOMPARE(up, QList<bool>({true, true, true}));
    QCOMPARE(throughConsole, int(queries().size()));
    QCOMPARE(farEnd.texts().count("CR0"), 3);
}

// A served query waits for the operator without limit; once it has gone out,
// a console that does not end it fails the line after the patience.
void WatchPollerTest::patienceCountsFromGoingOut()
{
    const QString path = QDir::tempPath() + QStringLiteral("/tst_watchpoller-console");
    QLocalServer server;
    QLocalServer::removeServer(path);
    QVERIFY(server.listen(path));
    ServedLink link(LocalChannel::connectTo(path, 1000), QStringLiteral("hall"),
                    QStringLiteral("19200,N,8,1"));
    link.setPatience(200);
    QVERIFY(server.waitForNewConnection(1000));
    LocalChannel console(server.nextPendingConnection());
    QSignalSpy requests(&console, &LocalChannel::lineReceived);
    QSignalSpy answered(&link, &StatusLink::answered);
    link.ask(2, Query::LampTime);
    QTRY_COMPARE(requests.size(), 1);
    const QJsonObject request
        = QJsonDocument::fromJson(requests.first().first().toByteArray()).object();
    QCOMPARE(request.value("command").toString(), QStringLiteral("Command46"));
    QCOMPARE(request.value("address").toString(), QStringLiteral("A002"));
    QVERIFY(request.value("background").toBool());

    QTest::qWait(500); // the operator holds a button
    QVERIFY(answered.isEmpty());
    QElapsedTimer sinceSent;
    sinceSent.start();
    console.send(
        QJsonDocument(QJsonObject{{"v", 1}, {"id", request.value("id")}, {"tx", " C R 3 CR "}})
            .toJson(QJsonDocument::Compact));
    QTRY_COMPARE(answered.size(), 1);
    QVERIFY(sinceSent.elapsed() >= 190);
    const auto answer = answered.first().first().value<LinkAnswer>();
    QVERIFY(answer.lineFailed && !answer.answered);
    QVERIFY2(answer.failure.contains("did not end a query within 0.2 s"),
             qPrintable(answer.failure));
}

// Where each round starts, on the grid that the first round's start sets.
void WatchPollerTest::roundClock_data()
{
    QTest::addColumn<qint64>("started");
    QTest::addColumn<qint64>("ended");
    QTest::addColumn<qint64>("next");
    QTest::addColumn<bool>("late");
    // Anchor 1000, period 500.
    QTest::newRow("short round") << qint64(1000) << qint64(1200) << qint64(1500) << false;
    QTest::newRow("ends as the next is due")
        << qint64(1500) << qint64(2000) << qint64(2000) << false;
    QTest::newRow("ends just after") << qint64(1500) << qint64(2001) << qint64(2500) << true;
    QTest::newRow("ends on a later point") << qint64(1500) << qint64(3000) << qint64(3000) << true;
    QTest::newRow("runs past two points") << qint64(1000) << qint64(2300) << qint64(2500) << true;
}

void WatchPollerTest::roundClock()
{
    QFETCH(qint64, started);
    QFETCH(qint64, ended);
    QFETCH(qint64, next);
    QFETCH(bool, late);
    const RoundClock clock{1000, 500};
    QCOMPARE(clock.nextStart(started, ended), next);
    QCOMPARE(clock.late(started, ended), late);
}

// Rounds whose queries take time still start a period apart: the wait for
// the next round counts from when a round ends.
void WatchPollerTest::slowQueriesKeepTheCadence()
{
    auto owned = std::make_unique<ScriptedLink>();
    owned->script = reply;
    owned->delayMs = 40;
    const qint64 period = 500;
    LinePoller poller(QStringLiteral("hall"), {0}, std::move(owned), period);
    QElapsedTimer epoch;
    epoch.start();
    QList<qint64> starts;
    connect(&poller, &LinePoller::roundFinished, this,
            [&](const QString &, quint64, qint64 durationMs) {
                starts << epoch.elapsed() - durationMs;
                QVERIFY(durationMs >= 40 * qint64(queries().size()));
            });
    poller.start(epoch);
    QTRY_COMPARE_WITH_TIMEOUT(starts.size(), 3, 5000);
    for (qsizetype n = 1; n < starts.size(); ++n) {
        const qint64 since = starts.at(n) - starts.first();
        QVERIFY2(
            since >= n * period - 5 && since < n * period + 250,
            qPrintable(
                QStringLiteral("round %1 started %2 ms after the first").arg(n + 1).arg(since)));
    }
}

// A refusal answers the power query: the projector is up, with no values.
void WatchPollerTest::refusingProjectorIsUp()
{
    PtyPair pty;
    QVERIFY(pty.isValid());
    LinePoller poller(
        QStringLiteral("hall"), {0},
        std::make_unique<ConsoleLink>(lineOf(pty.slavePath()), QStringLiteral("19200,N,8,1")),
        60000);
    QSignalSpy read(&poller, &LinePoller::projectorRead);
    QElapsedTimer epoch;
    epoch.start();
    poller.start(epoch);
    QTRY_VERIFY(([&] {
        for (qsizetype n = pty.takeAll().count('\r'); n > 0; --n)
            pty.write("?\r");
        return !read.isEmpty();
    }()));
    const auto reading = read.first().first().value<Reading>();
    QVERIFY(reading.up);
    QVERIFY(!reading.power && !reading.lampHours);
}

QTEST_GUILESS_MAIN(WatchPollerTest)
#include "tst_watchpoller.moc"
