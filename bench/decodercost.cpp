// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/trace.h"
#include "status/decoders.h"

#include <QElapsedTimer>
#include <QList>
#include <QString>
#include <cstdio>

// What the status decoders cost on one reception when the receive buffer is full:
// every reception decodes the trace of the whole buffer, so a long unasked text
// must not make each reception cost its length. Each query is timed on buffers
// of 32,767 characters of several kinds; the trace itself is timed apart.

namespace {

constexpr qsizetype kBufferLength = 32767;

struct Buffer
{
    const char *name;
    QString text;
};

QList<Buffer> fullBuffers()
{
    const auto filled = [](const QString &start, QChar fill) {
        return start + QString(kBufferLength - start.size(), fill);
    };
    return {
        {"digits", filled(QString(), QLatin1Char('7'))},
        {"zeros then 512", QString(kBufferLength - 4, QLatin1Char('0')) + QStringLiteral("512\r")},
        {"spaces", filled(QString(), QLatin1Char(' '))},
        {"reply then letters", filled(QStringLiteral("512\r"), QLatin1Char('Q'))},
    };
}

// Microseconds one call takes, from enough calls to fill about 200 ms.
template<typename Call>
double microsecondsPerCall(Call call)
{
    QElapsedTimer clock;
    clock.start();
    qint64 calls = 0;
    do {
        call();
        ++calls;
    } while (clock.nsecsElapsed() < 200'000'000);
    return clock.nsecsElapsed() / 1000.0 / calls;
}

} // namespace

int main()
{
    const char *const queries[]
        = {"CR0", "CR1", "CR4", "CR3", "CR6", "CRA", "CR9", "CR PRESSURE", "CR7", "C00"};
    double worst = 0;
    std::printf("%-20s %-12s %12s\n", "buffer", "query", "us/reception");
    for (const Buffer &buffer : fullBuffers()) {
        const QString shown = trace(buffer.text);
        for (const char *query : queries) {
            const QString sendText = QLatin1String(query) + QLatin1Char('\r');
            volatile qsizetype sink = 0;
            const double us = microsecondsPerCall([&] {
                sink = sink + status::decode(shown, sendText, QString()).value_or(QString()).size();
            });
            worst = std::max(worst, us);
            std::printf("%-20s %-12s %12.3f\n", buffer.name, query, us);
        }
        volatile qsizetype sink = 0;
        std::printf("%-20s %-12s %12.3f  (the trace of the buffer, for comparison)\n", buffer.name,
                    "-", microsecondsPerCall([&] { sink = sink + trace(buffer.text).size(); }));
    }
    std::printf("decoder cost per reception at %lld characters, worst case: %.3f us\n",
                static_cast<long long>(kBufferLength), worst);
    return 0;
}
