// SPDX-License-Identifier: GPL-3.0-or-later
#include "simulatedline.h"

#include "statechanges.h"
#include "uart.h"

#include <QFile>

#include <algorithm>
#include <cmath>
#include <utility>

SimulatedLine::SimulatedLine(QObject *parent) : CommLine(parent)
{
    m_clock.start();
    m_sentTimer.setSingleShot(true);
    m_sentTimer.setTimerType(Qt::PreciseTimer);
    connect(&m_sentTimer, &QTimer::timeout, this, &SimulatedLine::deliverSent);
    connect(&m_host, &sim::ProjectorHost::replyReady, this, [this](const QByteArray &bytes) {
        if (m_open)
            m_replies.carry(bytes, model().baudRate(), m_settings.baudRate);
    });
    connect(&m_replies, &sim::ReplyCarrier::arrived, this, [this](const QByteArray &piece) {
        m_received.append(piece);
        emit readyRead();
    });
}

QString SimulatedLine::deviceName() const
{
    return QStringLiteral("simulated projector line");
}

bool SimulatedLine::open(const SerialSettings &settings)
{
    if (!m_refusal.isEmpty()) {
        m_error = m_refusal;
        return false;
    }
    if (m_open) {
        m_error = QStringLiteral("port is already open");
        return false;
    }
    discardTraffic();
    m_settings = settings;
    m_open = true;
    m_error.clear();
    return true;
}

void SimulatedLine::close()
{
    m_open = false;
    discardTraffic();
}

bool SimulatedLine::applySettings(const SerialSettings &settings)
{
    if (!m_open) {
        m_error = QStringLiteral("port is not open");
        return false;
    }
    m_settings = settings;
    return true;
}

bool SimulatedLine::write(const QByteArray &bytes)
{
    if (!m_open) {
        m_error = QStringLiteral("port is not open");
        return false;
    }
    const double start = std::max(double(nowUs()), m_txFreeUs);
    for (const sim::Received &arrived :
         sim::crossLine(bytes, m_settings.baudRate, model().baudRate()))
        m_sent.append({arrived.byte, qint64(std::ceil(start + arrived.doneUs))});
    m_txFreeUs = start + bytes.size() * characterUs();
    scheduleSent();
    return true;
}

QByteArray SimulatedLine::readAll()
{
    return std::exchange(m_received, {});
}

// The bytes still to go are those after the one on the wire now, back to back.
qint64 SimulatedLine::bytesWaiting() const
{
    const double left = m_txFreeUs - double(nowUs());
    return left > 0 ? qint64(std::ceil(left / characterUs())) : 0;
}

double SimulatedLine::characterUs() const
{
    return std::max(1.0, m_settings.characterMicroseconds());
}

QString SimulatedLine::applyChanges(const QString &lines)
{
    return sim::applyChanges(model(), lines, m_host.nowMs());
}

void SimulatedLine::deliverSent()
{
    const qint64 now = nowUs();
    QByteArray arrived;
    while (!m_sent.isEmpty() && m_sent.first().arrivalUs <= now)
        arrived.append(m_sent.takeFirst().byte);
    if (!arrived.isEmpty())
        m_host.receive(arrived);
    scheduleSent();
}

// Wakes up when the next command is complete (its carriage return has arrived),
// or when the last byte has, so the projectors see each command on time.
void SimulatedLine::scheduleSent()
{
    if (m_sent.isEmpty()) {
        m_sentTimer.stop();
        return;
    }
    const auto cr = std::find_if(m_sent.cbegin(), m_sent.cend(),
                                 [](const Sent &sent) { return sent.byte == '\r'; });
    const qint64 due = cr != m_sent.cend() ? cr->arrivalUs : m_sent.last().arrivalUs;
    m_sentTimer.start(sim::millisecondsUntil(due, nowUs()));
}

void SimulatedLine::discardTraffic()
{
    m_host.cancelReplies();
    m_replies.clear();
    m_sent.clear();
    m_received.clear();
    m_sentTimer.stop();
    m_txFreeUs = 0;
}

std::unique_ptr<CommLine> makeSimulatedLine(const QString &device)
{
    if (device == u"sim")
        return std::make_unique<SimulatedLine>();
    if (!device.startsWith(u"sim:"))
        return nullptr;
    auto line = std::make_unique<SimulatedLine>();
    const QString path = device.mid(4);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        line->refuseOpening(QStringLiteral("%1: %2").arg(path, file.errorString()));
        return line;
    }
    const QString error = line->applyChanges(QString::fromUtf8(file.readAll()));
    if (!error.isEmpty())
        line->refuseOpening(QStringLiteral("%1: %2").arg(path, error));
    return line;
}
