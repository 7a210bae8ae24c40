// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/trace.h"
#include "sim/projectormodel.h"
#include "sim/statechanges.h"
#include "status/decoders.h"

#include <QTest>

using namespace sim;

namespace {

const QByteArray Ack("\x06\r");
const QByteArray Refused("?\r");

// Sends one command text (carriage return added) and returns its replies.
QList<Reply> send(ProjectorModel &model, const QByteArray &text, qint64 nowMs = 0)
{
    return model.feed(text + '\r', nowMs);
}

// The single reply of projector 1 to `code`, or "<no single reply>".
QByteArray ask(ProjectorModel &model, const QByteArray &code, qint64 nowMs = 0)
{
    const QList<Reply> replies = send(model, code, nowMs);
    return replies.size() == 1 ? replies.first().bytes : QByteArray("<no single reply>");
}

// Powers projector 1 on and lets the count-down run out; returns the time then.
qint64 powerOn(ProjectorModel &model, qint64 nowMs = 0)
{
    send(model, "C00", nowMs);
    const qint64 on = nowMs + Projector::CountDownMs;
    model.advanceTo(on);
    return on;
}

// What the console's STATUS line shows for `reply` to the query `code`.
QString decoded(const QByteArray &code, const QByteArray &reply)
{
    const auto text = status::decode(trace(QString::fromLatin1(reply)),
                                     QString::fromLatin1(code + '\r'), QString());
    return text.value_or(QStringLiteral("<not decoded>"));
}

} // namespace

class ProjectorModelTest : public QObject
{
    Q_OBJECT

private slots:
    void addressing_data();
    void addressing();

    void powerStatusOverTime_data();
    void powerStatusOverTime();
    void powerCommandsByState_data();
    void powerCommandsByState();

    void operationRefusedUntilOn_data();
    void operationRefusedUntilOn();
    void statusReadsInStandby_data();
    void statusReadsInStandby();
    void unknownCodes_data();
    void unknownCodes();

    void inputTerminal_data();
    void inputTerminal();
    void slowOperationHoldsLaterReplies();
    void floodOfSlowCommandsStaysBounded();
    void imageModeDelay();
    void holdCodesMoveValues_data();
    void holdCodesMoveValues();

    void lampSelection_data();
    void lampSelection();
    void muteAndSignal_data();
    void muteAndSignal();
    void temperaturesShowCleanly_data();
    void temperaturesShowCleanly();
    void pressurePlausible();
    void lampHoursRunWhileLit();
    void sourceTypeFollowsTerminal_data();
    void sourceTypeFollowsTerminal();
    void lampFailureReport();

    void framing_data();
    void framing();

    void stateChanges_data();
    void stateChanges();
    void stateChangeRefused_data();
    void stateChangeRefused();
};

void ProjectorModelTest::addressing_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("poweredMask"); // bit n-1 = projector n in count-down afterwards
    QTest::addColumn<int>("answering");   // 0 = nobody
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("no prefix") << QByteArray("C00") << 0b0001 << 1 << Ack;
    QTest::newRow("A001") << QByteArray("A001C00") << 0b0001 << 1 << Ack;
    QTest::newRow("A002") << QByteArray("A002C00") << 0b0010 << 2 << Ack;
    QTest::newRow("A004") << QByteArray("A004C00") << 0b1000 << 4 << Ack;
    QTest::newRow("AFFF") << QByteArray("AFFFC00") << 0b1111 << 0 << QByteArray();
    QTest::newRow("A005") << QByteArray("A005C00") << 0 << 0 << QByteArray();
    QTest::newRow("A000") << QByteArray("A000C00") << 0 << 0 << QByteArray();
    QTest::newRow("AXYZ") << QByteArray("AXYZC00") << 0 << 0 << QByteArray();
    QTest::newRow("short address") << QByteArray("A00") << 0 << 0 << QByteArray();
    QTest::newRow("lower-case a is no address")
        << QByteArray("a002C00") << 0 << 1 << Refused;
    QTest::newRow("A003 status read") << QByteArray("A003CR0") << 0 << 3 << QByteArray("80\r");
    QTest::newRow("AFFF status read") << QByteArray("AFFFCR0") << 0 << 0 << QByteArray();
}

void ProjectorModelTest::addressing()
{
    QFETCH(QByteArray, text);
    QFETCH(int, poweredMask);
    QFETCH(int, answering);
    QFETCH(QByteArray, reply);

    ProjectorModel model;
    const QList<Reply> replies = send(model, text);
    if (answering == 0) {
        QVERIFY(replies.isEmpty());
    } else {
        QCOMPARE(replies.size(), 1);
        QCOMPARE(replies.first().projector, answering);
        QCOMPARE(replies.first().bytes, reply);
    }
    for (int number = 1; number <= ProjectorModel::ProjectorCount; ++number) {
        const Power expected = poweredMask & (1 << (number - 1)) ? Power::CountDown
                                                                  : Power::Standby;
        QCOMPARE(model.projector(number).state().power, expected);
    }
}

