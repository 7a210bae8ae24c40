// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/commline.h"
#include "projectorhost.h"
#include "replycarrier.h"

#include <QElapsedTimer>
#include <QList>
#include <QTimer>

#include <memory>

// Four simulated projectors on an in-process line. Bytes travel at the baud
// rate of the settings in force, replies come back after the projectors'
// delays, each split in two pieces the way a real port often delivers them.
// The projectors listen and answer at the model's speed only: a console set
// to another speed sends them junk and reads junk back.
class SimulatedLine : public CommLine
{
    Q_OBJECT

public:
    explicit SimulatedLine(QObject *parent = nullptr);

    QString deviceName() const override;
    bool open(const SerialSettings &settings) override;
    void close() override;
    bool isOpen() const override { return m_open; }
    bool applySettings(const SerialSettings &settings) override;
    bool write(const QByteArray &bytes) override;
    QByteArray readAll() override;
    qint64 bytesWaiting() const override;
    QString errorString() const override { return m_error; }

    sim::ProjectorModel &model() { return m_host.model(); }
    const sim::ProjectorModel &model() const { return m_host.model(); }

    // On by default; off delivers every reply in one piece.
    void setSplitReplies(bool split) { m_replies.setSplit(split); }
    void setLogHook(sim::LogHook hook) { m_host.setLogHook(std::move(hook)); }

    // Applies lines of state changes (see sim/statechanges.h) now; returns the
    // first error, after which nothing was applied.
    QString applyChanges(const QString &lines);

    // Refuses every opening with `reason`, for a line that could not be set up.
    void refuseOpening(const QString &reason) { m_refusal = reason; }

private:
    struct Sent
    {
        char byte;
        qint64 arrivalUs; // when its last bit has reached the projectors
    };
    qint64 nowUs() const { return m_clock.nsecsElapsed() / 1000; }
    double characterUs() const;
    void deliverSent();
    void scheduleSent();
    void discardTraffic();

    sim::ProjectorHost m_host;
    sim::ReplyCarrier m_replies;
    SerialSettings m_settings;
    bool m_open = false;
    QString m_error;
    QString m_refusal;
    QElapsedTimer m_clock;

    QList<Sent> m_sent;
    double m_txFreeUs = 0; // when the wire towards the projectors is free again
    QTimer m_sentTimer;

    QByteArray m_received;
};

// The in-process line for a device form of the command line: "sim", or
// "sim:FILE" with FILE holding lines of state changes applied at the start.
// Any other form gives no line. A FILE that cannot be read or holds a line
// not understood gives a line that refuses to open, saying why.
std::unique_ptr<CommLine> makeSimulatedLine(const QString &device);
