// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/gatewayrig.h"

#include <QSet>

// Twenty PJLink clients (npm pjlink) poll the four projectors of a simulated
// line every second through projector-gateway while projector-ctl sends
// through the same gateway: every answer is its own projector's and its own
// query's, none is lost, and projector-ctl's commands reach the line the
// gateway holds.
class GatewayLoadTest : public QObject
{
    Q_OBJECT

private slots:
    void everyAnswerIsItsOwnUnderLoad();
};

void GatewayLoadTest::everyAnswerIsItsOwnUnderLoad()
{
    PjlinkClients clients;
    const QString problem = clients.install();
    QVERIFY2(problem.isEmpty(), qPrintable(problem));
    // Projector n on input n with n thousand lamp hours: each answer tells whose it is.
    const QString states = clients.write(
        QStringLiteral("states.txt"), "power all on\ninput 2 2\ninput 3 3\ninput 4 4\n"
                                      "hours 1 1000\nhours 2 2000\nhours 3 3000\nhours 4 4000\n");
    const QString line = QStringLiteral("sim:") + states;
    GatewayProcess gateway;
    QString said;
    QVERIFY2(gateway.start({"--line", line}, 4, &said), qPrintable(said));
    QHash<quint16, int> projectorAt;
    QStringList ports;
    for (int projector = 1; projector <= 4; ++projector) {
        projectorAt.insert(gateway.port(projector), projector);
        ports << QString::number(gateway.port(projector));
    }

    constexpr int kClients = 20, kSeconds = 5;
    QProcess load;
    load.start(QStringLiteral("node"),
               {QStringLiteral(GATEWAY_TEST_DIR "/pjlink-load.js"), clients.path({}), "127.0.0.1",
                ports.join(u','), QString::number(kClients), QString::number(kSeconds)});
    QVERIFY(load.waitForStarted());

    // Meanwhile projector-ctl, through the gateway, asks and switches projector 1.
    QTest::qWait(1000);
    const QString ctl = QStringLiteral(PROJECTOR_CTL_PATH);
    for (int round = 0; round < 5; ++round) {
        QProcess asks;
        asks.start(ctl, {"--line", line, "--address", "3", "MODE", "L-TIME"});
        QVERIFY(asks.waitForFinished(5000));
        QCOMPARE(asks.exitCode(), 0);
        const QByteArray output = asks.readAllStandardOutput();
        QVERIFY2(output.contains("RXD 3 CR") && output.contains("RXD 0 3 0 0 0 CR"),
                 output.constData());
    }
    QCOMPARE(QProcess::execute(ctl, {"--line", line, "--address", "1", "INPUT MODE SET 4"}), 0);
    // The input the clients read of projector 1 from now on is projector-ctl's.
    const QJsonArray after = clients.run(gateway.port(1), QJsonArray{QJsonArray{"getInput"}});
    QCOMPARE(after.at(0)["result"]["code"].toString(), QStringLiteral("31"));

    const QJsonArray answers = PjlinkClients::results(load, (kSeconds + 4) * 1000);
    const QStringList inputs{"11", "12", "21", "31"};
    QHash<int, int> perClient;
    for (const QJsonValue &value : answers) {
        const QJsonObject answer = value.toObject();
        const int projector = projectorAt.value(quint16(answer["port"].toInt()));
        QVERIFY2(answer["error"].isNull(), qPrintable(answer["error"].toString()));
        if (answer["step"].toString() == u"getInput") {
            const QString code = answer["result"]["code"].toString();
            // Projector 1's input becomes projector-ctl's while the clients poll.
            QVERIFY2(
                code == inputs[projector - 1] || (projector == 1 && code == u"31"),
                qPrintable(QStringLiteral("projector %1 said input %2").arg(projector).arg(code)));
        } else {
            const QJsonArray lamps = answer["result"].toArray();
            QCOMPARE(lamps.size(), 4);
            QCOMPARE(lamps.at(0)["hours"].toInt(), projector * 1000);
        }
        ++perClient[answer["client"].toInt()];
    }
    // Every client had a query answered about every second.
    QCOMPARE(perClient.size(), kClients);
    for (const int count : perClient)
        QVERIFY2(count >= kSeconds - 1, qPrintable(QString::number(count)));
}

QTEST_GUILESS_MAIN(GatewayLoadTest)
#include "tst_gatewayload.moc"
