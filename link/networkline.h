// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commline.h"
#include "telnetcodec.h"

#include <QElapsedTimer>
#include <QPointer>
#include <QTcpSocket>
#include <functional>
#include <optional>

class QTimer;

// A serial port reached through a serial device server over TCP: either a raw
// byte stream ("tcp://HOST:PORT") or Telnet with COM port control
// ("rfc2217://HOST:PORT"), where the settings are applied on the server's port.
// The console only connects out.
class NetworkLine : public CommLine
{
    Q_OBJECT

public:
    enum class Protocol { Raw, Rfc2217 };
    struct Endpoint
    {
        Protocol protocol = Protocol::Raw;
        QString host; // a name or an address, IPv6 without brackets
        quint16 port = 0;
        bool operator==(const Endpoint &) const = default;
    };

    // A connection not made (and, with rfc2217, COM port control not agreed)
    // within this time fails.
    static constexpr int kConnectBoundMs = 3000;
    // How long an ended connection may wait for the server to end it too.
    static constexpr int kEndBoundMs = 1000;
    // More Telnet negotiations than this within a second end the connection:
    // a server that sends them without end is out of order.
    static constexpr int kNegotiationsPerSecond = 500;
    // Received bytes held for the reader at most; the rest waits in TCP.
    static constexpr qint64 kHeldBytes = 64 * 1024;

    NetworkLine(QString device, Endpoint endpoint, QObject *parent = nullptr);
    ~NetworkLine() override;

    const Endpoint &endpoint() const { return m_endpoint; }

    QString deviceName() const override { return m_device; }
    // Connects within the bound, in the background: opened() or openFailed()
    // tells the end. False at once when the connection failed at once (no
    // route to the host), errorString() saying why.
    bool open(const SerialSettings &settings) override;
    void close() override;
    bool isOpen() const override { return m_state == State::Open; }
    bool isOpening() const override
    {
        return m_state == State::Connecting || m_state == State::Negotiating;
    }
    bool applySettings(const SerialSettings &settings) override;
    bool write(const QByteArray &bytes) override;
    QByteArray readAll() override;
    // The time the data written still needs on the far serial wire at the
    // line's speed, as a byte count; at least the bytes not yet handed to the
    // network.
    qint64 bytesWaiting() const override;
    QString errorString() const override { return m_error; }

    // What the server reports as applied on its port (rfc2217).
    const TelnetCodec::ServerPort &serverPort() const { return m_telnet.serverPort(); }

private:
    enum class State { Closed, Connecting, Negotiating, Open };

    void makeSocket();
    void endConnection();
    void connectNow();
    void onConnected();
    void onReadyRead();
    void onSocketError(QAbstractSocket::SocketError error);
    void onDisconnected();
    void finishOpening(const QString &failure);
    bool storming();
    void checkServerSpeed();
    QString serverText() const;
    void drop(const QString &reason);
    bool send(const QByteArray &bytes);
    QString where() const;
    QString reason(QAbstractSocket::SocketError error) const;
    double nowUs() const { return m_clock.nsecsElapsed() / 1e3; }

    QString m_device;
    Endpoint m_endpoint;
    QTcpSocket *m_socket = nullptr;
    // The connection last ended, until the server has ended it too.
    QPointer<QTcpSocket> m_ending;
    TelnetCodec m_telnet;
    State m_state = State::Closed;
    QTimer *m_openBound = nullptr;
    QByteArray m_queued;        // written while opening
    bool m_awaitingEnd = false; // connects once the previous connection has ended
    bool m_inOpen = false;      // inside open(): a failure is its result, not a signal
    SerialSettings m_settings;
    QByteArray m_received;
    QString m_error;
    QElapsedTimer m_clock;
    double m_wireFreeUs = 0;
    qint64 m_stormSecondMs = 0;
    quint64 m_stormStart = 0;            // negotiations received before that second
    std::optional<quint32> m_warnedBaud; // the server's speed last warned of
    // The first bytes of the connection: a server that cannot open its own
    // port says so in them before it closes.
    QByteArray m_firstBytes;
    qint64 m_openedMs = 0;
};
