// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/trace.h"
#include "sim/simulatedline.h"
#include "support/consolewindow.h"
#include "support/ptypair.h"

// The STATUS line describes the reply to the latest query and nothing else:
// the real window on a pseudo-terminal whose far end the test answers, and on
// the simulated projector line.
class ReplyMatchingTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void statusAnswersLatestQuery_data();
    void statusAnswersLatestQuery();
    void afterCursorHold_data();
    void afterCursorHold();
    void twoProjectorsOnTheSimulatedLine_data();
    void twoProjectorsOnTheSimulatedLine();

private:
    void perform(const QString &step);

    std::unique_ptr<ConsoleWindow> m_console;
    std::unique_ptr<PtyPair> m_pty;
};

void ReplyMatchingTest::cleanup()
{
    m_console.reset();
    m_pty.reset();
}

// Steps: "click NAME", "reply TEXT" (the far end answers; waits until the RXD
// line shows it), "noise N" (N unasked characters, then a quiet spell), "xs"
// (the reply window ends with nothing received), "status TEXT" (the STATUS
// line shows TEXT).
void ReplyMatchingTest::perform(const QString &step)
{
    const QString verb = step.section(QLatin1Char(' '), 0, 0);
    const QString arg = step.section(QLatin1Char(' '), 1);
    if (verb == QLatin1String("click")) {
        m_console->click(arg);
    } else if (verb == QLatin1String("reply")) {
        const QByteArray bytes = arg.toLatin1().replace("\\r", "\r");
        m_pty->write(bytes);
        const QString shown = trace(QString::fromLatin1(bytes)).mid(1);
        QTRY_VERIFY2(m_console->rxd().endsWith(shown), qPrintable(m_console->rxd()));
    } else if (verb == QLatin1String("noise")) {
        // In pieces the pseudo-terminal can hold while the console reads.
        for (int sent = 0; sent < arg.toInt(); sent += 1024) {
            m_pty->write(QByteArray(std::min(1024, arg.toInt() - sent), 'N'));
            QTRY_VERIFY(probe(*m_console->window).state().RecvBuffer.size() >= sent);
        }
        QTRY_COMPARE(probe(*m_console->window).state().RecvBuffer.size(), arg.toInt());
        QTest::qWait(int(ReplyMatcher::kReplyGapMs) + 50);
    } else if (verb == QLatin1String("xs")) {
        QTRY_COMPARE(m_console->rxd(), QStringLiteral(" X X X X"));
    } else if (verb == QLatin1String("status")) {
        QTRY_COMPARE(m_console->statusLine(), arg);
    } else {
        QFAIL(qPrintable(QStringLiteral("unknown step ") + step));
    }
}

void ReplyMatchingTest::statusAnswersLatestQuery_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<QString>("finalStatus");

    QTest::newRow("late STATUS reply, then SETTING 2")
        << QStringList{"click Command44", "xs", "reply 80\\r", "status  Stand by",
                       "click Command12", "reply 00\\r"}
        << " Video & Audio mute OFF";
    QTest::newRow("STATUS, then SETTING within the reply window")
        << QStringList{"click Command44", "reply 00\\r", "status  Power ON", "click Command47",
                       "reply 11\\r"}
        << " Normally";
    QTest::newRow("P-FAIL, then L-TIME to 002 and 003")
        << QStringList{"click Option5", "click Command52", "reply 0001 1023\\r",
                       "click Option6", "click Command46", "reply 00222\\r",
                       "status  0 0 2 2 2 CR  Hour Use", "click Option7", "click Command46",
                       "reply 00333\\r"}
        << " 0 0 3 3 3 CR  Hour Use";
    QTest::newRow("full buffer of line noise, then PRESSURE")
        << QStringList{"noise 32767", "click Command99", "reply 512\\r"} << "650 hPa";
    QTest::newRow("an earlier command answered first")
        << QStringList{"click Command17", "click Command44", "reply \x06\\r", "reply 40\\r"}
        << " Count down";
    QTest::newRow("a reply still arriving when the next query goes")
        << QStringList{"click Command44", "reply 4", "click Command44", "reply 0\\r",
                       "reply 00\\r"}
        << " Power ON";
    QTest::newRow("reply growing across two pieces")
        << QStringList{"click Command44", "reply 2", "reply 0\\r"} << " Cooling down";
    QTest::newRow("ALL addressed: nothing is owed")
        << QStringList{"click Option4", "click Command44", "reply 00\\r"} << "";
}

