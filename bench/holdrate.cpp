// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/mainwindow.h"
#include "link/deviceline.h"
#include "support.h"
#include "tests/support/consoleprobe.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMouseEvent>
#include <QTimer>
#include <algorithm>
#include <cstdio>

// How evenly a held button repeats, seen where it matters: at the far end of
// the line. The real window runs on a real pseudo-terminal, a button is held
// for a few seconds, and every command text is timestamped on arrival.

namespace {

constexpr int kHoldMs = 3000;

double median(QList<double> values)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const qsizetype n = values.size();
    return n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2;
}

struct Hold
{
    const char *label;
    const char *button;
    int nominalMs;
    const char *before; // a button tapped first, or nullptr
};

void measure(MainWindow &window, FarEnd &far, const Hold &hold)
{
    if (hold.before) {
        QWidget *first = window.control(QString::fromLatin1(hold.before));
        mouse(first, QEvent::MouseButtonPress);
        mouse(first, QEvent::MouseButtonRelease);
        waitMs(300);
    }
    QWidget *button = window.control(QString::fromLatin1(hold.button));
    far.take();
    int ticks = 0;
    const QMetaObject::Connection counting
        = QObject::connect(&ConsoleProbe(window.console()).timer(1), &ConsoleTimer::timeout, &far,
                           [&ticks] { ++ticks; });

    const double pressedAt = far.now();
    mouse(button, QEvent::MouseButtonPress);
    waitMs(kHoldMs);
    mouse(button, QEvent::MouseButtonRelease);
    QObject::disconnect(counting);
    waitMs(200);
    const QList<double> arrivals = far.take();

    QList<double> periods, errors;
    for (qsizetype k = 1; k < arrivals.size(); ++k) {
        periods << arrivals.at(k) - arrivals.at(k - 1);
        errors << std::abs(periods.last() - hold.nominalMs);
    }
    const qsizetype sent = std::max<qsizetype>(arrivals.size() - 1, 0);
    const double first = arrivals.isEmpty() ? 0 : arrivals.first() - pressedAt;
    const double mean = sent ? (arrivals.last() - arrivals.first()) / double(sent) : 0;
    std::printf("%4d ms  %-24s %8lld %6d %8lld %9.2f %9.2f %9.2f %11.2f %10.2f\n", hold.nominalMs,
                hold.label, qlonglong(arrivals.size()), ticks, qlonglong(ticks - sent), first,
                median(periods), mean, median(errors),
                errors.isEmpty() ? 0.0 : *std::max_element(errors.cbegin(), errors.cend()));
    std::fflush(stdout);
    waitMs(1200);
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    FarEnd far;
    if (!far.open()) {
        std::fprintf(stderr, "bench-holdrate: no pseudo-terminal\n");
        return 1;
    }
    const QString device = far.slavePath();
    MainWindow window([device](int port) -> std::unique_ptr<CommLine> {
        return port == 1 ? std::make_unique<DeviceLine>(device) : nullptr;
    });
    bool refused = false;
    window.setWarningBox([&refused](const QString &text) {
        std::fprintf(stderr, "bench-holdrate: %s\n", qPrintable(text));
        refused = true;
    });
    window.Form_Load();
    window.show();
    waitMs(300);
    if (refused || !window.console().port().portOpen())
        return 1;

    std::printf("Press-and-hold repetition at the far end of a pseudo-terminal (%s), %s,\n"
                "each button held %d ms. Commands include the press; a tick sends nothing\n"
                "while bytes still wait to leave (skipped). Times in ms; errors are the\n"
                "spacing of consecutive arrivals against the nominal period.\n\n",
                qPrintable(device), qPrintable(window.console().port().settings()), kHoldMs);
    std::printf("period   button                   commands  ticks  skipped     first    median"
                "      mean  median|err|  worst|err|\n");
    const Hold holds[] = {
        {"VOL + (Command1)", "Command1", 250, nullptr},
        {"Zoom + (Command15)", "Command15", 50, nullptr},
        {"arrow -> after D.Zoom", "Command8", 5, "Command48"},
    };
    for (const Hold &hold : holds)
        measure(window, far, hold);
    return 0;
}
