// SPDX-License-Identifier: GPL-3.0-or-later
#include "changeinput.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include <utility>

namespace sim {

ChangeInput::ChangeInput(int fd, ProjectorHost &host, QObject *parent)
    : QObject(parent), m_fd(fd), m_host(host)
{
    if (::fcntl(m_fd, F_GETFD) < 0)
        return; // no input at all
    ::fcntl(m_fd, F_SETFL, ::fcntl(m_fd, F_GETFL) | O_NONBLOCK);
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &ChangeInput::readInput);
}

void ChangeInput::readInput()
{
    char buffer[512];
    for (;;) {
        const ssize_t n = ::read(m_fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        if (n <= 0) {
            // End of input or a dead descriptor: the projectors keep running.
            if (!m_partial.isEmpty())
                takeLine(std::exchange(m_partial, {}));
            m_notifier->setEnabled(false);
            return;
        }
        for (ssize_t i = 0; i < n; ++i) {
            if (buffer[i] == '\n') {
                takeLine(std::exchange(m_partial, {}));
            } else if (m_partial.size() < MaxLineLength) {
                m_partial.append(buffer[i]);
            }
        }
    }
}

void ChangeInput::takeLine(const QByteArray &line)
{
    const QString text = QString::fromUtf8(line);
    const ParsedChange parsed = parseChange(text);
    if (!parsed.error.isEmpty()) {
        emit refused(text.trimmed(), parsed.error);
        return;
    }
    if (parsed.change.kind == StateChange::Kind::Help) {
        emit helpAsked(changeHelp());
        return;
    }
    if (parsed.change.kind == StateChange::Kind::None)
        return;
    applyChange(m_host.model(), parsed.change, m_host.nowMs());
    emit applied(parsed.change);
}

} // namespace sim
