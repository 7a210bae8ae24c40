// SPDX-License-Identifier: GPL-3.0-or-later
#include "consolelink.h"

#include "core/catalogue.h"
#include "core/console.h"
#include "core/lineforms.h"
#include "core/traffic.h"

namespace watch {

ConsoleLink::ConsoleLink(const QString &device, const QString &settings, QObject *parent)
    : StatusLink(parent), m_settings(settings),
      m_console(std::make_unique<Console>(
          [device](int port) { return port == 1 ? makeLine(device) : nullptr; }))
{
    Traffic &traffic = m_console->traffic();
    connect(&traffic, &Traffic::received, this, [this] {
        const ReplyMatcher &replies = m_console->traffic().replies();
        if (m_asking && replies.latestAnswered())
            finish({true, replies.latestReply(), m_clock.elapsed(), false, {}});
    });
    connect(&traffic, &Traffic::replyWindowEnded, this, [this] {
        if (m_asking)
            finish({false, {}, m_clock.elapsed(), false, {}});
    });
    connect(&traffic, &Traffic::refused, this, [this](const QString &description) {
        if (m_asking)
            finish({false, {}, m_clock.elapsed(), true, description});
    });
    connect(&m_console->comm(), &MSComm::lineLost, this, [this](const QString &description) {
        if (m_asking)
            finish({false, {}, m_clock.elapsed(), true, description});
    });
}

ConsoleLink::~ConsoleLink() = default;

bool ConsoleLink::open(QString *error)
{
    MSComm &comm = m_console->comm();
    // A start-up that failed leaves the settings at 19200: the speed is chosen at every opening.
    const bool opened = (m_loaded ? comm.setPortOpen(true) : m_console->Form_Load())
                        && m_console->chooseSpeed(m_settings);
    m_loaded = true;
    if (!opened && error)
        *error = comm.errorDescription();
    return opened;
}

bool ConsoleLink::isOpen() const
{
    return m_console->comm().portOpen();
}

void ConsoleLink::ask(int address, Query query)
{
    m_console->setAddressPrefix(address == 0 ? QString() : QStringLiteral("A%1").arg(address, 3, 10, QLatin1Char('0')));
    m_asking = true;
    m_clock.start();
    m_console->click(*commands::findOneShot(QLatin1String(buttonFor(query))));
}

void ConsoleLink::finish(LinkAnswer answer)
{
    m_asking = false;
    emit answered(answer);
}

} // namespace watch
