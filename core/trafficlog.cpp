#include "trafficlog.h"

#include "console.h"
#include "link/mscomm.h"
#include "link/trace.h"

#include <QDateTime>

TrafficLog::TrafficLog(const QString &path, QObject *parent) : QObject(parent), m_file(path) {}

bool TrafficLog::open()
{
    return m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
}

QString TrafficLog::errorString() const
{
    return QStringLiteral("cannot open the log %1: %2")
        .arg(m_file.fileName(), m_file.errorString());
}

void TrafficLog::follow(const Console &console)
{
    const MSComm &comm = console.port();
    connect(&console, &Console::transmitted, this,
            [this, &comm](const QString &text) { write(comm, "TX", text); });
    connect(&console, &Console::arrived, this,
            [this, &comm](const QString &characters) { write(comm, "RX", characters); });
}

void TrafficLog::write(const MSComm &comm, const char *direction, const QString &characters)
{
    const QDateTime now = QDateTime::currentDateTime();
    const QString line
        = QStringLiteral("%1 COM%2 %3%4\n")
              .arg(now.toOffsetFromUtc(now.offsetFromUtc()).toString(Qt::ISODateWithMs))
              .arg(comm.commPort())
              .arg(QLatin1String(direction), trace(characters));
    // Unbuffered: each line reaches the system in one write.
    m_file.write(line.toUtf8());
}
