// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/endsignals.h"
#include "linedriver.h"
#include "options.h"
#include "pjlinkserver.h"
#include "sim/anyline.h"

#include <QCoreApplication>
#include <csignal>
#include <memory>
#include <vector>

// projector-gateway: the projectors of serial lines for PJLink control systems.
using namespace gateway;

namespace {

enum Exit { Done = 0, Usage = 2, Failed = 3 };

QString hostText(const QHostAddress &address)
{
    return address.protocol() == QAbstractSocket::IPv6Protocol
               ? QStringLiteral("[%1]").arg(address.toString())
               : address.toString();
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("projector-gateway"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CONSOLE_RELEASE));
    const std::optional<GatewayConfig> config = parseOptions(QCoreApplication::arguments());
    if (!config)
        return Usage;
    std::optional<QByteArray> password;
    if (!config->passwordFile.isEmpty()) {
        QString error;
        password = readPasswordFile(config->passwordFile, &error);
        if (!password) {
            tell(error);
            return Usage;
        }
    }

    std::vector<std::unique_ptr<LineDriver>> lines;
    std::vector<std::unique_ptr<PjlinkServer>> servers;
    for (const LineEntry &entry : config->lines) {
        auto line = std::make_unique<LineDriver>(entry, [device = entry.device](int port) {
            return port == 1 ? makeLine(device) : nullptr;
        });
        QObject::connect(line.get(), &LineDriver::problem, &app, &tell);
        QString error;
        // A line that cannot be opened now is tried again: a device server may be
        // starting, a USB adapter not yet plugged in.
        if (!line->open(&error))
            tell(QStringLiteral("%1: %2").arg(entry.name, error));
        for (const ProjectorEntry &projector : line->entry().projectors) {
            auto server = std::make_unique<PjlinkServer>(*line, projector, password,
                                                         config->connectionsPerProjector);
            const QString which
                = projector.address == 0
                      ? entry.name
                      : QStringLiteral("%1 projector %2").arg(entry.name).arg(projector.address);
            if (!server->listen(&error)) {
                tell(QStringLiteral("%1: cannot listen on %2 port %3: %4")
                         .arg(which, hostText(projector.listen))
                         .arg(projector.port)
                         .arg(error));
                return Failed;
            }
            tell(QStringLiteral("%1: PJLink on %2:%3%4")
                     .arg(which, hostText(projector.listen))
                     .arg(server->port())
                     .arg(password ? QStringLiteral(" with a password") : QString()));
            servers.push_back(std::move(server));
        }
        lines.push_back(std::move(line));
    }

    int exit = Done;
    const EndSignals endSignals([&exit](int signal) {
        tell(QStringLiteral("ended by %1").arg(EndSignals::name(signal)));
        exit = signal == SIGTERM || signal == SIGINT ? Done : EndSignals::exitStatus(signal);
        QCoreApplication::quit();
    });
    app.exec();
    servers.clear();
    lines.clear();
    return exit;
}
