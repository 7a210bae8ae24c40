#include "app/mainwindow.h"
#include "link/lineforms.h"
#include "tests/support/ser2net.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMouseEvent>
#include <QSocketNotifier>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include <fcntl.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

// The time from a click on "STATUS" in the real window to its command text at
// the far end of the line: a pseudo-terminal opened directly, and the same
// behind Debian's ser2net on the loopback, raw and with RFC 2217.

namespace {

constexpr int kClicks = 300;

// The master side of a pseudo-terminal; the console or ser2net opens the slave.
class FarEnd : public QObject
{
public:
    bool open()
    {
        int slave = -1;
        char name[256] = {};
        if (::openpty(&m_master, &slave, name, nullptr, nullptr) != 0)
            return false;
        termios raw{};
        ::tcgetattr(slave, &raw);
        ::cfmakeraw(&raw);
        ::tcsetattr(slave, TCSANOW, &raw);
        ::close(slave);
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
        m_slavePath = QString::fromLocal8Bit(name);
        m_notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, &FarEnd::collect);
        return true;
    }
    ~FarEnd() override
    {
        if (m_master >= 0)
            ::close(m_master);
    }

    QString slavePath() const { return m_slavePath; }

    // Runs the event loop until a carriage return arrives; its time in ns of
    // `clock`, or -1 after `timeoutMs`.
    qint64 awaitCommand(const QElapsedTimer &clock, int timeoutMs)
    {
        m_clock = &clock;
        m_arrivedNs = -1;
        QEventLoop loop;
        m_loop = &loop;
        QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
        collect();
        if (m_arrivedNs < 0)
            loop.exec();
        m_loop = nullptr;
        return m_arrivedNs;
    }

    void drain()
    {
        char buffer[4096];
        while (::read(m_master, buffer, sizeof buffer) > 0) {
        }
    }

private:
    void collect()
    {
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(m_master, buffer, sizeof buffer)) > 0) {
            if (m_arrivedNs < 0 && m_clock && std::find(buffer, buffer + n, '\r') != buffer + n) {
                m_arrivedNs = m_clock->nsecsElapsed();
                if (m_loop)
                    m_loop->quit();
            }
        }
    }

    int m_master = -1;
    QString m_slavePath;
    QSocketNotifier *m_notifier = nullptr;
    const QElapsedTimer *m_clock = nullptr;
    QEventLoop *m_loop = nullptr;
    qint64 m_arrivedNs = -1;
};

void waitMs(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

// A mouse press or release delivered as the platform would, through the
// application, where the window's filter sees it.
void mouse(QWidget *button, QEvent::Type type)
{
    const QPointF pos = QRectF(button->rect()).center();
    const Qt::MouseButtons held = type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton;
    QMouseEvent event(type, pos, button->mapToGlobal(pos), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(button, &event);
}

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
    QElapsedTimer clock;
    for (int i = 0; i < kClicks; ++i) {
        far.drain();
        clock.start();
        mouse(status, QEvent::MouseButtonPress);
        mouse(status, QEvent::MouseButtonRelease);
        const qint64 arrived = far.awaitCommand(clock, 1000);
        if (arrived < 0)
            ++lost;
        else
            latencies << arrived / 1e3;
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
