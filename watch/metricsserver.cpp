// SPDX-License-Identifier: GPL-3.0-or-later
#include "metricsserver.h"

#include <QHttpServerResponse>

namespace watch {

MetricsServer::MetricsServer(std::function<QString()> metrics)
{
    m_server.route(QStringLiteral("/metrics"), [metrics] {
        return QHttpServerResponse(QByteArrayLiteral("text/plain; version=0.0.4; charset=utf-8"),
                                   metrics().toUtf8());
    });
}

quint16 MetricsServer::listen(const QHostAddress &address, quint16 port)
{
    return m_server.listen(address, port);
}

} // namespace watch
