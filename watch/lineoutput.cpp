// SPDX-License-Identifier: GPL-3.0-or-later
#include "lineoutput.h"

#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace watch {

LineOutput::LineOutput(int fd, QObject *parent) : QObject(parent), m_fd(fd)
{
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
    m_notifier = new QSocketNotifier(m_fd, QSocketNotifier::Write, this);
    m_notifier->setEnabled(false);
    connect(m_notifier, &QSocketNotifier::activated, this, &LineOutput::flush);
}

LineOutput::~LineOutput() = default;

void LineOutput::write(const QByteArray &line)
{
    if (m_failed)
        return;
    m_lines.push_back(line);
    m_waitingBytes += line.size();
    // The first line may be half written: it stays, so that no line is torn.
    const std::size_t keep = m_offset > 0 ? 1 : 0;
    bool dropped = false;
    while (m_waitingBytes > kBacklogLimit && m_lines.size() > keep + 1) {
        const auto oldest = m_lines.begin() + qsizetype(keep);
        m_waitingBytes -= oldest->size();
        m_lines.erase(oldest);
        ++m_dropped;
        dropped = true;
    }
    if (dropped && !m_behind) {
        m_behind = true;
        emit fellBehind(m_dropped);
    }
    flush();
}

void LineOutput::flush()
{
    while (!m_lines.empty()) {
        const QByteArray &first = m_lines.front();
        const ssize_t written
            = ::write(m_fd, first.constData() + m_offset, size_t(first.size() - m_offset));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                break;
            const QString error = QString::fromLocal8Bit(std::strerror(errno));
            m_lines.clear();
            m_offset = m_waitingBytes = 0;
            m_notifier->setEnabled(false);
            m_failed = true;
            emit failed(error);
            return;
        }
        m_offset += written;
        m_waitingBytes -= written;
        if (m_offset < first.size())
            break;
        m_lines.pop_front();
        m_offset = 0;
    }
    if (m_lines.empty())
        m_behind = false;
    m_notifier->setEnabled(!m_lines.empty());
}

} // namespace watch
