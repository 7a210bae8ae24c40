// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/catalogue.h"
#include "gateway/config.h"
#include "gateway/pjlink.h"
#include "gateway/pjlinkplan.h"

#include <QFile>
#include <QTest>

Q_DECLARE_METATYPE(Outcome)

// PJLink requests read, planned as the catalogue's commands and answered from
// their outcomes; the gateway's configuration read.
class PjlinkTest : public QObject
{
    Q_OBJECT

private slots:
    void lines_data();
    void lines();
    void answers_data();
    void answers();
    void digest();
    void configuration_data();
    void configuration();
    void shippedExample();
};

namespace {

Outcome outcome(Outcome::Result result, std::optional<status::Value> value = std::nullopt)
{
    Outcome o;
    o.result = result;
    o.value = value;
    return o;
}

Outcome answered(status::Value value)
{
    return outcome(Outcome::Result::Answered, value);
}

const Outcome kAck = outcome(Outcome::Result::Answered);

} // namespace

void PjlinkTest::lines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("parameter");
    QTest::addColumn<QByteArray>("digest");
    using K = pjlink::Parsed::Kind;
    const QByteArray digest = "400505739ea1d05c77b99babcb6423ad";
    QTest::newRow("query") << QByteArray("%1POWR ?") << int(K::Request) << QByteArray("POWR")
                           << QByteArray("?") << QByteArray();
    QTest::newRow("lower-case body") << QByteArray("%1inpt 31") << int(K::Request)
                                     << QByteArray("INPT") << QByteArray("31") << QByteArray();
    QTest::newRow("digest first") << digest + "%1POWR ?" << int(K::Request) << QByteArray("POWR")
                                  << QByteArray("?") << digest;
    QTest::newRow("no separator") << QByteArray("%1POWR?") << int(K::Garbled) << QByteArray("POWR")
                                  << QByteArray() << QByteArray();
    QTest::newRow("control character") << QByteArray("%1NAME \x01") << int(K::Garbled)
                                       << QByteArray("NAME") << QByteArray() << QByteArray();
    QTest::newRow("no header") << QByteArray("POWR ?") << int(K::Unreadable) << QByteArray()
                               << QByteArray() << QByteArray();
    QTest::newRow("too long") << "%1NAME " + QByteArray(130, 'x') << int(K::Unreadable)
                              << QByteArray() << QByteArray() << QByteArray();
    QTest::newRow("short digest") << QByteArray("4005%1POWR ?") << int(K::Unreadable)
                                  << QByteArray() << QByteArray() << QByteArray();
}

void PjlinkTest::lines()
{
    QFETCH(QByteArray, line);
    QFETCH(int, kind);
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, parameter);
    QFETCH(QByteArray, digest);
    const pjlink::Parsed parsed = pjlink::parseLine(line);
    QCOMPARE(int(parsed.kind), kind);
    if (kind == int(pjlink::Parsed::Kind::Unreadable))
        return;
    QCOMPARE(parsed.request.body, body);
    QCOMPARE(parsed.request.parameter, parameter);
    QCOMPARE(parsed.digest, digest);
}

