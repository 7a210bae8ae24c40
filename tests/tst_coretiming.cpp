// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/console.h"
#include "support/fakeline.h"
#include "support/manualclock.h"

#include <QJsonDocument>
#include <QSignalSpy>
#include <QTest>

// The console's timing, without a window, on a clock the test moves: the
// repetition of a held button, the reply window and display hold of each kind
// of command, a script's pacing, and commands waiting for a connection.
class tst_CoreTiming : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void holdRepeatsAtItsRate_data();
    void holdRepeatsAtItsRate();
    void replyWindowAndDisplayHold_data();
    void replyWindowAndDisplayHold();
    void pacedCommandWaitsForTheLineToSettle_data();
    void pacedCommandWaitsForTheLineToSettle();
    void commandForAnotherKeepsTheOperatorsChoices();
    void commandWaitsForTheConnection_data();
    void commandWaitsForTheConnection();
    void whatArrivedIsNeverSilence_data();
    void whatArrivedIsNeverSilence();

private:
    // Characters from the projector, read as the event loop reads them.
    void arrive(const QByteArray &bytes);
    // When each command went out, by the test's clock.
    QList<qint64> sentAt() const { return m_sentAt; }

    std::unique_ptr<ManualClock> m_clock;
    std::unique_ptr<Console> m_console;
    FakeLine *m_line = nullptr;
    QList<qint64> m_sentAt;
};

void tst_CoreTiming::init()
{
    m_clock = std::make_unique<ManualClock>();
    m_console = std::make_unique<Console>(
        [this](int) {
            auto line = std::make_unique<FakeLine>();
            m_line = line.get();
            return line;
        },
        *m_clock);
    m_sentAt.clear();
    connect(m_console.get(), &Console::transmitted, this, [this] { m_sentAt << m_clock->nowMs(); });
    QVERIFY(m_console->Form_Load());
}

void tst_CoreTiming::cleanup()
{
    m_console.reset();
    m_clock.reset();
}

void tst_CoreTiming::arrive(const QByteArray &bytes)
{
    m_line->feed(bytes);
    QTRY_VERIFY(m_line->incoming.isEmpty());
}

void tst_CoreTiming::holdRepeatsAtItsRate_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<QList<qint64>>("sent");

    QTest::newRow("VOL +: every 250 ms") << QStringLiteral("Command1") << QByteArray("C09\r")
                                         << QList<qint64>{0, 250, 500, 750, 1000};
    QTest::newRow("SELECT: every 500 ms")
        << QStringLiteral("Command6") << QByteArray("C3F\r") << QList<qint64>{0, 500, 1000};
    QTest::newRow("UP before any menu: every 200 ms")
        << QStringLiteral("Command5") << QByteArray("C3C\r")
        << QList<qint64>{0, 200, 400, 600, 800, 1000};
    QList<qint64> every50;
    for (qint64 ms = 0; ms <= 1100; ms += 50)
        every50 << ms;
    QTest::newRow("FOCUS -: every 50 ms")
        << QStringLiteral("Command37") << QByteArray("C4A\r") << every50;
}

// Held for 1.125 s and released by the console: the first command at the press,
// one a tick, none after the release.
void tst_CoreTiming::holdRepeatsAtItsRate()
{
    QFETCH(QString, id);
    QFETCH(QByteArray, code);
    QFETCH(QList<qint64>, sent);

    QVERIFY(m_console->hold(id, 1125) != 0);
    m_clock->advance(1125);
    QCOMPARE(sentAt(), sent);
    m_clock->advance(3000);
    QCOMPARE(sentAt(), sent);
    QCOMPARE(m_line->writes, QList<QByteArray>(sent.size(), code));
    QVERIFY(m_console->settled());
}

void tst_CoreTiming::replyWindowAndDisplayHold_data()
{
    QTest::addColumn<QString>("id"); // empty: "SEND" with typed text
    QTest::addColumn<int>("window");
    QTest::addColumn<int>("displayHold");

    QTest::newRow("STATUS") << QStringLiteral("Command44") << 500 << 1000;
    QTest::newRow("REAL: a picture mode") << QStringLiteral("Command10") << 2000 << 2500;
    QTest::newRow("SEND") << QString() << 2000 << 2500;
}

