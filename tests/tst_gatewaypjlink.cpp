// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/gatewayrig.h"

// A PJLink client nobody here wrote (npm pjlink) against projector-gateway
// on the simulated line of four projectors: 1 in stand-by, 2 on with a known
// lamp time and lamps, 3 on with a failed lamp and a temperature warning, 4 on.
class GatewayPjlinkTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void answers_data();
    void answers();
    void password_data();
    void password();
    void refusals_data();
    void refusals();
    void cleanupTestCase()
    {
        m_gateway.stop();
        m_guarded.stop();
    }

private:
    PjlinkClients m_clients;
    GatewayProcess m_gateway;
    GatewayProcess m_guarded; // with a password
    QString m_states;
};

namespace {

QJsonArray steps(std::initializer_list<QJsonArray> list)
{
    QJsonArray all;
    for (const QJsonArray &step : list)
        all << step;
    return all;
}

QJsonValue json(const char *text)
{
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray("[") + text + "]");
    return document.array().at(0);
}

} // namespace

void GatewayPjlinkTest::initTestCase()
{
    const QString problem = m_clients.install();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    m_states
        = m_clients.write(QStringLiteral("states.txt"), "power 2 on\npower 3 on\npower 4 on\n"
                                                        "hours 2 1203\nlamp-mode 2 1-4\n"
                                                        "lamp-fail 3 2\npower 3 temp-warning\n");
    QString said;
    QVERIFY2(m_gateway.start({"--line", "sim:" + m_states}, 4, &said), qPrintable(said));
}

// Each row: the projector, the client's calls, and what each gives (as JSON).
void GatewayPjlinkTest::answers_data()
{
    QTest::addColumn<int>("projector");
    QTest::addColumn<QJsonArray>("calls");
    QTest::addColumn<QJsonArray>("expected");

    QTest::newRow("power of one in stand-by, input refused there")
        << 1 << steps({{"getPowerState"}, {"setInput", json(R"({"source":"video","channel":1})")}})
        << QJsonArray{json(R"({"error":null,"result":0})"),
                      json(R"({"error":"Unavailable time","result":null})")};
    QTest::newRow("input set and read back; unoffered input")
        << 2
        << steps({{"setInput", json(R"({"source":"digital","channel":1})")},
                  {"getInput"},
                  {"setInput", json(R"({"source":"network","channel":1})")}})
        << QJsonArray{
               json(R"({"error":null,"result":null})"),
               json(
                   R"({"error":null,"result":{"channel":1,"code":"31","name":"DIGITAL - 1","source":3}})"),
               json(R"({"error":"Out of parameter","result":null})")};
    QTest::newRow("mute picture, both, none")
        << 4
        << steps({{"setMute", json(R"({"video":true,"audio":false})")},
                  {"getMute"},
                  {"setMute", json(R"({"video":true,"audio":true})")},
                  {"getMute"},
                  {"setMute", json(R"({"video":false,"audio":false})")},
                  {"getMute"}})
        << QJsonArray{json(R"({"error":null,"result":null})"),
                      json(R"({"error":null,"result":{"audio":false,"video":true}})"),
                      json(R"({"error":null,"result":null})"),
                      json(R"({"error":null,"result":{"audio":true,"video":true}})"),
                      json(R"({"error":null,"result":null})"),
                      json(R"({"error":null,"result":{"audio":false,"video":false}})")};
    QTest::newRow("lamp hours and lamps on, no errors")
        << 2 << steps({{"getLamps"}, {"getErrors"}})
        << QJsonArray{
               json(
                   R"({"error":null,"result":[{"hours":1203,"on":true},{"hours":1203,"on":false},{"hours":1203,"on":false},{"hours":1203,"on":true}]})"),
               json(R"({"error":null,"result":null})")};
    QTest::newRow("a failed lamp and a temperature warning")
        << 3 << steps({{"getErrors"}, {"getPowerState"}})
        << QJsonArray{
               json(
                   R"({"error":null,"result":{"cover":false,"fan":false,"filter":false,"lamp":"warning","other":false,"temperature":"warning"}})"),
               json(R"({"error":null,"result":1})")};
    QTest::newRow("name, maker, model, info, class, inputs")
        << 4 << steps({{"getName"}, {"getManufacturer"}, {"getModel"}, {"getClass"}, {"getInputs"}})
        << QJsonArray{
               json(R"({"error":null,"result":["sim:STATES","projector","4"]})"),
               json(R"({"error":null,"result":"projector-gateway"})"),
               json(R"({"error":null,"result":"serial projector"})"),
               json(R"({"error":null,"result":"1"})"),
               json(
                   R"({"error":null,"result":[{"channel":1,"code":"11","name":"RGB - 1","source":1},{"channel":2,"code":"12","name":"RGB - 2","source":1},{"channel":1,"code":"21","name":"VIDEO - 1","source":2},{"channel":1,"code":"31","name":"DIGITAL - 1","source":3}]})")};
}

