// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QObject>
#include <deque>

class QSocketNotifier;

namespace watch {

// Lines written to a pipe without ever holding up the watch: a reader that
// falls behind gets them later, and once more than kBacklogLimit bytes wait,
// the oldest waiting lines are dropped whole, never torn.
class LineOutput : public QObject
{
    Q_OBJECT

public:
    static constexpr qsizetype kBacklogLimit = 1 << 20;

    // `fd` is made non-blocking; it stays open after the output.
    explicit LineOutput(int fd, QObject *parent = nullptr);
    ~LineOutput() override;

    // `line` ends in a newline.
    void write(const QByteArray &line);
    qint64 dropped() const { return m_dropped; }
    qsizetype waiting() const { return m_waitingBytes; }

signals:
    // The reader fell behind: lines were dropped, `total` so far; told once
    // each time it falls behind.
    void fellBehind(qint64 total);
    // Writing failed otherwise than by a full pipe; nothing more is written.
    void failed(const QString &error);

private:
    void flush();

    int m_fd;
    QSocketNotifier *m_notifier = nullptr;
    std::deque<QByteArray> m_lines;
    qsizetype m_offset = 0; // of the first line, already written
    qsizetype m_waitingBytes = 0;
    qint64 m_dropped = 0;
    bool m_behind = false;
    bool m_failed = false;
};

} // namespace watch