void PjlinkTest::answers_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QStringList>("codes"); // the commands sent, none: answered at once
    QTest::addColumn<QList<Outcome>>("outcomes");
    QTest::addColumn<QByteArray>("answer");
    using status::PowerState;
    using R = Outcome::Result;
    const QList<Outcome> none;
    QTest::newRow("power warming up")
        << QByteArray("%1POWR ?") << QStringList{"CR0"} << QList{answered(PowerState::CountDown)}
        << QByteArray("%1POWR=3\r");
    QTest::newRow("power cooling, temperature warning")
        << QByteArray("%1POWR ?") << QStringList{"CR0"}
        << QList{answered(PowerState::TemperatureWarningCoolingDown)} << QByteArray("%1POWR=2\r");
    QTest::newRow("power failure")
        << QByteArray("%1POWR ?") << QStringList{"CR0"} << QList{answered(PowerState::PowerFail)}
        << QByteArray("%1POWR=ERR4\r");
    QTest::newRow("power on taken")
        << QByteArray("%1POWR 1") << QStringList{"C00"} << QList{kAck} << QByteArray("%1POWR=OK\r");
    QTest::newRow("power off refused") << QByteArray("%1POWR 0") << QStringList{"C01"}
                                       << QList{outcome(R::Refused)} << QByteArray("%1POWR=ERR3\r");
    QTest::newRow("silent projector") << QByteArray("%1POWR ?") << QStringList{"CR0"}
                                      << QList{outcome(R::Silent)} << QByteArray("%1POWR=ERR4\r");
    QTest::newRow("line gone") << QByteArray("%1LAMP ?") << QStringList{"CR3", "CR7"}
                               << QList{outcome(R::LineFailed)} << QByteArray("%1LAMP=ERR4\r");
    QTest::newRow("power out of range")
        << QByteArray("%1POWR 2") << QStringList{} << none << QByteArray("%1POWR=ERR2\r");
    QTest::newRow("input set: digital 1 is input 4")
        << QByteArray("%1INPT 31") << QStringList{"C08"} << QList{kAck}
        << QByteArray("%1INPT=OK\r");
    QTest::newRow("input not offered")
        << QByteArray("%1INPT 51") << QStringList{} << none << QByteArray("%1INPT=ERR2\r");
    QTest::newRow("input read") << QByteArray("%1INPT ?") << QStringList{"CR1"}
                                << QList{answered(status::InputMode{3})}
                                << QByteArray("%1INPT=21\r");
    QTest::newRow("mute both: two commands") << QByteArray("%1AVMT 31") << QStringList{"C0D", "C0B"}
                                             << QList{kAck, kAck} << QByteArray("%1AVMT=OK\r");
    QTest::newRow("mute read in stand-by")
        << QByteArray("%1AVMT ?") << QStringList{"CRA"}
        << QList{answered(status::MuteSignal::Standby)} << QByteArray("%1AVMT=ERR3\r");
    QTest::newRow("mute read: sound")
        << QByteArray("%1AVMT ?") << QStringList{"CRA"}
        << QList{answered(status::MuteSignal::Audio)} << QByteArray("%1AVMT=21\r");
    QTest::newRow("errors: all lamps failed")
        << QByteArray("%1ERST ?") << QStringList{"CR0", "CR INFPFAIL"}
        << QList{answered(PowerState::StandbyAllLampsFailed), answered(status::LampFailures{0xF})}
        << QByteArray("%1ERST=020000\r");
    QTest::newRow("errors: lamp and temperature warnings")
        << QByteArray("%1ERST ?") << QStringList{"CR0", "CR INFPFAIL"}
        << QList{answered(PowerState::TemperatureWarning), answered(status::LampFailures{0x2})}
        << QByteArray("%1ERST=011000\r");
    QTest::newRow("lamps") << QByteArray("%1LAMP ?") << QStringList{"CR3", "CR7"}
                           << QList{answered(status::LampHours{1203}),
                                    answered(status::LampMode{1, 0x9})}
                           << QByteArray("%1LAMP=1203 1 1203 0 1203 0 1203 1\r");
    QTest::newRow("inputs offered")
        << QByteArray("%1INST ?") << QStringList{} << none << QByteArray("%1INST=11 12 21 31\r");
    QTest::newRow("class") << QByteArray("%1CLSS ?") << QStringList{} << none
                           << QByteArray("%1CLSS=1\r");
    QTest::newRow("maker") << QByteArray("%1INF1 ?") << QStringList{} << none
                           << QByteArray("%1INF1=projector-gateway\r");
    QTest::newRow("query-only set")
        << QByteArray("%1NAME x") << QStringList{} << none << QByteArray("%1NAME=ERR2\r");
    QTest::newRow("unknown body") << QByteArray("%1ABCD ?") << QStringList{} << none
                                  << QByteArray("%1ABCD=ERR1\r");
    QTest::newRow("class 2") << QByteArray("%2POWR ?") << QStringList{} << none
                             << QByteArray("%2POWR=ERR1\r");
}

