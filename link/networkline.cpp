// SPDX-License-Identifier: GPL-3.0-or-later
#include "networkline.h"

#include <QTimer>
#include <algorithm>
#include <cmath>

#ifdef Q_OS_UNIX
#include <sys/socket.h>
#endif
#ifdef Q_OS_LINUX
#include <netinet/in.h>
#include <netinet/tcp.h>
#endif

NetworkLine::NetworkLine(QString device, Endpoint endpoint, QObject *parent)
    : CommLine(parent), m_device(std::move(device)), m_endpoint(std::move(endpoint))
{
    m_clock.start();
    makeSocket();
}

NetworkLine::~NetworkLine()
{
    m_socket->disconnect(this);
    m_socket->abort();
    if (m_ending) {
        m_ending->disconnect(this);
        m_ending->abort();
    }
}

void NetworkLine::makeSocket()
{
    m_socket = new QTcpSocket(this);
    m_socket->setReadBufferSize(kHeldBytes);
    connect(m_socket, &QTcpSocket::connected, this, &NetworkLine::onConnected);
    connect(m_socket, &QTcpSocket::readyRead, this, &NetworkLine::onReadyRead);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &NetworkLine::onSocketError);
    connect(m_socket, &QTcpSocket::disconnected, this, &NetworkLine::onDisconnected);
}

QString NetworkLine::where() const
{
    return QStringLiteral("host %1 port %2").arg(m_endpoint.host).arg(m_endpoint.port);
}

QString NetworkLine::reason(QAbstractSocket::SocketError error) const
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("the connection was refused");
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("unknown host");
    case QAbstractSocket::NetworkError:
        return QStringLiteral("no route to the host (%1)").arg(m_socket->errorString());
    case QAbstractSocket::SocketTimeoutError:
        return QStringLiteral("timed out");
    case QAbstractSocket::RemoteHostClosedError:
        return QStringLiteral("the server closed the connection");
    default:
        return m_socket->errorString();
    }
}

bool NetworkLine::open(const SerialSettings &settings)
{
    close();
    m_error.clear();
    m_settings = settings;
    m_telnet = TelnetCodec();
    m_wireFreeUs = 0;
    m_stormSecondMs = m_clock.elapsed();
    m_stormStart = 0;
    m_warnedBaud.reset();
    m_firstBytes.clear();
    m_queued.clear();
    m_received.clear();
    m_state = State::Connecting;
    if (!m_openBound) {
        m_openBound = new QTimer(this);
        m_openBound->setSingleShot(true);
        // Never early: a coarse timer may end the bound 5% before its time.
        m_openBound->setTimerType(Qt::PreciseTimer);
        connect(m_openBound, &QTimer::timeout, this, [this] {
            const int seconds = kConnectBoundMs / 1000;
            finishOpening(m_state == State::Connecting
                              ? QStringLiteral("timed out: no answer within %1 s").arg(seconds)
                              : QStringLiteral("timed out: the server did not agree to serial "
                                               "port control (RFC 2217) within %1 s")
                                    .arg(seconds));
        });
    }
    m_openBound->start(kConnectBoundMs);
    // A server that serves one connection at a time is free again only once
    // it has ended the previous one.
    m_awaitingEnd = m_ending != nullptr;
    // A connection that fails at once (no route) fails the opening itself.
    m_inOpen = true;
    if (!m_awaitingEnd)
        connectNow();
    m_inOpen = false;
    return m_state != State::Closed;
}

void NetworkLine::connectNow()
{
    m_awaitingEnd = false;
    if (m_state == State::Connecting)
        m_socket->connectToHost(m_endpoint.host, m_endpoint.port);
}

void NetworkLine::finishOpening(const QString &failure)
{
    if (!isOpening())
        return;
    m_openBound->stop();
    if (!failure.isEmpty()) {
        m_state = State::Closed;
        m_error = QStringLiteral("cannot connect to %1: %2").arg(where(), failure);
        m_socket->abort();
        m_queued.clear();
        if (!m_inOpen)
            emit openFailed(m_error);
        return;
    }
    m_state = State::Open;
    if (!m_queued.isEmpty())
        write(std::exchange(m_queued, {}));
    emit opened();
}

