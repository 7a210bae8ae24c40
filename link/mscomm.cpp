// SPDX-License-Identifier: GPL-3.0-or-later
#include "mscomm.h"

#include <utility>

MSComm::MSComm(LineFactory factory, QObject *parent)
    : QObject(parent), m_factory(std::move(factory))
{
    m_settings = *parseSettings(m_settingsText).settings;
    m_receivePace.setSingleShot(true);
    connect(&m_receivePace, &QTimer::timeout, this, &MSComm::raiseReceive);
}

MSComm::~MSComm()
{
    for (auto &[port, line] : m_lines)
        line->close();
}

CommLine *MSComm::line() const
{
    const auto it = m_lines.find(m_commPort);
    return it == m_lines.end() ? nullptr : it->second.get();
}

QString MSComm::portLabel() const
{
    const CommLine *current = line();
    const QString device = current ? current->deviceName() : QStringLiteral("no device");
    return QStringLiteral("Port %1 (%2)").arg(m_commPort).arg(device);
}

bool MSComm::fail(const QString &reason)
{
    m_error = QStringLiteral("%1: %2.").arg(portLabel(), reason);
    return false;
}

bool MSComm::setCommPort(qint16 port)
{
    if (portOpen() || portOpening())
        return fail(QStringLiteral("the port number cannot change while the port is open"));
    m_commPort = port;
    return true;
}

bool MSComm::setSettings(const QString &text)
{
    const ParsedSettings parsed = parseSettings(text);
    if (!parsed.settings) {
        m_error = parsed.error;
        return false;
    }
    if ((portOpen() || portOpening()) && !line()->applySettings(*parsed.settings)) {
        const QString reason = line()->errorString();
        line()->applySettings(m_settings);
        return fail(reason);
    }
    m_settings = *parsed.settings;
    m_settingsText = text;
    return true;
}

bool MSComm::portOpen() const
{
    const CommLine *current = line();
    return current && current->isOpen();
}

bool MSComm::portOpening() const
{
    const CommLine *current = line();
    return current && current->isOpening();
}

bool MSComm::setPortOpen(bool open)
{
    if (!open) {
        if (CommLine *current = line())
            current->close();
        return true;
    }
    if (portOpen() || portOpening())
        return fail(QStringLiteral("the port is already open"));

    if (!line()) {
        std::unique_ptr<CommLine> made = m_factory ? m_factory(m_commPort) : nullptr;
        if (!made)
            return fail(QStringLiteral("no device is configured for this port"));
        CommLine *raw = made.get();
        // Arrivals reach the window as events of their own, never inside the
        // handler that is writing.
        connect(
            raw, &CommLine::readyRead, this, [this, raw] { collectInput(raw); },
            Qt::QueuedConnection);
        connect(raw, &CommLine::lost, this, [this, raw](const QString &reason) {
            if (raw == line())
                onLineLost(reason);
        });
        connect(raw, &CommLine::warning, this, [this, raw](const QString &reason) {
            if (raw == line())
                emit lineWarning(QStringLiteral("%1: %2.").arg(portLabel(), reason));
        });
        connect(raw, &CommLine::opened, this, [this, raw] {
            if (raw == line())
                emit portOpened();
        });
        connect(raw, &CommLine::openFailed, this, [this, raw](const QString &reason) {
            if (raw != line())
                return;
            fail(QStringLiteral("could not be opened: %1").arg(reason));
            emit openFailed(m_error);
        });
        m_lines[m_commPort] = std::move(made);
    }
    m_inBuffer.clear();
    m_inputLost = false;
    m_receivePace.stop();
    if (!line()->open(m_settings))
        return fail(QStringLiteral("could not be opened: %1").arg(line()->errorString()));
    return true;
}

bool MSComm::setOutput(const QString &text)
{
    if (!portOpen() && !portOpening())
        return fail(QStringLiteral("the port is not open, so the command was not sent"));
    // The line is ASCII: any other character goes out as "?", as its trace shows it.
    QByteArray bytes = text.toLatin1();
    for (char &byte : bytes) {
        if (quint8(byte) > 127)
            byte = '?';
    }
    if (!line()->write(bytes))
        return fail(QStringLiteral("the command was not sent: %1").arg(line()->errorString()));
    return true;
}

QString MSComm::input()
{
    // One character per byte: 0..127 as ASCII, every other byte as one
    // character outside that range.
    const QString text = QString::fromLatin1(m_inBuffer);
    m_inBuffer.clear();
    return text;
}

qint64 MSComm::outBufferCount() const
{
    return portOpen() ? line()->bytesWaiting() : 0;
}

// Replies are told at once, also in pieces; only a stream of more characters
// than any reply has is gathered into one event per redraw of the screen.
void MSComm::collectInput(CommLine *from)
{
    // A stream is read at the pace of the screen: until then it waits in the
    // line, whose buffer is bounded. Only the latest characters can be shown.
    if (from != line() || !from->isOpen() || m_receivePace.isActive())
        return;
    takeInput();
    if (m_inBuffer.isEmpty())
        return;
    const qint64 since = m_lastReceive.isValid() ? m_lastReceive.elapsed() : kReceivePaceMs;
    const bool streaming
        = m_lastReceiveSize >= kStreamingBytes || m_inBuffer.size() >= kStreamingBytes;
    if (streaming && since < kReceivePaceMs)
        m_receivePace.start(int(kReceivePaceMs - since));
    else
        announceInput();
}

void MSComm::raisePendingReceive()
{
    if (!m_receivePace.isActive())
        return;
    m_receivePace.stop();
    raiseReceive();
}

void MSComm::raiseReceive()
{
    if (!portOpen())
        return;
    takeInput();
    if (!m_inBuffer.isEmpty())
        announceInput();
}

void MSComm::takeInput()
{
    m_inBuffer += line()->readAll();
    if (m_inBuffer.size() > kInputKept) {
        m_inBuffer.remove(0, m_inBuffer.size() - kInputKept);
        m_inputLost = true;
    }
}

void MSComm::announceInput()
{
    m_lastReceive.start();
    m_lastReceiveSize = m_inBuffer.size();
    // What comes next does not follow on from what came before.
    if (std::exchange(m_inputLost, false)) {
        m_commEvent = comEventRxOver;
        emit onComm();
        if (!portOpen())
            return;
    }
    m_commEvent = comEvReceive;
    emit onComm();
}

void MSComm::onLineLost(const QString &reason)
{
    m_commEvent = comEventLineLost;
    m_error = QStringLiteral("%1 was closed: the device went away (%2). %3")
                  .arg(portLabel(), reason, m_lostAdvice);
    emit onComm();
    emit lineLost(m_error);
}
