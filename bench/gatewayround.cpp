// SPDX-License-Identifier: GPL-3.0-or-later
// What a PJLink client waits for through projector-gateway: POWR ? round trips
// (on one connection, and with a connection of its own each time, as some
// control systems ask) against the same query (STATUS) by projector-ctl
// through the gateway's line; then the gateway's memory and CPU while 100
// PJLink connections poll. The gateway holds the simulated line.
#include "stats.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <memory>
#include <unistd.h>

namespace {

struct Figures
{
    double median, p99;
};

Figures figures(const QList<double> &ms)
{
    return {quantile(ms, 0.5), quantile(ms, 0.99)};
}

QByteArray ask(QTcpSocket &socket, const QByteArray &request)
{
    socket.write(request);
    QByteArray answer;
    while (!answer.endsWith('\r') && socket.waitForReadyRead(5000))
        answer += socket.readAll();
    return answer;
}

std::unique_ptr<QTcpSocket> connectTo(quint16 port)
{
    auto socket = std::make_unique<QTcpSocket>();
    socket->connectToHost(QHostAddress::LocalHost, port);
    if (!socket->waitForConnected(3000))
        qFatal("cannot connect to the gateway");
    QByteArray greeting;
    while (!greeting.endsWith('\r') && socket->waitForReadyRead(3000))
        greeting += socket->readAll();
    if (greeting != "PJLINK 0\r")
        qFatal("greeted %s", greeting.constData());
    return socket;
}

// Runs projector-ctl with `arguments`, its output dropped.
void runCtl(const QStringList &arguments)
{
    QProcess ctl;
    ctl.setStandardOutputFile(QProcess::nullDevice());
    ctl.start(QStringLiteral(PROJECTOR_CTL_PATH), arguments);
    if (!ctl.waitForFinished(5000) || ctl.exitCode() != 0)
        qFatal("projector-ctl failed");
}

// User and system CPU time of a process, in clock ticks.
qint64 cpuTicks(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.value(11).toLongLong() + fields.value(12).toLongLong();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 200;
    // A simulated line of its own: programs given plain "sim" never reach it.
    QTemporaryDir dir;
    QFile states(dir.filePath(QStringLiteral("states.txt")));
    states.open(QIODevice::WriteOnly);
    states.close();
    const QString line = QStringLiteral("sim:") + states.fileName();

    QProcess gateway;
    gateway.setReadChannel(QProcess::StandardError);
    gateway.start(
        QStringLiteral(PROJECTOR_GATEWAY_PATH),
        {"--line", line, "--address", "1", "--listen", "127.0.0.1:0", "--connections", "200"});
    static const QRegularExpression listening(QStringLiteral("PJLink on 127\\.0\\.0\\.1:(\\d+)"));
    QByteArray said;
    quint16 port = 0;
    while (!port && gateway.waitForReadyRead(5000)) {
        said += gateway.readAllStandardError();
        const auto match = listening.match(QString::fromLocal8Bit(said));
        if (match.hasMatch())
            port = match.captured(1).toUShort();
    }
    if (!port)
        qFatal("the gateway did not start: %s", said.constData());
    // The simulated projector on, so POWR ? and STATUS read the same state.
    runCtl({"--line", line, "--address", "1", "POWER ON"});

    QElapsedTimer clock;
    QList<double> kept, fresh, ctl;
    auto socket = connectTo(port);
    for (int i = 0; i < rounds; ++i) {
        clock.start();
        if (!ask(*socket, "%1POWR ?\r").startsWith("%1POWR="))
            qFatal("no answer to POWR ?");
        kept << clock.nsecsElapsed() / 1e6;
    }
    for (int i = 0; i < rounds; ++i) {
        clock.start();
        auto once = connectTo(port);
        ask(*once, "%1POWR ?\r");
        fresh << clock.nsecsElapsed() / 1e6;
    }
    for (int i = 0; i < rounds; ++i) {
        clock.start();
        runCtl({"--line", line, "--address", "1", "STATUS"});
        ctl << clock.nsecsElapsed() / 1e6;
    }
    socket.reset();

    // 100 connections, each asking POWR ? every 5 s, spread over the period.
    const qint64 pid = gateway.processId();
    const qint64 idleKb = residentKb(QString::number(pid));
    std::vector<std::unique_ptr<QTcpSocket>> many;
    for (int i = 0; i < 100; ++i)
        many.push_back(connectTo(port));
    const qint64 ticks = cpuTicks(pid);
    QElapsedTimer period;
    period.start();
    int answered = 0, asked = 0;
    for (int i = 0; i < 100; ++i) {
        QObject::connect(
            many[i].get(), &QTcpSocket::readyRead, &app,
            [&answered, s = many[i].get()] { answered += int(s->readAll().count('\r')); });
    }
    // 10 s in steps of 50 ms, one connection asking at each: each once in 5 s.
    for (int tick = 0; tick < 200; ++tick) {
        many[tick % 100]->write("%1POWR ?\r");
        ++asked;
        QTest::qWait(50);
    }
    QTest::qWait(500);
    const double seconds = period.nsecsElapsed() / 1e9;
    const double cpu = double(cpuTicks(pid) - ticks) / double(sysconf(_SC_CLK_TCK)) / seconds;
    const qint64 busyKb = residentKb(QString::number(pid));
    many.clear();
    gateway.terminate();
    gateway.waitForFinished();

    const Figures k = figures(kept), f = figures(fresh), c = figures(ctl);
    std::printf("POWR ? / STATUS round trip through the gateway, %d rounds each, ms\n", rounds);
    std::printf("  PJLink, one connection:          median %.2f  p99 %.2f\n", k.median, k.p99);
    std::printf("  PJLink, a connection each time:  median %.2f  p99 %.2f\n", f.median, f.p99);
    std::printf("  projector-ctl STATUS (program):  median %.2f  p99 %.2f\n", c.median, c.p99);
    std::printf("100 PJLink connections polling, %.1f s: %d of %d answered\n", seconds, answered,
                asked);
    std::printf("  gateway resident memory: %lld kB idle, %lld kB with 100 connections\n", idleKb,
                busyKb);
    std::printf("  gateway CPU: %.1f %% of one core\n", cpu * 100);
    return 0;
}
