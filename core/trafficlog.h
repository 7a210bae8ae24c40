// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rxlines.h"

#include <QElapsedTimer>
#include <QFile>
#include <QObject>
#include <QTimer>
#include <functional>

class Console;
class LineClient;
class MSComm;

// Appends one line per transmission and per reply to a file: the local time
// with milliseconds, the port, TX or RX and the characters in trace form (RX
// lines in the bounded form of RxLines). Every line is handed to the system in
// one write as soon as it is due, so a killed program leaves all lines up to
// its end; a line that does not fit is taken back whole, never left torn. A
// log moved or deleted while it is written (as log rotation does) is opened
// again by its name.
class TrafficLog : public QObject
{
    Q_OBJECT

public:
    explicit TrafficLog(const QString &path, QObject *parent = nullptr);
    ~TrafficLog() override;

    // Opens the file for appending; false with errorString() saying why.
    bool open();
    QString errorString() const;

    // Records what crosses the port of `comm` from now on.
    void follow(Console &console);
    // The traffic of a client's own commands through a console serving the line.
    void follow(LineClient &client);

    bool failedOnce() const { return m_failedOnce; }
    // Writes the reply still being received, as the end of its window does.
    void flush();

    // Who sent the command of an intent ("pid 4242 (projector-ctl), uid 0");
    // empty: the operator.
    void setSenderOf(std::function<QString(quint64 intent)> senderOf)
    {
        m_senderOf = std::move(senderOf);
    }

signals:
    // A line could not be written; told once for each spell of failures.
    void failed(const QString &description);

private:
    void transmitted(const QString &text, quint64 intent);
    void arrived(const QString &characters);
    void write(const char *direction, const QStringList &traces);
    bool writeLine(const QByteArray &line);
    bool reopenIfMoved();
    void fail(const QString &why);

    QString m_path;
    QFile m_file;
    const MSComm *m_comm = nullptr;
    int m_port = 1; // of the latest line
    RxLines m_rx;
    QElapsedTimer m_clock;
    QTimer m_due;
    QString m_openError;
    bool m_failing = false;
    bool m_failedOnce = false;
    QString m_sender;
    std::function<QString(quint64)> m_senderOf;
};
