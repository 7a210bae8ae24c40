#pragma once

#include "link/commline.h"
#include "projectorhost.h"

#include <QElapsedTimer>
#include <QList>
#include <QTimer>

// Four simulated projectors on an in-process line. Bytes travel at the baud
// rate of the settings in force, replies come back after the projectors'
// delays, each split in two pieces the way a real port often delivers them.
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
    void setSplitReplies(bool split) { m_splitReplies = split; }
    void setLogHook(sim::LogHook hook) { m_host.setLogHook(std::move(hook)); }

private:
    struct Sent
    {
        char byte;
        qint64 arrivalUs; // when its last bit has reached the projectors
    };
    struct Arriving
    {
        qint64 dueUs;
        QByteArray bytes;
    };

    qint64 nowUs() const { return m_clock.nsecsElapsed() / 1000; }
    double characterUs() const;
    void deliverSent();
    void scheduleSent();
    void carryReply(const QByteArray &bytes);
    void deliverArriving();
    void scheduleArriving();
    void discardTraffic();

    sim::ProjectorHost m_host;
    SerialSettings m_settings;
    bool m_open = false;
    bool m_splitReplies = true;
    QString m_error;
    QElapsedTimer m_clock;

    QList<Sent> m_sent;
    double m_txFreeUs = 0; // when the wire towards the projectors is free again
    QTimer m_sentTimer;

    QList<Arriving> m_arriving;
    double m_rxFreeUs = 0;
    QTimer m_arrivingTimer;
    QByteArray m_received;
};