void GatewayPjlinkTest::answers()
{
    QFETCH(int, projector);
    QFETCH(QJsonArray, calls);
    QFETCH(QJsonArray, expected);
    QJsonArray results;
    for (const QJsonValue &result : m_clients.run(m_gateway.port(projector), calls)) {
        QJsonObject answer = result.toObject();
        answer.remove(QStringLiteral("step"));
        results << answer;
    }
    // The name tells the line, whose device is the state file of this run.
    const QByteArray said
        = QJsonDocument(results)
              .toJson(QJsonDocument::Compact)
              .replace(QStringLiteral("sim:%1").arg(m_states).toUtf8(), "sim:STATES");
    QCOMPARE(said, QJsonDocument(expected).toJson(QJsonDocument::Compact));
}

void GatewayPjlinkTest::password_data()
{
    QTest::addColumn<QString>("given");
    QTest::addColumn<QJsonValue>("expected");
    QTest::newRow("right") << "s3cret"
                           << json(R"({"step":"getPowerState","error":null,"result":1})");
    QTest::newRow("wrong")
        << "guess"
        << json(R"({"step":"getPowerState","error":"Authorization failed","result":null})");
    QTest::newRow("none")
        << "" << json(R"({"step":"getPowerState","error":"Authorization failed","result":null})");
}

void GatewayPjlinkTest::password()
{
    QFETCH(QString, given);
    QFETCH(QJsonValue, expected);
    GatewayProcess &guarded = m_guarded;
    if (guarded.process().state() == QProcess::NotRunning) {
        const QString file = m_clients.write(QStringLiteral("password"), "s3cret\n");
        QString said;
        QVERIFY2(
            guarded.start({"--line", "sim:" + m_states, "--address", "4", "--password-file", file},
                          1, &said),
            qPrintable(said));
    }
    const QJsonArray said = m_clients.run(guarded.port(4), steps({{"getPowerState"}}), given);
    QCOMPARE(said, QJsonArray{expected});
}

// What the gateway refuses to start with: status 2 and the reason.
void GatewayPjlinkTest::refusals_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reason");
    const QString shared = m_clients.write(QStringLiteral("shared-password"), "s3cret\n",
                                           QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                               | QFileDevice::ReadGroup);
    QTest::newRow("password readable by the group")
        << QStringList{"--line", "sim", "--password-file", shared}
        << "may be read by others than its owner";
    QTest::newRow("beyond the loopback without a password")
        << QStringList{"--line", "sim", "--listen", "0.0.0.0:0"} << "without a password";
}

void GatewayPjlinkTest::refusals()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, reason);
    QProcess gateway;
    gateway.start(QStringLiteral(PROJECTOR_GATEWAY_PATH), arguments);
    QVERIFY(gateway.waitForFinished(5000));
    QCOMPARE(gateway.exitCode(), 2);
    const QString said = QString::fromLocal8Bit(gateway.readAllStandardError());
    QVERIFY2(said.contains(reason), qPrintable(said));
}

QTEST_GUILESS_MAIN(GatewayPjlinkTest)
#include "tst_gatewaypjlink.moc"
