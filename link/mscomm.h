// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commline.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <map>
#include <memory>

// The serial communications component of the window. It holds one port at a
// time: the number chosen (CommPort), its settings string (Settings), whether
// it is open (PortOpen); commands go out through Output, received characters
// come in through Input, announced by onComm() with CommEvent 2, after an event
// 1006 when characters before them were lost.
//
// A refused operation returns false and leaves errorDescription() naming the
// port, the device and the reason.
class MSComm : public QObject
{
    Q_OBJECT

public:
    enum Event : qint16 {
        comEvReceive = 2,
        comEventRxOver = 1006,   // characters were lost: more came than Input keeps
        comEventLineLost = 1012, // the device went away; the port has closed itself
    };

    // Makes the line that stands behind a port number; nullptr for none.
    using LineFactory = std::function<std::unique_ptr<CommLine>(int port)>;

    // Received characters kept between two reads of Input: the latest.
    static constexpr qsizetype kInputKept = 32767;
    // Receive events of a stream (this many characters in one arrival, more
    // than any reply has) follow each other no faster than a screen redraws.
    static constexpr int kReceivePaceMs = 16;
    static constexpr qsizetype kStreamingBytes = 256;

    explicit MSComm(LineFactory factory, QObject *parent = nullptr);
    ~MSComm() override;

    qint16 commPort() const { return m_commPort; }
    bool setCommPort(qint16 port);

    QString settings() const { return m_settingsText; }
    bool setSettings(const QString &text);

    bool portOpen() const;
    // The port is being opened in the background.
    bool portOpening() const;
    bool setPortOpen(bool open);

    bool setOutput(const QString &text);
    QString input();
    qint16 commEvent() const { return m_commEvent; }

    // Bytes written that have not yet left the computer.
    qint64 outBufferCount() const;

    // Characters a stream's pace holds back are announced now, for a driver
    // that steps the line itself instead of letting time pass.
    void raisePendingReceive();

    QString errorDescription() const { return m_error; }

    // What the description of a lost line advises; the window's port panel by default.
    void setLostAdvice(const QString &advice) { m_lostAdvice = advice; }

    // The line behind the current port, if one has been made.
    CommLine *line() const;

signals:
    void onComm();
    // Told once when the open port's device went away and the port closed.
    void lineLost(const QString &description);
    // The open line works, but not as asked (a server applied another speed).
    void lineWarning(const QString &description);
    // A port that opens in the background (a connection) is open now, or could
    // not be opened; errorDescription() says why.
    void portOpened();
    void openFailed(const QString &description);

private:
    bool fail(const QString &reason);
    QString portLabel() const;
    void collectInput(CommLine *from);
    // Reads the line after a stream's pause and tells what it holds.
    void raiseReceive();
    // Appends what the line holds to Input, keeping the latest characters.
    void takeInput();
    void announceInput();
    void onLineLost(const QString &reason);

    LineFactory m_factory;
    std::map<int, std::unique_ptr<CommLine>> m_lines;
    qint16 m_commPort = 1;
    QString m_settingsText = QStringLiteral("9600,N,8,1");
    SerialSettings m_settings;
    QByteArray m_inBuffer;
    bool m_inputLost = false; // characters before m_inBuffer's were dropped
    QElapsedTimer m_lastReceive;
    qsizetype m_lastReceiveSize = 0;
    QTimer m_receivePace;
    qint16 m_commEvent = 0;
    QString m_error;
    QString m_lostAdvice
        = QStringLiteral("Choose the port again in the port panel when it is back.");
};