void NetworkLine::onConnected()
{
    m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    m_socket->setSocketOption(QAbstractSocket::KeepAliveOption, 1);
#ifdef Q_OS_LINUX
    // A network that goes away silently is noticed within half a minute.
    const int fd = int(m_socket->socketDescriptor());
    const int idle = 10, interval = 5, count = 3, unackedMs = 20000;
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPIDLE, &idle, sizeof idle);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPINTVL, &interval, sizeof interval);
    ::setsockopt(fd, IPPROTO_TCP, TCP_KEEPCNT, &count, sizeof count);
    ::setsockopt(fd, IPPROTO_TCP, TCP_USER_TIMEOUT, &unackedMs, sizeof unackedMs);
#endif
    m_openedMs = m_clock.elapsed();
    if (m_endpoint.protocol == Protocol::Raw) {
        finishOpening({});
        return;
    }
    m_state = State::Negotiating;
    send(m_telnet.start());
}

void NetworkLine::onReadyRead()
{
    // While what was received is not taken, the rest stays with the socket,
    // whose buffer is bounded: a server streaming without pause is held back
    // by TCP itself.
    if (m_state == State::Open && m_received.size() >= kHeldBytes)
        return;
    QByteArray bytes = m_socket->read(kHeldBytes);
    if (m_endpoint.protocol == Protocol::Rfc2217) {
        bytes = m_telnet.receive(bytes);
        if (storming())
            return;
        if (const QByteArray replies = m_telnet.takeReplies(); !replies.isEmpty())
            send(replies);
        if (m_state == State::Negotiating) {
            if (m_telnet.comPort() == TelnetCodec::ComPort::Agreed) {
                send(TelnetCodec::settingsRequest(m_settings));
                finishOpening({});
            } else if (m_telnet.comPort() == TelnetCodec::ComPort::Refused) {
                finishOpening(QStringLiteral("the server does not offer serial port control "
                                             "(RFC 2217); use tcp:// for a raw port"));
            }
            return;
        }
        checkServerSpeed();
    }
    if (m_firstBytes.size() < 256)
        m_firstBytes += bytes.left(256 - m_firstBytes.size());
    // Bytes from before the opening are discarded, as on a local port.
    if (m_state != State::Open || bytes.isEmpty())
        return;
    m_received += bytes;
    emit readyRead();
}

bool NetworkLine::storming()
{
    const qint64 now = m_clock.elapsed();
    if (now - m_stormSecondMs >= 1000) {
        m_stormSecondMs = now;
        m_stormStart = m_telnet.negotiationsReceived();
        return false;
    }
    if (m_telnet.negotiationsReceived() - m_stormStart <= quint64(kNegotiationsPerSecond))
        return false;
    const QString why = QStringLiteral("the server sent more than %1 Telnet negotiations in a "
                                       "second, without end")
                            .arg(kNegotiationsPerSecond);
    if (m_state == State::Open)
        drop(why);
    else
        finishOpening(why);
    return true;
}

void NetworkLine::onSocketError(QAbstractSocket::SocketError error)
{
    if (m_state == State::Open)
        drop(reason(error));
    else
        finishOpening(reason(error));
}

void NetworkLine::onDisconnected()
{
    onSocketError(QAbstractSocket::RemoteHostClosedError);
}

void NetworkLine::checkServerSpeed()
{
    const std::optional<quint32> applied = m_telnet.serverPort().baudRate;
    if (!applied || *applied == quint32(m_settings.baudRate) || applied == m_warnedBaud)
        return;
    m_warnedBaud = applied;
    emit warning(QStringLiteral("the server at %1 applied %2 baud on its port instead of the %3 "
                                "baud asked for")
                     .arg(where())
                     .arg(*applied)
                     .arg(m_settings.baudRate));
}

