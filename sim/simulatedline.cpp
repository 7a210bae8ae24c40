#include "simulatedline.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

int millisecondsUntil(qint64 dueUs, qint64 nowUs)
{
    return int(std::max<qint64>(0, (dueUs - nowUs + 999) / 1000));
}

} // namespace

SimulatedLine::SimulatedLine(QObject *parent) : CommLine(parent)
{
    m_clock.start();
    for (QTimer *timer : {&m_sentTimer, &m_arrivingTimer}) {
        timer->setSingleShot(true);
        timer->setTimerType(Qt::PreciseTimer);
    }
    connect(&m_sentTimer, &QTimer::timeout, this, &SimulatedLine::deliverSent);
    connect(&m_arrivingTimer, &QTimer::timeout, this, &SimulatedLine::deliverArriving);
    connect(&m_host, &sim::ProjectorHost::replyReady, this,
            [this](const QByteArray &bytes) { carryReply(bytes); });
}

QString SimulatedLine::deviceName() const
{
    return QStringLiteral("simulated projector line");
}

bool SimulatedLine::open(const SerialSettings &settings)
{
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
    double at = std::max(double(nowUs()), m_txFreeUs);
    for (const char byte : bytes) {
        at += characterUs();
        m_sent.append({byte, qint64(std::ceil(at))});
    }
    m_txFreeUs = at;
    scheduleSent();
    return true;
}

QByteArray SimulatedLine::readAll()
{
    return std::exchange(m_received, {});
}

qint64 SimulatedLine::bytesWaiting() const
{
    const qint64 now = nowUs();
    return std::count_if(m_sent.cbegin(), m_sent.cend(),
                         [now](const Sent &sent) { return sent.arrivalUs > now; });
}

double SimulatedLine::characterUs() const
{
    return std::max(1.0, m_settings.characterMicroseconds());
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
    m_sentTimer.start(millisecondsUntil(due, nowUs()));
}

void SimulatedLine::carryReply(const QByteArray &bytes)
{
    if (!m_open || bytes.isEmpty())
        return;
    const double start = std::max(double(nowUs()), m_rxFreeUs);
    const qsizetype split = m_splitReplies && bytes.size() > 1 ? bytes.size() / 2 : bytes.size();
    const double firstDone = start + split * characterUs();
    m_arriving.append({qint64(std::ceil(firstDone)), bytes.left(split)});
    m_rxFreeUs = start + bytes.size() * characterUs();
    if (split < bytes.size())
        m_arriving.append({qint64(std::ceil(m_rxFreeUs)), bytes.mid(split)});
    scheduleArriving();
}

// One piece per event, so a split reply raises readyRead twice.
void SimulatedLine::deliverArriving()
{
    if (!m_arriving.isEmpty() && m_arriving.first().dueUs <= nowUs()) {
        m_received.append(m_arriving.takeFirst().bytes);
        scheduleArriving();
        emit readyRead();
        return;
    }
    scheduleArriving();
}

void SimulatedLine::scheduleArriving()
{
    if (m_arriving.isEmpty()) {
        m_arrivingTimer.stop();
        return;
    }
    m_arrivingTimer.start(millisecondsUntil(m_arriving.first().dueUs, nowUs()));
}

void SimulatedLine::discardTraffic()
{
    m_host.cancelReplies();
    m_sent.clear();
    m_arriving.clear();
    m_received.clear();
    m_sentTimer.stop();
    m_arrivingTimer.stop();
    m_txFreeUs = 0;
    m_rxFreeUs = 0;
}