void ProjectorModelTest::powerStatusOverTime_data()
{
    QTest::addColumn<qint64>("onAt");  // -1: never
    QTest::addColumn<qint64>("offAt"); // -1: never
    QTest::addColumn<qint64>("probeAt");
    QTest::addColumn<QByteArray>("reply");

    const qint64 down = Projector::CountDownMs;
    const qint64 cool = Projector::CoolingMs;
    QTest::newRow("standby") << qint64(-1) << qint64(-1) << qint64(0) << QByteArray("80\r");
    QTest::newRow("count-down starts") << qint64(1000) << qint64(-1) << qint64(1000)
                                       << QByteArray("40\r");
    QTest::newRow("count-down last moment")
        << qint64(1000) << qint64(-1) << 1000 + down - 1 << QByteArray("40\r");
    QTest::newRow("on") << qint64(1000) << qint64(-1) << 1000 + down << QByteArray("00\r");
    QTest::newRow("cooling starts") << qint64(1000) << qint64(20000) << qint64(20000)
                                    << QByteArray("20\r");
    QTest::newRow("cooling last moment")
        << qint64(1000) << qint64(20000) << 20000 + cool - 1 << QByteArray("20\r");
    QTest::newRow("standby again") << qint64(1000) << qint64(20000) << 20000 + cool
                                   << QByteArray("80\r");
    QTest::newRow("off during count-down cools")
        << qint64(1000) << qint64(2000) << qint64(2000) << QByteArray("20\r");
}

void ProjectorModelTest::powerStatusOverTime()
{
    QFETCH(qint64, onAt);
    QFETCH(qint64, offAt);
    QFETCH(qint64, probeAt);
    QFETCH(QByteArray, reply);

    ProjectorModel model;
    if (onAt >= 0)
        QCOMPARE(ask(model, "C00", onAt), Ack);
    if (offAt >= 0)
        QCOMPARE(ask(model, "C01", offAt), Ack);
    QCOMPARE(ask(model, "CR0", probeAt), reply);
    QVERIFY(decoded("CR0", reply) != u"<not decoded>");
}

void ProjectorModelTest::powerCommandsByState_data()
{
    QTest::addColumn<QByteArray>("setup"); // commands at time 0, ';'-separated
    QTest::addColumn<qint64>("at");
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<int>("power");

    const qint64 on = Projector::CountDownMs;
    QTest::newRow("off in standby") << QByteArray() << qint64(0) << QByteArray("C01") << Refused
                                    << int(Power::Standby);
    QTest::newRow("on when on") << QByteArray("C00") << on << QByteArray("C00") << Ack
                                << int(Power::On);
    QTest::newRow("on during count-down") << QByteArray("C00") << qint64(10) << QByteArray("C00")
                                          << Ack << int(Power::CountDown);
    QTest::newRow("on during cooling") << QByteArray("C00;C01") << qint64(10) << QByteArray("C00")
                                       << Refused << int(Power::Cooling);
    QTest::newRow("off during cooling") << QByteArray("C00;C01") << qint64(10) << QByteArray("C01")
                                        << Ack << int(Power::Cooling);
}

void ProjectorModelTest::powerCommandsByState()
{
    QFETCH(QByteArray, setup);
    QFETCH(qint64, at);
    QFETCH(QByteArray, code);
    QFETCH(QByteArray, reply);
    QFETCH(int, power);

    ProjectorModel model;
    for (const QByteArray &step : setup.split(';')) {
        if (!step.isEmpty())
            QCOMPARE(ask(model, step, 0), Ack);
    }
    QCOMPARE(ask(model, code, at), reply);
    QCOMPARE(int(model.projector(1).state().power), power);
}

void ProjectorModelTest::operationRefusedUntilOn_data()
{
    QTest::addColumn<QByteArray>("code");
    const char *codes[] = {"C06",  "C08",  "C0B",  "C0D",  "C46",  "C10",
                           "C1C",  "C43",  "C8A",  "C27",  "C89",  "C71",
                           "C72",  "C09",  "C0A",  "C47",  "C4B",  "C30",
                           "C8E",  "C5D",  "C60",  "CF IMAGE REAL", "CF FANSPEED MAX",
                           "CF INPUT1 DIGITAL", "CF INPUT3 HD-SDI"};
    for (const char *code : codes)
        QTest::newRow(code) << QByteArray(code);
}

