// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/gatewayrig.h"

// A PJLink client nobody here wrote (npm pjlink) switches a simulated
// projector on and off through projector-gateway and sees it warm up and
// cool down, as the projector's own status replies tell.
class GatewayPowerTest : public QObject
{
    Q_OBJECT

private slots:
    void powerOnAndOffThroughItsStates();
};

void GatewayPowerTest::powerOnAndOffThroughItsStates()
{
    PjlinkClients clients;
    const QString problem = clients.install();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    QTemporaryDir dir;
    GatewayProcess gateway;
    QString said;
    QVERIFY2(gateway.start({"--line", simLineIn(dir), "--address", "2"}, 1, &said),
             qPrintable(said));

    // Warming up takes the projector 3 s, cooling down 5 s.
    QProcess client;
    clients.start(client, gateway.port(2),
                  QJsonArray{QJsonArray{"getPowerState"}, QJsonArray{"powerOn"},
                             QJsonArray{"until", "getPowerState", 1, 6000}, QJsonArray{"powerOff"},
                             QJsonArray{"until", "getPowerState", 0, 8000}});
    const QJsonArray answers = PjlinkClients::results(client, 13000);
    // Stand-by, on (warming up, then on), off (cooling down, then stand-by).
    const QJsonArray expected = QJsonDocument::fromJson(R"([
        {"step":"getPowerState","error":null,"result":0},
        {"step":"powerOn","error":null,"result":null},
        {"step":"until","error":null,"result":[3,1]},
        {"step":"powerOff","error":null,"result":null},
        {"step":"until","error":null,"result":[2,0]}])")
                                    .array();
    QCOMPARE(answers, expected);
}

QTEST_GUILESS_MAIN(GatewayPowerTest)
#include "tst_gatewaypower.moc"
