// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/mscomm.h"
#include "statuslink.h"

#include <memory>

namespace watch {

class ConsoleLink;
class ServedLink;

// One line of the watch, taken the way it can be each round: through the
// console that holds and serves it, else opened by the watch itself, and let
// go between rounds so that a console may take it.
class LineChoice : public StatusLink
{
    Q_OBJECT

public:
    // `lines` makes the line of `device` for the watch's own use.
    LineChoice(QString device, MSComm::LineFactory lines, QString settings,
               QObject *parent = nullptr);
    ~LineChoice() override;

    bool open(QString *error) override;
    bool isOpen() const override;
    void ask(int address, Query query) override;
    void roundEnded() override;

    // The queries go through a console now.
    bool served() const;

private:
    QString m_device, m_settings;
    QString m_untrusted; // told once
    MSComm::LineFactory m_lines;
    std::unique_ptr<ServedLink> m_served;
    std::unique_ptr<ConsoleLink> m_own;
    StatusLink *m_current = nullptr;
};

} // namespace watch
