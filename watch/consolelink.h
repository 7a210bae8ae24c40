// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "statuslink.h"

#include <QElapsedTimer>
#include <memory>

class Console;

namespace watch {

// A line driven through the console core, as the window drives it: the query's
// button is clicked with the projector's address chosen, and the reply window
// says when a silent projector has had its chance.
class ConsoleLink : public StatusLink
{
    Q_OBJECT

public:
    // `device` in any form of the console's --com1; `settings` "19200,N,8,1" or "9600,N,8,1".
    ConsoleLink(const QString &device, const QString &settings, QObject *parent = nullptr);
    ~ConsoleLink() override;

    bool open(QString *error) override;
    bool isOpen() const override;
    void ask(int address, Query query) override;

private:
    void finish(LinkAnswer answer);

    QString m_settings;
    std::unique_ptr<Console> m_console;
    bool m_loaded = false;
    bool m_asking = false;
    QElapsedTimer m_clock;
};

} // namespace watch
