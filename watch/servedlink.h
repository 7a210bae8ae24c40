// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "statuslink.h"

#include <QTimer>
#include <memory>

class LineClient;
class LocalChannel;

namespace watch {

// A line that a console holds and serves: each query goes to the console as a
// background command, which it sends once the operator holds nothing and the
// line has settled, and whose reply it keeps off its STATUS line.
class ServedLink : public StatusLink
{
    Q_OBJECT

public:
    // How long a query may take once it has gone out; the wait for the
    // operator before it goes is not counted.
    static constexpr int kPatienceMs = 30000;

    ServedLink(std::unique_ptr<LocalChannel> channel, QString device, QString settings,
               QObject *parent = nullptr);
    ~ServedLink() override;

    void setPatience(int ms) { m_patience.setInterval(ms); }

    // The console was found before: open while it serves.
    bool open(QString *error) override;
    bool isOpen() const override;
    void ask(int address, Query query) override;

private:
    void fail(const QString &description);
    QString gone() const;

    std::unique_ptr<LineClient> m_client;
    QString m_device;
    quint64 m_asked = 0;
    bool m_asking = false;
    QTimer m_patience;
};

} // namespace watch
