// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "link/commline.h"

#include <QElapsedTimer>
#include <memory>

class LineClient;
class LocalChannel;

// A line that another program holds and serves (projector-gateway, another
// console window), used as a line of one's own: each command text written
// goes to the holder as that client's text for the projector its address
// prefix names, and the characters that arrive for it read as received. The
// reply rule and the traffic lines stay the user's own.
class JoinedLine : public CommLine
{
    Q_OBJECT

public:
    // `channel`: reached at the endpoint of `device` (LocalChannel::reach).
    JoinedLine(std::unique_ptr<LocalChannel> channel, QString device, QObject *parent = nullptr);
    ~JoinedLine() override;

    // "pid 4242 (projector-gateway), uid 0": who holds the line.
    QString holder() const { return m_holder; }

    QString deviceName() const override { return m_device; }
    bool open(const SerialSettings &settings) override;
    void close() override;
    bool isOpen() const override;
    bool applySettings(const SerialSettings &settings) override;
    bool write(const QByteArray &bytes) override;
    QByteArray readAll() override;
    qint64 bytesWaiting() const override { return 0; }
    QString errorString() const override { return m_error; }

    // "19200,N,8,1", as a console tells the settings it holds a line at.
    static QString settingsText(const SerialSettings &settings);

private:
    // A connection the holder let go sooner than this after joining is not
    // joined again: the holder refuses it.
    static constexpr int kRejoinAfterMs = 1000;

    void join(std::unique_ptr<LocalChannel> channel);
    void gone(const QString &why);

    std::unique_ptr<LocalChannel> m_channel; // until opened
    std::unique_ptr<LineClient> m_client;
    QString m_device, m_holder, m_error;
    QString m_settings;
    int m_waiting = 0; // commands sent and not yet ended
    QElapsedTimer m_joined;
    QByteArray m_unsent, m_received;
    bool m_open = false;
};
