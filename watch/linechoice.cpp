// SPDX-License-Identifier: GPL-3.0-or-later
#include "linechoice.h"

#include "consolelink.h"
#include "link/localendpoint.h"
#include "servedlink.h"

namespace watch {

LineChoice::LineChoice(QString device, MSComm::LineFactory lines, QString settings, QObject *parent)
    : StatusLink(parent), m_device(std::move(device)), m_settings(std::move(settings)),
      m_lines(std::move(lines))
{}

LineChoice::~LineChoice() = default;

bool LineChoice::open(QString *error)
{
    if (isOpen())
        return true;
    m_current = nullptr;
    m_served.reset();
    LocalChannel::Reached reached = LocalChannel::reach(m_device);
    if (reached.reach == LocalChannel::Reach::Served) {
        m_served = std::make_unique<ServedLink>(std::move(reached.channel), m_device, m_settings);
        connect(m_served.get(), &StatusLink::answered, this, &StatusLink::answered);
        m_current = m_served.get();
        return true;
    }
    if (reached.reach == LocalChannel::Reach::Denied
        || reached.reach == LocalChannel::Reach::Busy) {
        if (error)
            *error = reached.message;
        return false;
    }
    // An endpoint kept by a program that may not use the line is no console's.
    if (reached.reach == LocalChannel::Reach::Untrusted && reached.message != m_untrusted)
        qWarning("%s", qPrintable(reached.message));
    m_untrusted = reached.message;
    if (!m_own) {
        m_own = std::make_unique<ConsoleLink>(m_lines, m_settings);
        connect(m_own.get(), &StatusLink::answered, this, &StatusLink::answered);
    }
    m_current = m_own.get();
    return m_own->open(error);
}

bool LineChoice::isOpen() const
{
    return m_current && m_current->isOpen();
}

void LineChoice::ask(int address, Query query)
{
    m_current->ask(address, query);
}

void LineChoice::roundEnded()
{
    if (m_own && m_current == m_own.get())
        m_own->close();
}

bool LineChoice::served() const
{
    return m_served && m_current == m_served.get();
}

} // namespace watch