// What a server wrote as it ended a connection it had only just made,
// when that is text.
QString NetworkLine::serverText() const
{
    if (m_firstBytes.isEmpty() || m_clock.elapsed() - m_openedMs > 3000)
        return {};
    const QString text = QString::fromLatin1(m_firstBytes).simplified();
    const bool printable = std::all_of(
        text.begin(), text.end(), [](QChar c) { return c.unicode() >= 32 && c.unicode() < 127; });
    return printable && text.size() >= 4 ? text : QString();
}

void NetworkLine::drop(const QString &why)
{
    m_state = State::Closed;
    m_socket->abort();
    m_error = QStringLiteral("the connection to %1 ended: %2").arg(where(), why);
    if (const QString said = serverText(); !said.isEmpty())
        m_error += QStringLiteral("; the server said \"%1\"").arg(said);
    emit lost(m_error);
}

void NetworkLine::close()
{
    if (m_openBound)
        m_openBound->stop();
    m_queued.clear();
    m_awaitingEnd = false;
    if (m_state == State::Closed)
        return;
    m_state = State::Closed;
    endConnection();
}

// Our side is closed at once and the socket is kept until the server closes
// its side too (or the bound runs out), without waiting here.
void NetworkLine::endConnection()
{
    QTcpSocket *ended = m_socket;
    ended->disconnect(this);
    makeSocket();
    if (m_ending)
        m_ending->abort();
    if (ended->state() != QAbstractSocket::ConnectedState) {
        ended->abort();
        ended->deleteLater();
        return;
    }
    ended->flush();
#ifdef Q_OS_UNIX
    ::shutdown(int(ended->socketDescriptor()), SHUT_WR);
#endif
    m_ending = ended;
    const auto over = [this, ended] {
        if (m_ending == ended)
            m_ending = nullptr;
        ended->abort();
        ended->deleteLater();
        if (m_awaitingEnd)
            connectNow();
    };
    connect(ended, &QTcpSocket::readyRead, ended, [ended] { ended->readAll(); });
    connect(ended, &QTcpSocket::disconnected, this, over);
    connect(ended, &QTcpSocket::errorOccurred, this, over);
    QTimer::singleShot(kEndBoundMs, ended, over);
}

bool NetworkLine::applySettings(const SerialSettings &settings)
{
    if (isOpening()) {
        m_settings = settings; // asked for once the server agrees
        return true;
    }
    if (m_state != State::Open) {
        m_error = QStringLiteral("the port is not open");
        return false;
    }
    m_settings = settings;
    // With a raw stream the server's own configuration sets its port.
    if (m_endpoint.protocol == Protocol::Rfc2217)
        return send(TelnetCodec::settingsRequest(settings));
    return true;
}

bool NetworkLine::write(const QByteArray &bytes)
{
    if (isOpening()) {
        m_queued += bytes;
        return true;
    }
    if (m_state != State::Open) {
        m_error = QStringLiteral("the port is not open");
        return false;
    }
    if (!send(m_endpoint.protocol == Protocol::Rfc2217 ? m_telnet.encodeData(bytes) : bytes))
        return false;
    // Only the data crosses the far serial wire; Telnet's own bytes do not.
    m_wireFreeUs
        = std::max(m_wireFreeUs, nowUs()) + bytes.size() * m_settings.characterMicroseconds();
    return true;
}

bool NetworkLine::send(const QByteArray &bytes)
{
    if (m_socket->write(bytes) != bytes.size()) {
        m_error = m_socket->errorString();
        return false;
    }
    m_socket->flush();
    return m_state != State::Closed;
}

QByteArray NetworkLine::readAll()
{
    if (m_socket->bytesAvailable() > 0)
        QMetaObject::invokeMethod(this, &NetworkLine::onReadyRead, Qt::QueuedConnection);
    return std::exchange(m_received, {});
}

qint64 NetworkLine::bytesWaiting() const
{
    if (m_state != State::Open)
        return 0;
    const double leftUs = m_wireFreeUs - nowUs();
    const qint64 onWire
        = leftUs > 0 ? qint64(std::ceil(leftUs / m_settings.characterMicroseconds())) : 0;
    // The data still in the socket is on its way to the wire and counted there.
    return std::max(m_socket->bytesToWrite(), onWire);
}
