// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHostAddress>
#include <QHttpServer>
#include <functional>

namespace watch {

// Serves GET /metrics with the text `metrics` gives at each request.
class MetricsServer
{
public:
    explicit MetricsServer(std::function<QString()> metrics);

    // The port listened on (the one asked for, or a free one for 0); 0 on failure.
    quint16 listen(const QHostAddress &address, quint16 port);

private:
    QHttpServer m_server;
};

} // namespace watch
