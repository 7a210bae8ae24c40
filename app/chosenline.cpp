// SPDX-License-Identifier: GPL-3.0-or-later
#include "chosenline.h"

ChosenLine::ChosenLine(Chosen chosen, Maker make, QObject *parent)
    : CommLine(parent), m_chosen(std::move(chosen)), m_make(std::move(make))
{}

QString ChosenLine::deviceName() const
{
    return m_line ? m_line->deviceName() : m_chosen();
}

bool ChosenLine::open(const SerialSettings &settings)
{
    // Made anew each time: whether a program serves the device may have
    // changed since. The line before may be telling of its end right now.
    if (m_line) {
        m_line->disconnect(this);
        m_line->close();
        m_line.release()->deleteLater();
    }
    m_line = m_make(m_chosen());
    connect(m_line.get(), &CommLine::readyRead, this, &CommLine::readyRead);
    connect(m_line.get(), &CommLine::lost, this, &CommLine::lost);
    connect(m_line.get(), &CommLine::warning, this, &CommLine::warning);
    connect(m_line.get(), &CommLine::opened, this, &CommLine::opened);
    connect(m_line.get(), &CommLine::openFailed, this, &CommLine::openFailed);
    return m_line->open(settings);
}

void ChosenLine::close()
{
    if (m_line)
        m_line->close();
}

bool ChosenLine::isOpen() const
{
    return m_line && m_line->isOpen();
}

bool ChosenLine::isOpening() const
{
    return m_line && m_line->isOpening();
}

bool ChosenLine::applySettings(const SerialSettings &settings)
{
    return m_line && m_line->applySettings(settings);
}

bool ChosenLine::write(const QByteArray &bytes)
{
    return m_line && m_line->write(bytes);
}

QByteArray ChosenLine::readAll()
{
    return m_line ? m_line->readAll() : QByteArray();
}

qint64 ChosenLine::bytesWaiting() const
{
    return m_line ? m_line->bytesWaiting() : 0;
}

QString ChosenLine::errorString() const
{
    return m_line ? m_line->errorString() : QStringLiteral("the port is not open");
}
