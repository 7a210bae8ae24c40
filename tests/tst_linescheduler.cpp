// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/linescheduler.h"
#include "support/manualclock.h"

#include <QSignalSpy>
#include <QTest>

// Whose request goes next on a served line, and when a client's hold has had
// its turn, on a clock the test moves.
class tst_LineScheduler : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void order_data();
    void order();
    void nothingGoesBeforeTheLineAllows_data();
    void nothingGoesBeforeTheLineAllows();
    void holdTurn_data();
    void holdTurn();

private:
    // "A:name": a command of client A; "A:bg…" in the background; "A:hold…" a hold.
    void add(const QString &request, int holdMs = 0);
    // Serves, each to its end at once, what the line lets go; their names.
    QStringList serveAll(const LineScheduler::Line &line);

    std::unique_ptr<ManualClock> m_clock;
    std::unique_ptr<LineScheduler> m_scheduler;
    QObject m_clients[3];
};

void tst_LineScheduler::init()
{
    m_clock = std::make_unique<ManualClock>();
    m_scheduler = std::make_unique<LineScheduler>(*m_clock);
}

void tst_LineScheduler::cleanup()
{
    m_scheduler.reset();
    m_clock.reset();
}

void tst_LineScheduler::add(const QString &request, int holdMs)
{
    const QString client = request.section(u':', 0, 0);
    const QString name = request.section(u':', 1);
    lineprotocol::Request body;
    body.name = request;
    body.kind = name.startsWith(u"hold") ? lineprotocol::Request::Kind::Hold
                                         : lineprotocol::Request::Kind::Command;
    body.ms = holdMs;
    body.background = name.startsWith(u"bg");
    QVERIFY(m_scheduler->add(&m_clients[client.at(0).unicode() - u'A'], body));
}

QStringList tst_LineScheduler::serveAll(const LineScheduler::Line &line)
{
    QStringList served;
    while (const std::optional<LineScheduler::Entry> next = m_scheduler->next(line)) {
        served << next->request.name;
        m_scheduler->finished();
    }
    return served;
}

void tst_LineScheduler::order_data()
{
    QTest::addColumn<QStringList>("requests");
    QTest::addColumn<bool>("operatorHolds");
    QTest::addColumn<QStringList>("servedWhileHeld"); // or, with no hold, all
    QTest::addColumn<QStringList>("servedAfter");

    const QStringList many = {"A:1", "A:2",  "A:3",  "A:4",  "A:5",  "A:6",  "A:7",  "A:8",
                              "A:9", "A:10", "A:11", "A:12", "A:13", "A:14", "A:15", "A:16"};
    QTest::newRow("clients take turns")
        << QStringList{"A:1", "A:2", "A:3", "B:1", "B:2", "C:1"} << false
        << QStringList{"A:1", "B:1", "C:1", "A:2", "B:2", "A:3"} << QStringList{};
    QTest::newRow("a client's 16 do not keep another's waiting")
        << many + QStringList{"B:1"} << false << QStringList{"A:1", "B:1"} + many.mid(1)
        << QStringList{};
    QTest::newRow("commands go between the ticks of the operator's hold")
        << QStringList{"A:1", "B:1", "A:2"} << true << QStringList{"A:1", "B:1", "A:2"}
        << QStringList{};
    QTest::newRow("the background waits for the operator's hold")
        << QStringList{"A:bg1", "B:1"} << true << QStringList{"B:1"} << QStringList{"A:bg1"};
    QTest::newRow("a client's hold waits for the operator's")
        << QStringList{"A:hold1", "B:1"} << true << QStringList{"B:1"} << QStringList{"A:hold1"};
    QTest::newRow("a client's commands keep their order behind one that waits")
        << QStringList{"A:bg1", "A:2", "B:1", "B:2"} << true << QStringList{"B:1", "B:2"}
        << QStringList{"A:bg1", "A:2"};
}