// A silent projector: " X X X X" when the window ends, the lines blank when the
// display hold ends, the command settled as silent once the line was quiet.
void tst_CoreTiming::replyWindowAndDisplayHold()
{
    QFETCH(QString, id);
    QFETCH(int, window);
    QFETCH(int, displayHold);
    QSignalSpy outcomes(m_console.get(), &Console::outcome);

    QVERIFY(id.isEmpty() ? m_console->sendText(QStringLiteral("CR0")) : m_console->send(id));
    QVERIFY(!m_console->txd().isEmpty());
    m_clock->advanceTo(window - 1);
    QCOMPARE(m_console->rxd(), QString());
    m_clock->advanceTo(window);
    QCOMPARE(m_console->rxd(), QStringLiteral(" X X X X"));
    QCOMPARE(outcomes.count(), 0);
    m_clock->advanceTo(window + 100);
    QCOMPARE(outcomes.count(), 1);
    const auto outcome = outcomes.first().first().value<Outcome>();
    QCOMPARE(outcome.result, Outcome::Result::Silent);
    QCOMPARE(outcome.milliseconds, window + 100);
    m_clock->advanceTo(displayHold - 1);
    QVERIFY(!m_console->txd().isEmpty());
    m_clock->advanceTo(displayHold);
    QCOMPARE(m_console->txd(), QString());
    QCOMPARE(m_console->rxd(), QString());
}

void tst_CoreTiming::pacedCommandWaitsForTheLineToSettle_data()
{
    QTest::addColumn<int>("replyAt"); // -1: no reply
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<qint64>("nextSentAt");

    QTest::newRow("answered: at once") << 200 << QByteArray("00\r") << qint64(200);
    QTest::newRow("silent: window and a quiet gap") << -1 << QByteArray() << qint64(600);
    QTest::newRow("late characters: a quiet gap after them")
        << 550 << QByteArray("0") << qint64(650);
}

// A script's STATUS then SETTING: SETTING goes out only once STATUS has settled.
void tst_CoreTiming::pacedCommandWaitsForTheLineToSettle()
{
    QFETCH(int, replyAt);
    QFETCH(QByteArray, reply);
    QFETCH(qint64, nextSentAt);

    m_console->setPacing(Console::Pacing::WhenSettled);
    m_console->send(QStringLiteral("Command44"));
    m_console->send(QStringLiteral("Command47"));
    const auto until = [&](qint64 ms) {
        if (!reply.isEmpty() && replyAt <= ms) {
            m_clock->advanceTo(replyAt);
            arrive(std::exchange(reply, {}));
        }
        m_clock->advanceTo(ms);
    };
    until(nextSentAt - 1);
    QCOMPARE(sentAt(), QList<qint64>{0});
    until(nextSentAt);
    QCOMPARE(sentAt(), (QList<qint64>{0, nextSentAt}));
}

// Another program's REAL for 002 goes out with its own address and 2000 ms
// window; the operator's STATUS after it keeps the operator's address and
// the 500 ms window.
void tst_CoreTiming::commandForAnotherKeepsTheOperatorsChoices()
{
    m_console->chooseAddress(QStringLiteral("A001"));
    QVERIFY(m_console->send(QStringLiteral("Command10"), Console::For{QStringLiteral("A002")}));
    m_clock->advanceTo(3000);
    QVERIFY(m_console->settled());
    QVERIFY(m_console->send(QStringLiteral("Command44")));
    m_clock->advance(499);
    QCOMPARE(m_console->rxd(), QString());
    m_clock->advance(1);
    QCOMPARE(m_console->rxd(), QStringLiteral(" X X X X"));
    QCOMPARE(m_line->writes, (QList<QByteArray>{"A002CF IMAGE REAL\r", "A001CR0\r"}));
}

void tst_CoreTiming::commandWaitsForTheConnection_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<bool>("held");       // pressed and released before the connection is made
    QTest::addColumn<QString>("failure"); // empty: the connection is made
    QTest::addColumn<QList<QByteArray>>("written");
    QTest::newRow("STATUS, connected") << "Command44" << false << "" << QList<QByteArray>{"CR0\r"};
    QTest::newRow("STATUS, not connected")
        << "Command44" << false << "timed out" << QList<QByteArray>{};
    QTest::newRow("VOL + clicked, connected: no repetition")
        << "Command1" << true << "" << QList<QByteArray>{"C09\r"};
    QTest::newRow("VOL + clicked, not connected")
        << "Command1" << true << "refused" << QList<QByteArray>{};
}

