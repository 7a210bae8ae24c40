#include "app/mainwindow.h"
#include "link/lineforms.h"
#include "support.h"
#include "tests/support/ser2net.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMouseEvent>
#include <QTimer>
#include <algorithm>
#include <cstdio>

// The time from a click on "STATUS" in the real window to its command text at
// the far end of the line: a pseudo-terminal opened directly, and the same
// behind Debian's ser2net on the loopback, raw and with RFC 2217.

namespace {

constexpr int kClicks = 300;

double quantile(QList<double> values, double q)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const double at = q * double(values.size() - 1);
    const qsizetype low = qsizetype(at);
    const qsizetype high = std::min(low + 1, values.size() - 1);
    return values.at(low) + (at - double(low)) * (values.at(high) - values.at(low));
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
    if (refused || !window.comm().portOpen())
        return false;

    QWidget *status = window.control(QStringLiteral("Command44"));
    QList<double> latencies;
    int lost = 0;
    for (int i = 0; i < kClicks; ++i) {
        far.take();
        const double clickedAt = far.now();
        mouse(status, QEvent::MouseButtonPress);
        mouse(status, QEvent::MouseButtonRelease);
        const double arrived = far.awaitCommand(1000);
        if (arrived < 0)
            ++lost;
        else
            latencies << (arrived - clickedAt) * 1e3;
        waitMs(5 + i % 7);
    }
    std::printf("%-28s %6lld %10.1f %10.1f %10.1f %6d\n", label, qlonglong(latencies.size()),
                quantile(latencies, 0.5), quantile(latencies, 0.99),
                latencies.isEmpty() ? 0.0 : *std::max_element(latencies.cbegin(), latencies.cend()),
                lost);
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

    std::printf("From a click on STATUS in the window to \"CR0\" CR at the far end of the line,\n"
                "%d clicks each, 19200,N,8,1; ser2net on 127.0.0.1. Times in microseconds.\n\n",
                kClicks);
    std::printf("%-28s %6s %10s %10s %10s %6s\n", "line", "clicks", "median", "p99", "worst",
                "lost");
    const bool ok = measure("pseudo-terminal, direct", direct.slavePath(), direct)
                    && measure("tcp:// through ser2net", rawServer.url(), raw)
                    && measure("rfc2217:// through ser2net", telnetServer.url(), telnet);
    return ok ? 0 : 1;
}