void ProjectorModelTest::operationRefusedUntilOn()
{
    QFETCH(QByteArray, code);

    ProjectorModel model;
    const ProjectorState standby = model.projector(1).state();
    QCOMPARE(ask(model, code, 0), Refused);
    QCOMPARE(model.projector(1).state(), standby);

    send(model, "C00", 100);
    QCOMPARE(ask(model, code, 200), Refused); // still counting down
    model.advanceTo(100 + Projector::CountDownMs);
    const ProjectorState on = model.projector(1).state();
    QCOMPARE(ask(model, code, 100 + Projector::CountDownMs), Ack);
    QVERIFY2(!(model.projector(1).state() == on), "accepted operation changed nothing");
}

void ProjectorModelTest::statusReadsInStandby_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("shown"); // STATUS line, empty where no decoder exists

    QTest::newRow("power") << QByteArray("CR0") << QByteArray("80\r") << " Stand by";
    QTest::newRow("input mode") << QByteArray("CR1") << QByteArray("1\r") << " Input mode 1";
    QTest::newRow("lamp hours") << QByteArray("CR3") << QByteArray("01203\r")
                                << " 0 1 2 0 3 CR  Hour Use";
    QTest::newRow("reversal") << QByteArray("CR4") << QByteArray("11\r") << " Normally";
    QTest::newRow("lamps off") << QByteArray("CR7") << QByteArray("00\r")
                               << " All OFF : 4 Lamp mode";
    QTest::newRow("source") << QByteArray("CR9") << QByteArray("NONE\r") << " N O N E CR ";
    QTest::newRow("mute") << QByteArray("CRA") << QByteArray("FF\r") << " Stand by";
    QTest::newRow("lamp failures") << QByteArray("CR INFPFAIL") << QByteArray("NO FAIL\r")
                                   << QString();
}

void ProjectorModelTest::statusReadsInStandby()
{
    QFETCH(QByteArray, code);
    QFETCH(QByteArray, reply);
    QFETCH(QString, shown);

    ProjectorModel model;
    const QList<Reply> replies = send(model, code);
    QCOMPARE(replies.size(), 1);
    QCOMPARE(replies.first().bytes, reply);
    QCOMPARE(replies.first().delayMs, Projector::ReadDelayMs);
    if (!shown.isEmpty())
        QCOMPARE(decoded(code, reply), shown);
}

void ProjectorModelTest::unknownCodes_data()
{
    QTest::addColumn<QByteArray>("code");
    const char *codes[] = {"C99",        "CR2",           "CRZ",           "cr0",
                           "XYZ",        "",              "C0",            "CF IMAGE",
                           "CF IMAGE FOO", "CF  IMAGE REAL", "CF IMAGE real", "CF FOO BAR",
                           "CF FANSPEED LOW", "CF INPUT5 VIDEO", "CF INPUT0 VIDEO",
                           "CF INPUT1 DVI", "CF INPUT1 digital", "CR PRESSURE2"};
    for (const char *code : codes)
        QTest::newRow(*code ? code : "empty") << QByteArray(code);
}

void ProjectorModelTest::unknownCodes()
{
    QFETCH(QByteArray, code);

    ProjectorModel model;
    const qint64 now = powerOn(model);
    const ProjectorState before = model.projector(1).state();
    const QList<Reply> replies = send(model, code, now);
    QCOMPARE(replies.size(), 1);
    QCOMPARE(replies.first().bytes, Refused);
    QCOMPARE(replies.first().projector, 1);
    QVERIFY(replies.first().delayMs < 100);
    QCOMPARE(model.projector(1).state(), before);
}

void ProjectorModelTest::inputTerminal_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("terminal");
    QTest::addColumn<int>("delayMs");

    // Projectors start on input mode 1, whose terminal is ANALOG.
    QTest::newRow("selected mode, new terminal")
        << QByteArray("CF INPUT1 DIGITAL") << 1 << int(Terminal::Digital)
        << Projector::TerminalSwitchDelayMs;
    QTest::newRow("selected mode, same terminal")
        << QByteArray("CF INPUT1 ANALOG") << 1 << int(Terminal::Analog)
        << Projector::TerminalStoreDelayMs;
    QTest::newRow("other mode VIDEO") << QByteArray("CF INPUT2 VIDEO") << 2 << int(Terminal::Video)
                                      << Projector::TerminalStoreDelayMs;
    QTest::newRow("YPBPR") << QByteArray("CF INPUT3 YPBPR") << 3 << int(Terminal::YPbPr)
                           << Projector::TerminalStoreDelayMs;
    QTest::newRow("YCBCR") << QByteArray("CF INPUT4 YCBCR") << 4 << int(Terminal::YCbCr)
                           << Projector::TerminalStoreDelayMs;
    QTest::newRow("S-VIDEO") << QByteArray("CF INPUT1 S-VIDEO") << 1 << int(Terminal::SVideo)
                             << Projector::TerminalSwitchDelayMs;
    QTest::newRow("YC") << QByteArray("CF INPUT2 YC") << 2 << int(Terminal::YC)
                        << Projector::TerminalStoreDelayMs;
    QTest::newRow("HD-SDI") << QByteArray("CF INPUT1 HD-SDI") << 1 << int(Terminal::HdSdi)
                            << Projector::TerminalSwitchDelayMs;
}

