// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ptypair.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QSocketNotifier>
#include <unistd.h>

// A projector line at the master side of a pseudo-terminal: every command
// that arrives is recorded with its time and answered at once, as a projector
// in stand-by answers (STATUS "80", L-TIME "12345", anything else ACK), or
// held unanswered while the far end is mute.
class AnsweringFarEnd : public QObject
{
public:
    struct Command
    {
        QByteArray text; // without its carriage return
        double ms = 0;
    };

    AnsweringFarEnd()
    {
        m_master = openRawPty(&m_slavePath);
        if (m_master < 0)
            return;
        m_clock.start();
        auto *notifier = new QSocketNotifier(m_master, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, &AnsweringFarEnd::collect);
    }
    ~AnsweringFarEnd() override
    {
        if (m_master >= 0)
            ::close(m_master);
    }

    bool isValid() const { return m_master >= 0; }
    QString slavePath() const { return m_slavePath; }
    QList<Command> commands() const { return m_commands; }
    QByteArrayList texts() const
    {
        QByteArrayList texts;
        for (const Command &command : m_commands)
            texts << command.text;
        return texts;
    }

    // While mute, commands are recorded and left unanswered; unmuting answers them.
    void setMute(bool mute)
    {
        m_mute = mute;
        if (!mute) {
            for (const QByteArray &text : std::exchange(m_held, {}))
                answer(text);
        }
    }

    static QByteArray replyTo(const QByteArray &command)
    {
        const QByteArray code = command.startsWith('A') ? command.mid(4) : command;
        if (command.startsWith("AFFF"))
            return {};
        if (code == "CR0")
            return "80\r";
        if (code == "CR3")
            return "12345\r";
        return "\x06\r";
    }

private:
    void collect()
    {
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(m_master, buffer, sizeof buffer)) > 0) {
            m_pending.append(buffer, n);
            qsizetype end;
            while ((end = m_pending.indexOf('\r')) >= 0) {
                const QByteArray text = m_pending.left(end);
                m_pending.remove(0, end + 1);
                m_commands.append({text, m_clock.nsecsElapsed() / 1e6});
                if (m_mute)
                    m_held << text;
                else
                    answer(text);
            }
        }
    }

    void answer(const QByteArray &command)
    {
        const QByteArray reply = replyTo(command);
        if (!reply.isEmpty() && ::write(m_master, reply.constData(), reply.size()) < 0)
            qWarning("far end: write failed");
    }

    int m_master = -1;
    QString m_slavePath;
    QElapsedTimer m_clock;
    QByteArray m_pending;
    QList<Command> m_commands;
    QByteArrayList m_held;
    bool m_mute = false;
};