void PjlinkTest::answers()
{
    QFETCH(QByteArray, request);
    QFETCH(QStringList, codes);
    QFETCH(QList<Outcome>, outcomes);
    QFETCH(QByteArray, answer);
    const pjlink::Parsed parsed = pjlink::parseLine(request);
    QCOMPARE(parsed.kind, pjlink::Parsed::Kind::Request);
    const pjlink::Profile profile = pjlink::defaultProfile(QStringLiteral("hall"), 1);
    const pjlink::Plan plan = pjlink::plan(parsed.request, profile);
    QStringList sent;
    for (const QString &button : plan.buttons)
        sent << commands::findOneShot(button)->code;
    QCOMPARE(sent, codes);
    QCOMPARE(codes.isEmpty() ? plan.immediate
                             : pjlink::answerFrom(parsed.request, profile, outcomes),
             answer);
}

void PjlinkTest::digest()
{
    // The example of the standard's authentication.
    QCOMPARE(pjlink::digest("4f1d2c9a", "secret"), QByteArray("400505739ea1d05c77b99babcb6423ad"));
    QVERIFY(pjlink::digestMatches("400505739EA1D05C77B99BABCB6423AD", "4f1d2c9a", "secret"));
    QVERIFY(!pjlink::digestMatches("400505739ea1d05c77b99babcb6423ae", "4f1d2c9a", "secret"));
    QVERIFY(!pjlink::digestMatches("", "4f1d2c9a", "secret"));
}

void PjlinkTest::configuration_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("error");
    QTest::addColumn<QString>("ports"); // line:address@address:port ...
    QTest::newRow("a hall, four on one line")
        << "line hall /dev/ttyUSB0\nprojector hall 3 name=\"Stage left\" port=5000\n"
        << QString()
        << "hall:1@127.0.0.1:4352 hall:2@127.0.0.1:4353 hall:3@127.0.0.1:5000 "
           "hall:4@127.0.0.1:4355";
    QTest::newRow("two lines, one single, listening elsewhere")
        << "listen 0.0.0.0\npassword-file /etc/pw\n"
           "line a tcp://box:4001 port=4400 addresses=2,4\nline b sim addresses=single port=4500\n"
        << QString() << "a:2@0.0.0.0:4401 a:4@0.0.0.0:4403 b:0@0.0.0.0:4500";
    QTest::newRow("unknown option") << "line hall sim speed=4800\n"
                                    << "line 1: \"speed=4800\" is not understood" << QString();
    QTest::newRow("projector of no line") << "projector hall 1\n"
                                          << "line 1: no line hall above" << QString();
    QTest::newRow("input twice")
        << "line hall sim\nprojector hall 1 inputs=11,11\n"
        << "line 2: \"11,11\" is not a list of PJLink inputs (11-59, - for none)" << QString();
    QTest::newRow("open quote") << "line hall sim\nprojector hall 1 name=\"Stage\n"
                                << "line 2: a double quote is not closed" << QString();
}

void PjlinkTest::configuration()
{
    QFETCH(QString, text);
    QFETCH(QString, error);
    QFETCH(QString, ports);
    const gateway::Parsed parsed = gateway::parseConfig(text);
    QCOMPARE(parsed.error, error);
    QStringList where;
    for (const gateway::LineEntry &line : parsed.config.lines) {
        for (const gateway::ProjectorEntry &projector : line.projectors)
            where << QStringLiteral("%1:%2@%3:%4")
                         .arg(line.name)
                         .arg(projector.address)
                         .arg(projector.listen.toString())
                         .arg(projector.port);
    }
    if (error.isEmpty())
        QCOMPARE(where.join(u' '), ports);
}

void PjlinkTest::shippedExample()
{
    QFile file(QStringLiteral(GATEWAY_EXAMPLE_CONFIG));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const gateway::Parsed parsed = gateway::parseConfig(QString::fromUtf8(file.readAll()));
    QCOMPARE(parsed.error, QString());
    QCOMPARE(parsed.config.lines.size(), 1);
    const QList<gateway::ProjectorEntry> &projectors = parsed.config.lines.first().projectors;
    QCOMPARE(projectors.size(), 4);
    QCOMPARE(projectors.last().profile.name, QByteArray("Hall rear right"));
    QCOMPARE(projectors.last().port, 4355);
}

QTEST_GUILESS_MAIN(PjlinkTest)
#include "tst_pjlink.moc"
