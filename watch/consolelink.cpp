// SPDX-License-Identifier: GPL-3.0-or-later
#include "consolelink.h"

#include "core/console.h"

namespace watch {

ConsoleLink::ConsoleLink(MSComm::LineFactory lines, const QString &settings, QObject *parent)
    : StatusLink(parent), m_settings(settings),
      m_console(std::make_unique<Console>(std::move(lines)))
{
    m_console->setPacing(Console::Pacing::WhenSettled);
    m_console->setLostAdvice(QStringLiteral("It is opened again at the next round."));
    // One query is out at a time, so the outcome that comes is its own; it may
    // come before send() has returned the intent's number.
    connect(m_console.get(), &Console::outcome, this, [this](const Outcome &outcome) {
        if (!m_asking)
            return;
        m_asking = false;
        emit answered(LinkAnswer::of(outcome));
    });
}

ConsoleLink::~ConsoleLink() = default;

bool ConsoleLink::open(QString *error)
{
    if (m_console->port().portOpen() || m_console->port().portOpening())
        return true;
    // A start-up that failed leaves the settings at 19200: the speed is chosen at every opening.
    const bool opened = (m_loaded ? m_console->reopen() : m_console->Form_Load())
                        && m_console->chooseSpeed(m_settings);
    m_loaded = true;
    if (!opened && error)
        *error = m_console->port().errorDescription();
    return opened;
}

bool ConsoleLink::isOpen() const
{
    return m_console->port().portOpen();
}

void ConsoleLink::close()
{
    m_console->end();
}

void ConsoleLink::ask(int address, Query query)
{
    m_console->chooseAddress(addressPrefix(address));
    m_asking = true;
    m_console->send(buttonFor(query));
}

} // namespace watch