void ProjectorModelTest::inputTerminal()
{
    QFETCH(QByteArray, code);
    QFETCH(int, mode);
    QFETCH(int, terminal);
    QFETCH(int, delayMs);

    ProjectorModel model;
    const qint64 now = powerOn(model);
    const QList<Reply> replies = send(model, code, now);
    QCOMPARE(replies.size(), 1);
    QCOMPARE(replies.first().bytes, Ack);
    QCOMPARE(replies.first().delayMs, delayMs);
    // Fits the console's 5000 ms reply window of the input grid.
    QVERIFY(replies.first().delayMs > 0 && replies.first().delayMs <= 4000);
    QCOMPARE(int(model.projector(1).state().terminals.at(mode - 1)), terminal);
    QCOMPARE(model.projector(1).state().inputMode, 1);
}

void ProjectorModelTest::slowOperationHoldsLaterReplies()
{
    ProjectorModel model;
    qint64 now = powerOn(model);
    send(model, "A002C00", now);
    model.advanceTo(now += Projector::CountDownMs);

    const QList<Reply> slow = send(model, "CF INPUT1 DIGITAL", now);
    QCOMPARE(slow.first().delayMs, Projector::TerminalSwitchDelayMs);
    const QList<Reply> status = send(model, "CR0", now + 100);
    QCOMPARE(status.first().bytes, QByteArray("00\r"));
    // Answered only after the terminal switch has answered, 100 ms after it was asked.
    QCOMPARE(status.first().delayMs,
             Projector::TerminalSwitchDelayMs - 100 + Projector::ReadDelayMs);
    // Another projector on the line is not held up.
    QCOMPARE(send(model, "A002CR0", now + 100).first().delayMs, Projector::ReadDelayMs);
    // Once the switch is over, reads are quick again.
    const qint64 later = now + Projector::TerminalSwitchDelayMs + Projector::ReadDelayMs;
    QCOMPARE(send(model, "CR0", later).first().delayMs, Projector::ReadDelayMs);
}

// A sender that never waits for the answers: the projector queues what it can
// behind the slow operation and ignores the rest, and its answers stay due
// within a bounded time (an int once overflowed here).
void ProjectorModelTest::floodOfSlowCommandsStaysBounded()
{
    ProjectorModel model;
    const qint64 on = powerOn(model);
    const QByteArray switches[] = {"CF INPUT1 DIGITAL", "CF INPUT1 ANALOG"};
    constexpr int flood = 700000; // 700000 x 3600 ms is beyond the int range
    constexpr int longestWait = (ProjectorModel::QueueLength + 1) * Projector::TerminalSwitchDelayMs;
    int answered = 0;
    for (int i = 0; i < flood; ++i) {
        for (const Reply &reply : send(model, switches[i % 2], on + i / 1000)) {
            ++answered;
            QVERIFY2(reply.delayMs > 0 && reply.delayMs <= longestWait,
                     qPrintable(QStringLiteral("command %1 answered after %2 ms")
                                    .arg(i)
                                    .arg(reply.delayMs)));
        }
    }
    // The queue drains as time passes; then the projector is quick again.
    QVERIFY2(answered < flood / 1000, qPrintable(QString::number(answered)));
    const qint64 drained = on + flood / 1000 + longestWait;
    const QList<Reply> status = send(model, "CR0", drained);
    QCOMPARE(status.size(), 1);
    QCOMPARE(status.first().delayMs, Projector::ReadDelayMs);
}

void ProjectorModelTest::imageModeDelay()
{
    ProjectorModel model;
    const qint64 now = powerOn(model);
    QList<Reply> replies = send(model, "CF IMAGE CINEMA", now);
    QCOMPARE(replies.first().bytes, Ack);
    QCOMPARE(replies.first().delayMs, Projector::ImageModeDelayMs);
    // Up to about a second: well inside the console's 2000 ms window for image modes.
    QVERIFY(replies.first().delayMs >= 300 && replies.first().delayMs <= 1200);
    QCOMPARE(model.projector(1).state().imageMode, ImageMode::Cinema);

    const qint64 later = now + Projector::ImageModeDelayMs;
    replies = send(model, "CF IMAGE CINEMA", later);
    QCOMPARE(replies.first().delayMs, Projector::OperationDelayMs);
    send(model, "CF IMAGE IMAGE4", later);
    QCOMPARE(model.projector(1).state().imageMode, ImageMode::Image4);
}

