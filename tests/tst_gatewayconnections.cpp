// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/gatewayrig.h"
#include "support/ptypair.h"

#include <QTcpSocket>

// What projector-gateway does with the connections of PJLink clients: a line
// that stays silent is a failure told at once, a projector takes a bounded
// number of connections, and a client may not run too far ahead.
class GatewayConnectionsTest : public QObject
{
    Q_OBJECT

private slots:
    void aSilentProjectorIsAFailure();
    void connectionsBeyondTheLimitAreClosed();
    void requestsAheadAreAnsweredInOrder();
    void aClientTooFarAheadIsCutOff();

private:
    QTemporaryDir m_dir;
};

namespace {

// A raw connection to `port`, with what came before it went quiet or closed.
struct Raw
{
    explicit Raw(quint16 port) { socket.connectToHost(QHostAddress::LocalHost, port); }
    QByteArray received()
    {
        received_ += socket.readAll();
        return received_;
    }
    QTcpSocket socket;
    QByteArray received_;
};

} // namespace

// Nothing answers on the line: the client hears ERR4 at once, not silence.
void GatewayConnectionsTest::aSilentProjectorIsAFailure()
{
    PtyPair line;
    QVERIFY(line.isValid());
    GatewayProcess gateway;
    QString said;
    QVERIFY2(gateway.start({"--line", line.slavePath(), "--address", "2"}, 1, &said),
             qPrintable(said));
    Raw client(gateway.port(2));
    QTRY_COMPARE(client.received(), QByteArray("PJLINK 0\r"));
    QElapsedTimer clock;
    clock.start();
    client.socket.write("%1POWR ?\r");
    QTRY_COMPARE(client.received(), QByteArray("PJLINK 0\r%1POWR=ERR4\r"));
    client.socket.write("%1POWR 1\r");
    QTRY_COMPARE(client.received(), QByteArray("PJLINK 0\r%1POWR=ERR4\r%1POWR=ERR4\r"));
    QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
}

void GatewayConnectionsTest::connectionsBeyondTheLimitAreClosed()
{
    GatewayProcess gateway;
    QString said;
    QVERIFY2(gateway.start({"--line", simLineIn(m_dir), "--address", "1", "--connections", "2"}, 1,
                           &said),
             qPrintable(said));
    Raw first(gateway.port(1)), second(gateway.port(1));
    QTRY_COMPARE(first.received(), QByteArray("PJLINK 0\r"));
    QTRY_COMPARE(second.received(), QByteArray("PJLINK 0\r"));
    Raw third(gateway.port(1));
    QTRY_COMPARE(third.socket.state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(third.received(), QByteArray());
    // A place comes free when a client leaves.
    first.socket.disconnectFromHost();
    std::unique_ptr<Raw> fourth;
    const auto greeted = [&gateway, &fourth] {
        if (!fourth || fourth->socket.state() != QAbstractSocket::ConnectedState)
            fourth = std::make_unique<Raw>(gateway.port(1));
        fourth->socket.waitForReadyRead(200);
        return fourth->received() == "PJLINK 0\r";
    };
    QTRY_VERIFY(greeted());
}

void GatewayConnectionsTest::requestsAheadAreAnsweredInOrder()
{
    GatewayProcess gateway;
    QString said;
    QVERIFY2(gateway.start({"--line", simLineIn(m_dir), "--address", "1"}, 1, &said),
             qPrintable(said));
    Raw client(gateway.port(1));
    QTRY_COMPARE(client.received(), QByteArray("PJLINK 0\r"));
    client.socket.write("%1POWR ?\r%1CLSS ?\r%1LAMP ?\r");
    QTRY_VERIFY(client.received().count('\r') == 4);
    client.socket.write("%1INST ?\r");
    QTRY_COMPARE(client.received(),
                 QByteArray("PJLINK 0\r%1POWR=0\r%1CLSS=1\r%1LAMP=1203 0 1203 0 1203 0 1203 0\r"
                            "%1INST=11 12 21 31\r"));
}

void GatewayConnectionsTest::aClientTooFarAheadIsCutOff()
{
    GatewayProcess gateway;
    QString said;
    QVERIFY2(gateway.start({"--line", simLineIn(m_dir), "--address", "1"}, 1, &said),
             qPrintable(said));
    Raw client(gateway.port(1));
    QTRY_COMPARE(client.received(), QByteArray("PJLINK 0\r"));
    // One request under way and four waiting are taken; the sixth is one too many.
    client.socket.write(QByteArray("%1POWR ?\r").repeated(6));
    QTRY_COMPARE(client.socket.state(), QAbstractSocket::UnconnectedState);
    QVERIFY(client.received().count("%1POWR=") < 6);
}

QTEST_GUILESS_MAIN(GatewayConnectionsTest)
#include "tst_gatewayconnections.moc"
