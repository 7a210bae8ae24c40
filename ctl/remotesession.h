// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "session.h"

#include <QEventLoop>
#include <QJsonObject>
#include <QObject>
#include <memory>

class LineClient;
class LocalChannel;
class TrafficLog;

// projector-ctl's commands sent through the console that holds the line: one
// at a time, each once the one before has ended, as Session sends them on a
// line of its own.
class RemoteSession : public QObject
{
    Q_OBJECT

public:
    // How long a command may take, queued behind others, before the console
    // serving the line is given up (a hold's time comes on top).
    static constexpr int kPatienceMs = 60000;

    struct Result
    {
        Outcome outcome;
        QJsonObject value; // the typed value as --json prints it; empty when none
    };

    // `settings` and `addressPrefix` as the command line chose them.
    RemoteSession(std::unique_ptr<LocalChannel> channel, QString line, QString settings,
                  QString addressPrefix, QObject *parent = nullptr);
    ~RemoteSession() override;

    // The traffic of this program's own commands goes to `log` as well.
    void follow(TrafficLog &log);

    Result run(const Job &job);

private:
    std::unique_ptr<LineClient> m_client;
    QString m_line, m_addressPrefix;
    QEventLoop m_loop;
    quint64 m_intent = 0;
    std::optional<Outcome> m_outcome;
};