void ProjectorModelTest::holdCodesMoveValues_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("change");

    QTest::newRow("volume up") << QByteArray("C09") << "volume" << 1;
    QTest::newRow("volume down") << QByteArray("C0A") << "volume" << -1;
    QTest::newRow("zoom up") << QByteArray("C47") << "zoom" << 1;
    QTest::newRow("zoom down") << QByteArray("C46") << "zoom" << -1;
    QTest::newRow("focus up") << QByteArray("C4B") << "focus" << 1;
    QTest::newRow("focus down") << QByteArray("C4A") << "focus" << -1;
    QTest::newRow("d.zoom up") << QByteArray("C30") << "digitalZoom" << 1;
    QTest::newRow("d.zoom down at least") << QByteArray("C31") << "digitalZoom" << 0;
    QTest::newRow("keystone up") << QByteArray("C8E") << "keystone" << 1;
    QTest::newRow("keystone down") << QByteArray("C8F") << "keystone" << -1;
    QTest::newRow("shift up") << QByteArray("C5D") << "vertical" << 1;
    QTest::newRow("shift down") << QByteArray("C5E") << "vertical" << -1;
    QTest::newRow("shift left") << QByteArray("C5F") << "horizontal" << -1;
    QTest::newRow("shift right") << QByteArray("C60") << "horizontal" << 1;
}

void ProjectorModelTest::holdCodesMoveValues()
{
    QFETCH(QByteArray, code);
    QFETCH(QString, value);
    QFETCH(int, change);

    const auto read = [&value](const ProjectorState &s) {
        if (value == u"volume")
            return s.volume;
        if (value == u"zoom")
            return s.zoom;
        if (value == u"focus")
            return s.focus;
        if (value == u"digitalZoom")
            return s.digitalZoom;
        if (value == u"keystone")
            return s.keystone;
        if (value == u"vertical")
            return s.lensShiftVertical;
        return s.lensShiftHorizontal;
    };

    ProjectorModel model;
    qint64 now = powerOn(model);
    const int before = read(model.projector(1).state());
    for (int step = 1; step <= 3; ++step) {
        const QList<Reply> replies = send(model, code, now += 50);
        QCOMPARE(replies.first().bytes, Ack);
        // Quick enough for a 25 ms reply window at a 50 ms repetition.
        QCOMPARE(replies.first().delayMs, Projector::AdjustDelayMs);
        QCOMPARE(read(model.projector(1).state()), before + step * change);
    }
    // Values stop at their ends and the code is still accepted there.
    for (int step = 0; step < 200; ++step)
        send(model, code, now);
    const int end = read(model.projector(1).state());
    QCOMPARE(ask(model, code, now), Ack);
    QCOMPARE(read(model.projector(1).state()), end);
}

void ProjectorModelTest::lampSelection_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<int>("failed");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("shown");

    QTest::newRow("4 lamps") << QByteArray("C70") << 0 << QByteArray("0F\r")
                             << " All ON  : 4 Lamp mode";
    QTest::newRow("lamps 1 and 4") << QByteArray("C71") << 0 << QByteArray("19\r")
                                   << " No1,4 ON  : 2 Lamp mode(1,4)";
    QTest::newRow("lamps 2 and 3") << QByteArray("C72") << 0 << QByteArray("26\r")
                                   << " No2,3 ON  : 2 Lamp mode(2,3)";
    QTest::newRow("lamp 1 failed, 1 and 4") << QByteArray("C71") << 0b0001 << QByteArray("18\r")
                                            << " No4 ON  : 2 Lamp mode(1,4)";
    QTest::newRow("lamp 3 failed, all four") << QByteArray("C70") << 0b0100 << QByteArray("0B\r")
                                             << " No1,2,4 ON  : 4 Lamp mode";
}

void ProjectorModelTest::lampSelection()
{
    QFETCH(QByteArray, code);
    QFETCH(int, failed);
    QFETCH(QByteArray, reply);
    QFETCH(QString, shown);

    ProjectorModel model;
    model.projector(1).state().failedLamps = failed;
    qint64 now = powerOn(model);
    QCOMPARE(ask(model, code, now), Ack);
    QCOMPARE(ask(model, "CR7", now), reply);
    QCOMPARE(decoded("CR7", reply), shown);

    // Off, the mode stays and no lamp burns.
    send(model, "C01", now);
    now += Projector::CoolingMs;
    QByteArray off = reply.left(1) + "0\r";
    QCOMPARE(ask(model, "CR7", now), off);
}