void ReplyMatchingTest::statusAnswersLatestQuery()
{
    QFETCH(QStringList, steps);
    QFETCH(QString, finalStatus);
    m_pty = std::make_unique<PtyPair>();
    QVERIFY(m_pty->isValid());
    m_console = std::make_unique<ConsoleWindow>();
    m_console->startFullView(m_pty->slavePath());
    for (const QString &step : steps) {
        perform(step);
        if (QTest::currentTestFailed())
            return;
    }
    QCOMPARE(m_console->statusLine(), finalStatus);
}

void ReplyMatchingTest::afterCursorHold_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<int>("rounds");
    QTest::newRow("STATUS") << "Command44" << 3;
    QTest::newRow("PRESSURE") << "Command99" << 1;
    QTest::newRow("L-TIME") << "Command46" << 1;
}

// A cursor hold at the 5 ms timing leaves replies trailing on the line; the
// query after it still shows what the projector says when the line is quiet.
void ReplyMatchingTest::afterCursorHold()
{
    QFETCH(QString, query);
    QFETCH(int, rounds);
    m_console = std::make_unique<ConsoleWindow>();
    MainWindow &w = m_console->startFullView([](int port) -> std::unique_ptr<CommLine> {
        return port == 1 ? std::make_unique<SimulatedLine>() : nullptr;
    });

    m_console->click(query);
    QTRY_VERIFY(!m_console->statusLine().isEmpty());
    const QString quiet = m_console->statusLine();
    QTRY_COMPARE(m_console->statusLine(), QString());

    // D.Zoom's release selects the 5 ms cursor timing.
    m_console->press(QStringLiteral("Command48"));
    m_console->release(QStringLiteral("Command48"));
    QCOMPARE(probe(w).state().CursorMode, quint8(3));
    for (int round = 1; round <= rounds; ++round) {
        m_console->press(QStringLiteral("Command5"));
        QTest::qWait(400);
        m_console->release(QStringLiteral("Command5"));
        m_console->click(query);
        QTRY_COMPARE(m_console->statusLine(), quiet);
        QTRY_COMPARE(m_console->statusLine(), QString());
    }
}

void ReplyMatchingTest::twoProjectorsOnTheSimulatedLine_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QString>("status");
    QTest::newRow("REAL to 001, PRESSURE to 002") << "Command10"
                                                  << "Command99"
                                                  << "1012 hPa";
    QTest::newRow("CINEMA to 001, L-TIME to 002") << "Command11"
                                                  << "Command46"
                                                  << " 0 1 2 3 4 CR  Hour Use";
}

// The operator clicks a picture mode for 001 and a query for 002 at once; the
// STATUS line shows 002's value, whichever reply comes first.
void ReplyMatchingTest::twoProjectorsOnTheSimulatedLine()
{
    QFETCH(QString, command);
    QFETCH(QString, query);
    QFETCH(QString, status);
    m_console = std::make_unique<ConsoleWindow>();
    SimulatedLine *line = nullptr;
    m_console->startFullView([&line](int port) -> std::unique_ptr<CommLine> {
        if (port != 1)
            return nullptr;
        auto made = std::make_unique<SimulatedLine>();
        line = made.get();
        return made;
    });
    QVERIFY(line);
    QCOMPARE(line->applyChanges(QStringLiteral("pressure all 852\nhours 2 1234\npower all on")),
             QString());
    m_console->click(QStringLiteral("Option5"));
    m_console->click(command);
    m_console->click(QStringLiteral("Option6"));
    m_console->click(query);
    QTRY_COMPARE(m_console->statusLine(), status);
    QTRY_VERIFY(m_console->rxd().contains(QStringLiteral("ACK CR")));
    QCOMPARE(m_console->statusLine(), status);
}

QTEST_MAIN(ReplyMatchingTest)
#include "tst_replymatching.moc"
