// SPDX-License-Identifier: GPL-3.0-or-later
#include "gateway/linedriver.h"
#include "gateway/pjlinkserver.h"
#include "sim/anyline.h"
#include "support/manualclock.h"

#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

// A PJLink connection to the gateway's projector on a simulated line, its
// idle time on a clock the test moves: 30 s without a request close it, and
// every request starts them again.
class GatewaySessionTest : public QObject
{
    Q_OBJECT

private slots:
    void anIdleConnectionIsClosedAfter30s();
};

void GatewaySessionTest::anIdleConnectionIsClosedAfter30s()
{
    QTemporaryDir dir;
    const QString device = QStringLiteral("sim:") + dir.filePath(QStringLiteral("none.txt"));
    QFile(dir.filePath(QStringLiteral("none.txt"))).open(QIODevice::WriteOnly);
    gateway::LineEntry entry{QStringLiteral("sim"), device, QStringLiteral("19200,N,8,1"),
                             gateway::projectorsOf(QStringLiteral("sim"), {1},
                                                   QHostAddress(QHostAddress::LocalHost), 0)};
    gateway::LineDriver line(entry,
                             [device](int port) { return port == 1 ? makeLine(device) : nullptr; });
    QString error;
    QVERIFY2(line.open(&error), qPrintable(error));
    ManualClock clock;
    gateway::PjlinkServer server(line, entry.projectors.first(), std::nullopt, 8, clock);
    QVERIFY2(server.listen(&error), qPrintable(error));

    QTcpSocket client;
    QByteArray heard;
    connect(&client, &QTcpSocket::readyRead, this, [&] { heard += client.readAll(); });
    client.connectToHost(QHostAddress::LocalHost, server.port());
    QTRY_COMPARE(heard, QByteArray("PJLINK 0\r"));
    QTRY_COMPARE(server.connections(), 1);

    clock.advance(gateway::PjlinkSession::kIdleMs - 1);
    client.write("%1POWR ?\r");
    QTRY_COMPARE(heard, QByteArray("PJLINK 0\r%1POWR=0\r"));
    // Answered: the first request started the idle time again.
    clock.advance(gateway::PjlinkSession::kIdleMs - 1);
    client.write("%1CLSS ?\r");
    QTRY_COMPARE(heard, QByteArray("PJLINK 0\r%1POWR=0\r%1CLSS=1\r"));
    clock.advance(gateway::PjlinkSession::kIdleMs);
    QTRY_COMPARE(client.state(), QAbstractSocket::UnconnectedState);
    QTRY_COMPARE(server.connections(), 0);
}

QTEST_GUILESS_MAIN(GatewaySessionTest)
#include "tst_gatewaysession.moc"