void ProjectorModelTest::muteAndSignal_data()
{
    QTest::addColumn<QByteArray>("codes"); // ';'-separated, sent once on
    QTest::addColumn<bool>("signal");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("nothing muted") << QByteArray() << true << QByteArray("00\r");
    QTest::newRow("no-show") << QByteArray("C0D") << true << QByteArray("01\r");
    QTest::newRow("sound mute") << QByteArray("C0B") << true << QByteArray("02\r");
    QTest::newRow("both") << QByteArray("C0B;C0D") << true << QByteArray("03\r");
    QTest::newRow("both, then sound back") << QByteArray("C0B;C0D;C0C") << true
                                           << QByteArray("01\r");
    QTest::newRow("no signal") << QByteArray() << false << QByteArray("80\r");
}

void ProjectorModelTest::muteAndSignal()
{
    QFETCH(QByteArray, codes);
    QFETCH(bool, signal);
    QFETCH(QByteArray, reply);

    ProjectorModel model;
    const qint64 now = powerOn(model);
    model.projector(1).state().signalPresent = signal;
    for (const QByteArray &code : codes.split(';')) {
        if (!code.isEmpty())
            QCOMPARE(ask(model, code, now), Ack);
    }
    QCOMPARE(ask(model, "CRA", now), reply);
    QVERIFY(decoded("CRA", reply) != u"<not decoded>");
}

void ProjectorModelTest::temperaturesShowCleanly_data()
{
    QTest::addColumn<QByteArray>("codes");
    QTest::addColumn<bool>("on");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<QString>("shown");

    QTest::newRow("standby") << QByteArray() << false << QByteArray("+24.5, 26.0\r")
                             << "  S1= + 2 4 . 5 C  ,   S2=  2 6 . 0 C";
    QTest::newRow("on") << QByteArray() << true << QByteArray("+35.0, 41.5\r")
                        << "  S1= + 3 5 . 0 C  ,   S2=  4 1 . 5 C";
    QTest::newRow("on, fan at max") << QByteArray("CF FANSPEED MAX") << true
                                    << QByteArray("+32.0, 37.5\r")
                                    << "  S1= + 3 2 . 0 C  ,   S2=  3 7 . 5 C";
    QTest::newRow("fan back to normal") << QByteArray("CF FANSPEED MAX;CF FANSPEED NOR") << true
                                        << QByteArray("+35.0, 41.5\r")
                                        << "  S1= + 3 5 . 0 C  ,   S2=  4 1 . 5 C";
}

void ProjectorModelTest::temperaturesShowCleanly()
{
    QFETCH(QByteArray, codes);
    QFETCH(bool, on);
    QFETCH(QByteArray, reply);
    QFETCH(QString, shown);

    ProjectorModel model;
    const qint64 now = on ? powerOn(model) : 0;
    for (const QByteArray &code : codes.split(';')) {
        if (!code.isEmpty())
            QCOMPARE(ask(model, code, now), Ack);
    }
    QCOMPARE(ask(model, "CR6", now), reply);
    QCOMPARE(decoded("CR6", reply), shown);
}

void ProjectorModelTest::pressurePlausible()
{
    ProjectorModel model;
    for (int number = 1; number <= ProjectorModel::ProjectorCount; ++number) {
        const QByteArray address = "A00" + QByteArray::number(number);
        const QList<Reply> replies = send(model, address + "CR PRESSURE");
        QCOMPARE(replies.size(), 1);
        const QByteArray reply = replies.first().bytes;
        QVERIFY2(reply.endsWith('\r'), reply.constData());
        bool digits = false;
        reply.chopped(1).toInt(&digits);
        QVERIFY2(digits, reply.constData());

        const QString shown = status::pressureText(trace(QString::fromLatin1(reply)));
        QVERIFY2(shown.endsWith(u" hPa"), qPrintable(shown));
        const int hpa = shown.chopped(4).toInt();
        QVERIFY2(hpa >= 1000 && hpa <= 1013, qPrintable(shown));
    }
}

void ProjectorModelTest::lampHoursRunWhileLit()
{
    constexpr qint64 hour = 3600000;
    ProjectorModel model;
    QCOMPARE(ask(model, "CR3", 0), QByteArray("01203\r"));
    QCOMPARE(send(model, "A002CR3").first().bytes, QByteArray("02406\r"));

    QCOMPARE(ask(model, "CR3", 5 * hour), QByteArray("01203\r")); // standby burns nothing
    send(model, "C00", 5 * hour);
    QCOMPARE(ask(model, "CR3", 7 * hour), QByteArray("01205\r"));
    send(model, "C01", 7 * hour);
    QCOMPARE(ask(model, "CR3", 9 * hour), QByteArray("01205\r"));
    QCOMPARE(decoded("CR3", "01205\r"), QStringLiteral(" 0 1 2 0 5 CR  Hour Use"));
}

