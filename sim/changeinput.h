// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "projectorhost.h"
#include "statechanges.h"

#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace sim {

// Reads state changes, one per line, from a file descriptor (projector-sim's
// standard input) while the projectors run, and applies them as they come.
// The end of the input ends the reading only.
class ChangeInput : public QObject
{
    Q_OBJECT

public:
    ChangeInput(int fd, ProjectorHost &host, QObject *parent = nullptr);

signals:
    void applied(const sim::StateChange &change);
    void helpAsked(const QString &text);
    void refused(const QString &line, const QString &error);

private:
    void readInput();
    void takeLine(const QByteArray &line);

    static constexpr qsizetype MaxLineLength = 1024;

    int m_fd;
    ProjectorHost &m_host;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QByteArray m_partial;
};

} // namespace sim
