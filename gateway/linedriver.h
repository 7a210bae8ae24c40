// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "config.h"
#include "core/outcome.h"
#include "link/mscomm.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>
#include <memory>

class Console;
class LineService;

namespace gateway {

// What became of the commands of one request.
struct JobResult
{
    QList<Outcome> outcomes; // in order; the last one not answered ended the job
    bool busy = false;       // the line was too busy to take it in the client's patience
};

// One line the gateway holds all the time: its console, the service of the
// line to the programs of this computer, and the requests of the PJLink
// clients, each run as the line's own commands one after the other.
class LineDriver : public QObject
{
    Q_OBJECT

public:
    // Requests the line may have waiting; beyond, each is answered busy at once.
    static constexpr int kQueueLimit = 64;
    // A request that has waited this long when its turn comes is answered busy.
    static constexpr int kPatienceMs = 4000;
    // A request is answered within this time: busy, when its commands wait behind
    // others (a held button of a program the line is served to) or still run.
    static constexpr int kAnswerMs = 5000;
    // A lost or unopened line is tried again this often.
    static constexpr int kReopenMs = 3000;

    LineDriver(LineEntry entry, MSComm::LineFactory lines, QObject *parent = nullptr);
    ~LineDriver() override;

    // Opens the line and serves it; false with the reason when it cannot be opened
    // now (it is tried again by itself).
    bool open(QString *error);
    const LineEntry &entry() const { return m_entry; }

    using Done = std::function<void(const JobResult &)>;
    // Sends `buttons` to projector `address` one after the other; `done` is
    // called once, unless `context` is gone by then.
    void submit(int address, const QStringList &buttons, QObject *context, Done done);

signals:
    // Something the journal should hear of: a lost line, a failed service.
    void problem(const QString &description);

private:
    struct Job
    {
        int address = 0;
        QStringList buttons;
        QPointer<QObject> context;
        Done done;
        QElapsedTimer waiting;
        JobResult result;
        bool told = false; // answered busy while its commands were still to end
    };

    void next();
    void sendStep();
    void ended(const Outcome &outcome);
    void finish();
    void sweep();

    LineEntry m_entry;
    std::unique_ptr<Console> m_console;
    std::unique_ptr<LineService> m_service;
    std::deque<Job> m_queue;
    std::optional<Job> m_current;
    quint64 m_intent = 0;
    bool m_loaded = false;
    QTimer m_reopen;
    QTimer m_sweep;
};

} // namespace gateway