void tst_LineScheduler::order()
{
    QFETCH(QStringList, requests);
    QFETCH(bool, operatorHolds);
    QFETCH(QStringList, servedWhileHeld);
    QFETCH(QStringList, servedAfter);
    for (const QString &request : requests)
        add(request, 1000);
    QCOMPARE(serveAll({true, operatorHolds}), servedWhileHeld);
    QCOMPARE(serveAll({true, false}), servedAfter);
    QVERIFY(m_scheduler->isEmpty());
}

void tst_LineScheduler::nothingGoesBeforeTheLineAllows_data()
{
    QTest::addColumn<bool>("settled");
    QTest::addColumn<bool>("underWay");
    QTest::newRow("a reply to the operator's command is owed") << false << false;
    QTest::newRow("a client's command is under way") << true << true;
}

void tst_LineScheduler::nothingGoesBeforeTheLineAllows()
{
    QFETCH(bool, settled);
    QFETCH(bool, underWay);
    add(QStringLiteral("A:1"));
    add(QStringLiteral("B:1"));
    if (underWay)
        QVERIFY(m_scheduler->next({true, false}));
    QVERIFY(!m_scheduler->next({settled, false}));
    m_scheduler->finished();
    QCOMPARE(serveAll({true, false}).size(), underWay ? 1 : 2);
}

void tst_LineScheduler::holdTurn_data()
{
    QTest::addColumn<int>("holdMs");
    QTest::addColumn<QString>("wanting"); // "B": another client, "A": the holder, "operator"
    QTest::addColumn<int>("wantsAt");     // -1: nobody
    QTest::addColumn<int>("goneAt");      // the other client goes away; -1: it stays
    QTest::addColumn<int>("cutAt");       // -1: held its whole time

    const int turn = LineScheduler::kHoldTurnMs;
    QTest::newRow("another client waits: cut at the turn's end")
        << 600000 << "B" << 1000 << -1 << turn;
    QTest::newRow("another client comes after the turn: cut at once")
        << 600000 << "B" << 20000 << -1 << 20000;
    QTest::newRow("the operator sends a command: cut at the turn's end")
        << 600000 << "operator" << 2000 << -1 << turn;
    QTest::newRow("nobody waits: held its whole time") << 600000 << "" << -1 << -1 << -1;
    QTest::newRow("only its own commands wait: held its whole time")
        << 600000 << "A" << 1000 << -1 << -1;
    QTest::newRow("a hold of the turn's length is never cut") << turn << "B" << 1000 << -1 << -1;
    QTest::newRow("the other client went away before the turn's end")
        << 600000 << "B" << 1000 << 3000 << -1;
}

void tst_LineScheduler::holdTurn()
{
    QFETCH(int, holdMs);
    QFETCH(QString, wanting);
    QFETCH(int, wantsAt);
    QFETCH(int, goneAt);
    QFETCH(int, cutAt);

    add(QStringLiteral("A:hold"), holdMs);
    QVERIFY(m_scheduler->next({true, false}));
    qint64 cut = -1;
    connect(m_scheduler.get(), &LineScheduler::turnOver, this, [&] {
        QCOMPARE(cut, -1);
        cut = m_clock->nowMs();
    });
    if (wantsAt >= 0) {
        m_clock->advanceTo(wantsAt);
        if (wanting == u"operator")
            m_scheduler->operatorSent();
        else
            add(wanting + QStringLiteral(":1"));
    }
    if (goneAt >= 0) {
        m_clock->advanceTo(goneAt);
        m_scheduler->remove(&m_clients[1]);
    }
    m_clock->advanceTo(holdMs);
    QCOMPARE(cut, qint64(cutAt));
    QCOMPARE(m_scheduler->cutShort(), cutAt >= 0);
    m_scheduler->finished();
    QVERIFY(!m_scheduler->cutShort());
}

QTEST_GUILESS_MAIN(tst_LineScheduler)
#include "tst_linescheduler.moc"
