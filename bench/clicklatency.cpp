// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "link/lineforms.h"
#include "stats.h"
#include "support.h"
#include "tests/support/ser2net.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMouseEvent>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>

#include <dlfcn.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/uio.h>

// The time from a click on "STATUS" in the real window to its command text at
// the far end of the line: a pseudo-terminal opened directly, and the same
// behind Debian's ser2net on the loopback, raw and with RFC 2217. Each click
// is split where the command's carriage return is handed to the kernel: the
// C library's write and send calls of this process are wrapped below, so the
// first of them to carry a CR after the click marks the end of our share; the
// rest is the pseudo-terminal's, or ser2net's and the loopback's.

namespace {

constexpr int kClicks = 300;

// When the first write carrying a CR returned since the last click, on the
// wall clock and on the CPU clock of the thread; < 0 none.
double g_handedOverMs = -1;
double g_handedOverCpuMs = -1;
long g_handedOverSwitches = -1;

// Time this thread has run: a wall time far above it was spent waiting for the
// CPU, which another process on a loaded machine had.
double threadCpuMs()
{
    timespec t{};
    ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

// Times the kernel took the CPU from this thread for another.
long involuntarySwitches()
{
    rusage usage{};
    ::getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_nivcsw;
}

void noteWritten(const void *bytes, ssize_t written)
{
    if (g_handedOverMs < 0 && written > 0 && std::memchr(bytes, '\r', size_t(written))) {
        g_handedOverMs = monotonicMs();
        g_handedOverCpuMs = threadCpuMs();
        g_handedOverSwitches = involuntarySwitches();
    }
}

template<typename F>
F next(const char *name)
{
    return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" {

ssize_t write(int fd, const void *bytes, size_t n)
{
    static const auto real = next<ssize_t (*)(int, const void *, size_t)>("write");
    const ssize_t written = real(fd, bytes, n);
    noteWritten(bytes, written);
    return written;
}

ssize_t send(int fd, const void *bytes, size_t n, int flags)
{
    static const auto real = next<ssize_t (*)(int, const void *, size_t, int)>("send");
    const ssize_t written = real(fd, bytes, n, flags);
    noteWritten(bytes, written);
    return written;
}

ssize_t sendto(int fd, const void *bytes, size_t n, int flags, const sockaddr *to, socklen_t len)
{
    static const auto real
        = next<ssize_t (*)(int, const void *, size_t, int, const sockaddr *, socklen_t)>("sendto");
    const ssize_t written = real(fd, bytes, n, flags, to, len);
    noteWritten(bytes, written);
    return written;
}

ssize_t sendmsg(int fd, const msghdr *message, int flags)
{
    static const auto real = next<ssize_t (*)(int, const msghdr *, int)>("sendmsg");
    const ssize_t written = real(fd, message, flags);
    for (size_t i = 0; written > 0 && i < message->msg_iovlen; ++i)
        noteWritten(message->msg_iov[i].iov_base, ssize_t(message->msg_iov[i].iov_len));
    return written;
}

ssize_t writev(int fd, const iovec *parts, int count)
{
    static const auto real = next<ssize_t (*)(int, const iovec *, int)>("writev");
    const ssize_t written = real(fd, parts, count);
    for (int i = 0; written > 0 && i < count; ++i)
        noteWritten(parts[i].iov_base, ssize_t(parts[i].iov_len));
    return written;
}

} // extern "C"

namespace {

struct Split
{
    QList<double> ours, oursOnCpu, oursUninterrupted, line, whole;
};

void printRow(const char *label, const char *part, const QList<double> &values, int lost)
{
    std::printf("%-28s %-6s %6lld %10.1f %10.1f %10.1f %6d\n", label, part,
                qlonglong(values.size()), quantile(values, 0.5), quantile(values, 0.99),
                worst(values), lost);
}

// Clicks "STATUS" kClicks times on a window whose port 1 is `device`; prints
// one row.
bool measure(const char *label, const QString &device, FarEnd &far)
{
    MainWindow window([device](int port) -> std::unique_ptr<CommLine> {
        return port == 1 ? makeDeviceLine(device) : nullptr;
    });
    bool refused = false;
    window.setWarningBox([&refused](const QString &text) {
        std::fprintf(stderr, "bench-clicklatency: %s\n", qPrintable(text));
        refused = true;
    });
    window.Form_Load();
    window.show();
    waitMs(300);
    if (refused || !window.console().port().portOpen())
        return false;

    QWidget *status = window.control(QStringLiteral("Command44"));
    Split split;
    int lost = 0;
    for (int i = 0; i < kClicks; ++i) {
        far.take();
        g_handedOverMs = -1;
        const long switchesBefore = involuntarySwitches();
        const double clickedAtCpu = threadCpuMs();
        const double clickedAt = monotonicMs();
        mouse(status, QEvent::MouseButtonPress);
        mouse(status, QEvent::MouseButtonRelease);
        const double arrived = far.awaitCommand(1000);
        if (arrived < 0 || g_handedOverMs < 0) {
            ++lost;
        } else {
            split.ours << (g_handedOverMs - clickedAt) * 1e3;
            split.oursOnCpu << (g_handedOverCpuMs - clickedAtCpu) * 1e3;
            if (g_handedOverSwitches == switchesBefore)
                split.oursUninterrupted << split.ours.last();
            split.line << (arrived - g_handedOverMs) * 1e3;
            split.whole << (arrived - clickedAt) * 1e3;
        }
        waitMs(5 + i % 7);
    }
    printRow(label, "ours", split.ours, lost);
    printRow("", "on CPU", split.oursOnCpu, lost);
    printRow("", "kept", split.oursUninterrupted, lost);
    printRow("", "line", split.line, lost);
    printRow("", "whole", split.whole, lost);
    std::fflush(stdout);
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    FarEnd direct, raw, telnet;
    if (!direct.open() || !raw.open() || !telnet.open()) {
        std::fprintf(stderr, "bench-clicklatency: no pseudo-terminal\n");
        return 1;
    }
    Ser2net rawServer(Ser2net::Mode::Raw, raw.slavePath());
    Ser2net telnetServer(Ser2net::Mode::Rfc2217, telnet.slavePath());
    if (!rawServer.start() || !telnetServer.start()) {
        std::fprintf(stderr, "bench-clicklatency: ser2net: %s%s\n",
                     qPrintable(rawServer.errorString()), qPrintable(telnetServer.errorString()));
        return 1;
    }

    double load[3] = {};
    getloadavg(load, 3);
    std::printf("From a click on STATUS in the window to \"CR0\" CR at the far end of the line,\n"
                "%d clicks each, 19200,N,8,1; ser2net on 127.0.0.1; load average %.2f %.2f %.2f.\n"
                "ours: click to the write call returning (on CPU: of that, the time this\n"
                "thread ran; kept: the clicks during which the kernel never gave its CPU\n"
                "to another thread); line: from the write to the far end.\n"
                "Times in microseconds.\n\n",
                kClicks, load[0], load[1], load[2]);
    std::printf("%-28s %-6s %6s %10s %10s %10s %6s\n", "line", "share", "clicks", "median", "p99",
                "worst", "lost");
    const bool ok = measure("pseudo-terminal, direct", direct.slavePath(), direct)
                    && measure("tcp:// through ser2net", rawServer.url(), raw)
                    && measure("rfc2217:// through ser2net", telnetServer.url(), telnet);
    return ok ? 0 : 1;
}
