// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/networkline.h"
#include "support/ser2net.h"

#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

// Network lines against servers that misbehave: a Telnet server of the test's
// own on 127.0.0.1 that floods negotiation or applies another speed, and
// Debian's ser2net that cannot open its own device.
class MisbehavingServerTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void negotiationIsNoWireTime();
    void negotiationStormEnds();
    void otherSpeedIsTold();
    void partingTextIsTold();

private:
    // Opens an rfc2217 line on a server that agrees to COM port control and
    // then runs `serve` on every chunk the client sends.
    bool openAgreed(const std::function<void(QTcpSocket &, const QByteArray &)> &serve = {});

    QTcpServer m_server;
    QTcpSocket *m_peer = nullptr;
    std::unique_ptr<NetworkLine> m_line;
    QByteArray m_fromClient;
};

namespace {

QByteArray telnet(std::initializer_list<int> bytes)
{
    QByteArray out;
    for (const int b : bytes)
        out += char(b);
    return out;
}

const QByteArray kWillDoEcho = telnet({255, 251, 1, 255, 253, 1});

} // namespace

void MisbehavingServerTest::cleanup()
{
    m_line.reset();
    m_server.close();
    disconnect(&m_server, nullptr, this, nullptr);
    delete std::exchange(m_peer, nullptr);
    m_fromClient.clear();
}

bool MisbehavingServerTest::openAgreed(
    const std::function<void(QTcpSocket &, const QByteArray &)> &serve)
{
    if (!m_server.listen(QHostAddress::LocalHost))
        return false;
    connect(&m_server, &QTcpServer::newConnection, this, [this, serve] {
        QTcpSocket *peer = m_peer = m_server.nextPendingConnection();
        peer->write(telnet({255, 253, 44})); // DO COM-PORT-OPTION
        connect(peer, &QTcpSocket::readyRead, this, [this, serve, peer] {
            const QByteArray bytes = peer->readAll();
            m_fromClient += bytes;
            if (serve)
                serve(*peer, bytes);
        });
    });
    m_line = std::make_unique<NetworkLine>(QStringLiteral("rfc2217"),
                                           NetworkLine::Endpoint{NetworkLine::Protocol::Rfc2217,
                                                                 QStringLiteral("127.0.0.1"),
                                                                 m_server.serverPort()});
    // The connection opens in the background.
    return m_line->open(SerialSettings{19200})
           && QTest::qWaitFor([this] { return !m_line->isOpening(); }, 5000) && m_line->isOpen();
}

// Refusals of the server's requests cross the network, not the serial wire:
// a command written after them waits only for itself.
void MisbehavingServerTest::negotiationIsNoWireTime()
{
    QVERIFY(openAgreed());
    m_peer->write(kWillDoEcho.repeated(200)); // 400 refusals owed
    QTRY_COMPARE(m_fromClient.count(telnet({255, 252, 1})), 200);
    QVERIFY(m_line->write("C0A\r"));
    QVERIFY2(m_line->bytesWaiting() <= 5, qPrintable(QString::number(m_line->bytesWaiting())));
    QVERIFY(m_line->isOpen());
}

void MisbehavingServerTest::negotiationStormEnds()
{
    QVERIFY(openAgreed());
    QSignalSpy lost(m_line.get(), &CommLine::lost);
    m_peer->write(kWillDoEcho.repeated(20000));
    QTRY_COMPARE(lost.count(), 1);
    QVERIFY2(lost.first().first().toString().contains(
                 QStringLiteral("more than 500 Telnet negotiations in a second")),
             qPrintable(lost.first().first().toString()));
    QVERIFY(!m_line->isOpen());
    QVERIFY(m_fromClient.size() < 20000); // the storm was not answered in full
}

// The server answers SET-BAUDRATE with 9600 to a request for 19200.
void MisbehavingServerTest::otherSpeedIsTold()
{
    const bool opened = openAgreed([](QTcpSocket &peer, const QByteArray &bytes) {
        if (bytes.contains(telnet({255, 250, 44, 1})))
            peer.write(telnet({255, 250, 44, 101, 0, 0, 0x25, 0x80, 255, 240}));
    });
    QVERIFY(opened);
    QSignalSpy warned(m_line.get(), &CommLine::warning);
    QTRY_COMPARE(warned.count(), 1);
    QCOMPARE(warned.first().first().toString(),
             QStringLiteral("the server at host 127.0.0.1 port %1 applied 9600 baud on its port "
                            "instead of the 19200 baud asked for")
                 .arg(m_server.serverPort()));
}

// ser2net in raw mode with its device missing writes why and closes.
void MisbehavingServerTest::partingTextIsTold()
{
    Ser2net ser2net(Ser2net::Mode::Raw, QStringLiteral("/dev/no-such-projector-port"));
    QVERIFY2(ser2net.start(), qPrintable(ser2net.errorString()));
    NetworkLine line(ser2net.url(),
                     {NetworkLine::Protocol::Raw, QStringLiteral("127.0.0.1"), ser2net.port()});
    QSignalSpy lost(&line, &CommLine::lost);
    QVERIFY(line.open(SerialSettings{19200}));
    QTRY_COMPARE(lost.count(), 1);
    const QString reason = lost.first().first().toString();
    QVERIFY2(reason.contains(QStringLiteral("the server said \"Device open failure")),
             qPrintable(reason));
}

QTEST_GUILESS_MAIN(MisbehavingServerTest)
#include "tst_misbehavingserver.moc"
