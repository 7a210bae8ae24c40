// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/mscomm.h"
#include "statuslink.h"

#include <memory>

class Console;

namespace watch {

// A line driven through the console core's intents: the projector's address
// chosen, the query's button sent, its one outcome taken. Each query goes out
// only once the line has settled, so a late reply is never taken for the next.
class ConsoleLink : public StatusLink
{
    Q_OBJECT

public:
    // `lines` makes the line of port 1; `settings` "19200,N,8,1" or "9600,N,8,1".
    ConsoleLink(MSComm::LineFactory lines, const QString &settings, QObject *parent = nullptr);
    ~ConsoleLink() override;

    bool open(QString *error) override;
    bool isOpen() const override;
    void ask(int address, Query query) override;
    // Lets the line go, its lock with it; open() takes it again.
    void close();

private:
    QString m_settings;
    std::unique_ptr<Console> m_console;
    bool m_loaded = false;
    bool m_asking = false;
};

} // namespace watch