void ProjectorModelTest::sourceTypeFollowsTerminal_data()
{
    QTest::addColumn<QByteArray>("code");
    QTest::addColumn<QByteArray>("reply");

    QTest::newRow("analog") << QByteArray() << QByteArray("XGA 60Hz\r");
    QTest::newRow("digital") << QByteArray("CF INPUT1 DIGITAL") << QByteArray("WUXGA 60Hz\r");
    QTest::newRow("video") << QByteArray("CF INPUT1 VIDEO") << QByteArray("NTSC\r");
    QTest::newRow("ycbcr") << QByteArray("CF INPUT1 YCBCR") << QByteArray("1080i 60Hz\r");
    QTest::newRow("hd-sdi") << QByteArray("CF INPUT1 HD-SDI") << QByteArray("HD-SDI 1080i\r");
    QTest::newRow("mode 2 digital") << QByteArray("C06") << QByteArray("WUXGA 60Hz\r");
    QTest::newRow("mode 3 video") << QByteArray("C07") << QByteArray("NTSC\r");
}

void ProjectorModelTest::sourceTypeFollowsTerminal()
{
    QFETCH(QByteArray, code);
    QFETCH(QByteArray, reply);

    ProjectorModel model;
    const qint64 now = powerOn(model);
    if (!code.isEmpty())
        QCOMPARE(ask(model, code, now), Ack);
    QCOMPARE(ask(model, "CR9", now), reply);
    QCOMPARE(decoded("CR9", reply), trace(QString::fromLatin1(reply)));
    model.projector(1).state().signalPresent = false;
    QCOMPARE(ask(model, "CR9", now), QByteArray("NO SIGNAL\r"));
}

void ProjectorModelTest::lampFailureReport()
{
    ProjectorModel model;
    QCOMPARE(ask(model, "CR INFPFAIL"), QByteArray("NO FAIL\r"));
    model.projector(1).state().failedLamps = 0b1001;
    QCOMPARE(ask(model, "CR INFPFAIL"), QByteArray("LAMP FAIL No1,4\r"));
    model.projector(1).state().failedLamps = 0b0010;
    QCOMPARE(ask(model, "CR INFPFAIL"), QByteArray("LAMP FAIL No2\r"));
}

void ProjectorModelTest::framing_data()
{
    QTest::addColumn<QByteArrayList>("pieces"); // fed one after another
    QTest::addColumn<QByteArrayList>("replies");

    QTest::newRow("whole") << QByteArrayList{"CR0\r"} << QByteArrayList{"80\r"};
    QTest::newRow("split") << QByteArrayList{"C", "R", "0", "\r"} << QByteArrayList{"80\r"};
    QTest::newRow("two in one") << QByteArrayList{"CR0\rCR4\r"}
                                << QByteArrayList{"80\r", "11\r"};
    QTest::newRow("line feeds ignored") << QByteArrayList{"CR0\r\n", "\nCR4\r"}
                                        << QByteArrayList{"80\r", "11\r"};
    QTest::newRow("no carriage return yet") << QByteArrayList{"CR0"} << QByteArrayList{};
    QTest::newRow("lone carriage return") << QByteArrayList{"\r"} << QByteArrayList{"?\r"};
    QTest::newRow("long noise answered once") << QByteArrayList{QByteArray(1000, 'x'), "\r"}
                                              << QByteArrayList{"?\r"};
}

void ProjectorModelTest::framing()
{
    QFETCH(QByteArrayList, pieces);
    QFETCH(QByteArrayList, replies);

    ProjectorModel model;
    QByteArrayList got;
    QByteArrayList commands;
    model.setCommandHook([&commands](const QByteArray &text) { commands << text; });
    for (const QByteArray &piece : pieces) {
        for (const Reply &reply : model.feed(piece, 0))
            got << reply.bytes;
    }
    QCOMPARE(got, replies);
    QCOMPARE(commands.size(), replies.size());
}

