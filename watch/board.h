// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "exposition.h"
#include "reading.h"

#include <QList>
#include <QObject>

namespace watch {

class LinePoller;

// The latest reading of every projector and how every line's rounds go, in
// the order the lines and addresses were given.
class Board : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // Adds the poller's projectors (not yet read: down) and follows it.
    void follow(LinePoller &poller, const QList<int> &addresses);

    const QList<Reading> &readings() const { return m_readings; }
    const QList<LineRounds> &lines() const { return m_lines; }

signals:
    // `changed`: a value differs from the previous round's.
    void projectorRead(const watch::Reading &reading, bool changed);
    void roundFinished(const QString &line, quint64 round);

private:
    QList<Reading> m_readings;
    QList<LineRounds> m_lines;
};

} // namespace watch
