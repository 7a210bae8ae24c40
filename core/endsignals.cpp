// SPDX-License-Identifier: GPL-3.0-or-later
#include "endsignals.h"

#include <QSocketNotifier>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

int g_pipe[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP, SIGPIPE};

// Async-signal-safe: one write, errno kept for the code it interrupted.
void onSignal(int signal)
{
    const int saved = errno;
    const char byte = char(signal);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

void handle(bool withPipe, void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int signal : kSignals) {
        if (signal != SIGPIPE || withPipe)
            ::sigaction(signal, &action, nullptr);
    }
}

} // namespace
#endif

EndSignals::EndSignals(std::function<void(int)> end, bool withPipe, QObject *parent)
    : QObject(parent), m_end(std::move(end))
{
#ifdef Q_OS_UNIX
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        qWarning("Ending on signals is not available: no pipe");
        return;
    }
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &EndSignals::drain);
    handle(withPipe, onSignal);
#else
    Q_UNUSED(withPipe);
#endif
}

EndSignals::~EndSignals()
{
#ifdef Q_OS_UNIX
    if (!m_notifier)
        return;
    handle(true, SIG_DFL);
    delete m_notifier;
    ::close(g_pipe[0]);
    ::close(g_pipe[1]);
    g_pipe[0] = g_pipe[1] = -1;
#endif
}

QString EndSignals::name(int signal)
{
#ifdef Q_OS_UNIX
    switch (signal) {
    case SIGTERM:
        return QStringLiteral("SIGTERM");
    case SIGINT:
        return QStringLiteral("SIGINT");
    case SIGHUP:
        return QStringLiteral("SIGHUP");
    case SIGPIPE:
        return QStringLiteral("SIGPIPE");
    }
#endif
    return QStringLiteral("signal %1").arg(signal);
}

void EndSignals::drain()
{
    char signal = 0;
#ifdef Q_OS_UNIX
    char bytes[16];
    for (ssize_t got; (got = ::read(g_pipe[0], bytes, sizeof bytes)) > 0;) {
        if (!signal)
            signal = bytes[0];
    }
#endif
    // A second signal while ending finds the program already on its way out.
    if (m_received || !signal)
        return;
    m_received = signal;
    m_end(signal);
}