void ProjectorModelTest::stateChanges_data()
{
    QTest::addColumn<QString>("lines"); // applied at time 0, ';' between lines
    QTest::addColumn<qint64>("at");
    QTest::addColumn<QByteArray>("query");
    QTest::addColumn<QString>("shown");

    const auto row = [](const char *name, const char *lines, qint64 at, const char *query,
                        const char *shown) {
        QTest::newRow(name) << QString::fromLatin1(lines) << at << QByteArray(query)
                            << QString::fromLatin1(shown);
    };
    const qint64 cool = Projector::CoolingMs;
    row("cooling with warning recovers", "power 1 temp-warning-cooling", cool,
        "CR0", " Temperature Warning and recoverd");
    row("lamp failure while cooling", "power 1 lamp-fail-cooling", cool, "CR0",
        " Cooling down & sutandby (All Lamp FAIL)");
    row("power status of all", "POWER all Count-Down  # comment", 0, "A004CR0", " Count down");
    row("input mode", "input 1 3", 0, "CR1", " Input mode 3");
    row("video mute", "power 1 on;mute 1 video", 0, "CRA", " Video mute ON");
    row("audio mute", "power 1 on;mute 1 audio", 0, "CRA", " Audio mute ON");
    row("both muted", "power 1 on;mute 1 both", 0, "CRA", " Video & Audio mute ON");
    row("no signal", "power 1 on;signal 1 none", 0, "CRA", " No signal");
    row("mute in standby", "mute 1 both", 0, "CRA", " Stand by");
    row("normally", "reversal 1 normal", 0, "CR4", " Normally");
    row("top/bottom", "reversal 1 top-bottom", 0, "CR4", " Top/Bottom reversal");
    row("left/right", "reversal 1 left-right", 0, "CR4", " Left/Right reversal");
    row("both reversed", "reversal 1 both", 0, "CR4", " Top/Bottom , Left/Right reversal");
    row("lamp mode lights its lamps", "power 1 on;lamp-mode 1 2-3", 0, "CR7",
        " No2,3 ON  : 2 Lamp mode(2,3)");
    row("any lamps in any mode", "lamp-mode 1 1-4;lamps 1 all", 0, "CR7",
        " All ON  : 2 Lamp mode(1,4)");
    row("lamp list", "power 1 on;lamps 1 1,2,4", 0, "CR7", " No1,2,4 ON  : 4 Lamp mode");
    row("failed lamp goes out", "power 1 on;lamp-fail 1 2", 0, "CR7",
        " No1,3,4 ON  : 4 Lamp mode");
    row("lamp hours", "hours 1 54321", 0, "CR3", " 5 4 3 2 1 CR  Hour Use");
    row("temperatures", "temp 1 -5.5 60", 0, "CR6", "  S1= - 0 5 . 5 C  ,   S2=  6 0 . 0 C");
    row("pressure", "pressure 1 512", 0, "CR PRESSURE", "650 hPa");
    row("pressure at the top", "pressure 1 1023", 0, "CR PRESSURE", "1194 hPa");
}

void ProjectorModelTest::stateChanges()
{
    QFETCH(QString, lines);
    QFETCH(qint64, at);
    QFETCH(QByteArray, query);
    QFETCH(QString, shown);

    ProjectorModel model;
    for (const QString &line : lines.split(u';')) {
        const ParsedChange parsed = parseChange(line);
        QCOMPARE(parsed.error, QString());
        QCOMPARE(parseChange(describe(parsed.change)).change, parsed.change);
        applyChange(model, parsed.change, 0);
    }
    const QList<Reply> replies = send(model, query, at);
    QCOMPARE(replies.size(), 1);
    const QByteArray code = query.startsWith("A0") ? query.mid(4) : query;
    QCOMPARE(decoded(code, replies.first().bytes), shown);
}

void ProjectorModelTest::stateChangeRefused_data()
{
    QTest::addColumn<QString>("text"); // lines of a start file
    QTest::addColumn<QString>("error");

    QTest::newRow("unknown verb") << "power 1 on\nfly 1" << "line 2: unknown change \"fly\"";
    QTest::newRow("projector 5") << "power 5 on" << "line 1: power: projector must be 1 to 4";
    QTest::newRow("no projector") << "mute" << "line 1: usage: mute N STATE";
    QTest::newRow("extra word") << "signal 1 none now" << "line 1: usage: signal N STATE";
    QTest::newRow("unknown state") << "power 1 sleepy" << "\"sleepy\" is no STATE (on, standby";
    QTest::newRow("input 5") << "input 1 5" << "\"5\" is no 1..4";
    QTest::newRow("lamp 0") << "lamps 1 0,1" << "\"0,1\" is no LAMPS";
    QTest::newRow("hot") << "temp 1 100 20" << "\"100 20\" is no S1 S2";
    QTest::newRow("S2 below zero") << "temp 1 20 -1" << "is no S1 S2";
    QTest::newRow("pressure range") << "pressure 1 1024" << "\"1024\" is no 0..1023";
    QTest::newRow("huge number") << "hours 1 99999999999" << "is no 0..99999";
    QTest::newRow("speed") << "speed 4800" << "\"4800\" is no BAUD (19200, 9600)";
}

// A start file with a line not understood is not applied at all.
void ProjectorModelTest::stateChangeRefused()
{
    QFETCH(QString, text);
    QFETCH(QString, error);

    ProjectorModel model;
    const ProjectorState before = model.projector(1).state();
    const QString got = applyChanges(model, text, 0);
    QVERIFY2(got.contains(error), qPrintable(got));
    QCOMPARE(model.projector(1).state(), before);
}

QTEST_GUILESS_MAIN(ProjectorModelTest)
#include "tst_projectormodel.moc"