// A command given while the port is still connecting is neither shown nor sent
// until the connection is made; if it is not, the command ends with its cause.
void tst_CoreTiming::commandWaitsForTheConnection()
{
    QFETCH(QString, id);
    QFETCH(bool, held);
    QFETCH(QString, failure);
    QFETCH(QList<QByteArray>, written);
    m_console->end();
    m_line->opensLater = true;
    QVERIFY(m_console->reopen());
    QSignalSpy outcomes(m_console.get(), &Console::outcome);

    if (held) {
        m_console->press(id);
        m_console->release(id);
    } else {
        m_console->send(id);
    }
    m_clock->advance(100);
    QCOMPARE(m_console->txd(), QString());
    QVERIFY(m_line->writes.isEmpty());
    m_line->finishOpening(failure);
    m_clock->advance(2000);
    QCOMPARE(m_line->writes, written);
    QCOMPARE(m_sentAt.size(), written.size());
    if (!failure.isEmpty()) {
        QCOMPARE(outcomes.count(), 1);
        const auto outcome = outcomes.first().first().value<Outcome>();
        QCOMPARE(outcome.result, Outcome::Result::LineFailed);
        QVERIFY2(outcome.failure.contains(failure), qPrintable(outcome.failure));
    }
}

void tst_CoreTiming::whatArrivedIsNeverSilence_data()
{
    QTest::addColumn<QByteArray>("bytes"); // at 20 ms; none: nothing arrives
    QTest::addColumn<QString>("received");
    QTest::addColumn<QString>("result");
    QTest::addColumn<QString>("statusLine");
    QTest::addColumn<QString>("value");

    QTest::newRow("nothing at all") << QByteArray() << " X X X X"
                                    << "silent"
                                    << ""
                                    << "";
    QTest::newRow("noise alone") << QByteArray("\xFF") << " ? "
                                 << "silent"
                                 << ""
                                 << "";
    QTest::newRow("a reply of no form") << QByteArray("zz\r") << " z z CR "
                                        << "silent"
                                        << ""
                                        << "";
    QTest::newRow("a NUL before 20 CR") << QByteArray("\0"
                                                      "20\r",
                                                      4)
                                        << " ? 2 0 CR "
                                        << "answered"
                                        << " Cooling down"
                                        << R"({"power":"cooling-down"})";
    QTest::newRow("0xFF before 80 CR") << QByteArray("\xFF"
                                                     "80\r")
                                       << " ? 8 0 CR "
                                       << "answered"
                                       << " Stand by"
                                       << R"({"power":"standby"})";
    QTest::newRow("a status byte outside the table: the STATUS line keeps its rule")
        << QByteArray("23\r") << " 2 3 CR "
        << "answered"
        << ""
        << R"({"power_code":"23","power_states":["on","cooling-down","no-key-input","all-lamps-failed"]})";
}

// STATUS and what came 20 ms after it: the RXD line at the end of the reply
// window and the outcome show it, " X X X X" only when nothing came.
void tst_CoreTiming::whatArrivedIsNeverSilence()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, received);
    QFETCH(QString, result);
    QFETCH(QString, statusLine);
    QFETCH(QString, value);
    QSignalSpy outcomes(m_console.get(), &Console::outcome);

    QVERIFY(m_console->send(QStringLiteral("Command44")));
    m_clock->advanceTo(20);
    if (!bytes.isEmpty())
        arrive(bytes);
    m_clock->advanceTo(500);
    QCOMPARE(m_console->rxd(), received);
    QCOMPARE(m_console->statusLine(), statusLine);
    m_clock->advanceTo(700);
    QCOMPARE(outcomes.count(), 1);
    const auto outcome = outcomes.first().first().value<Outcome>();
    QCOMPARE(outcome.received, received);
    QCOMPARE(QString(nameOf(outcome.result)), result);
    QCOMPARE(outcome.status, statusLine);
    const QByteArray json
        = outcome.value
              ? QJsonDocument(status::toJson(*outcome.value)).toJson(QJsonDocument::Compact)
              : QByteArray();
    QCOMPARE(json, value.toUtf8());
    if (outcome.answered())
        QCOMPARE(outcome.milliseconds, 20);
}

QTEST_GUILESS_MAIN(tst_CoreTiming)
#include "tst_coretiming.moc"
