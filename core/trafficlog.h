#pragma once

#include <QFile>
#include <QObject>

class Console;
class MSComm;

// Appends one line per transmission and per reception to a file: the local
// time with milliseconds, the port, TX or RX and the characters in trace form.
// Every line is handed to the system as soon as it is written, so a killed
// program leaves all lines up to its end.
class TrafficLog : public QObject
{
    Q_OBJECT

public:
    explicit TrafficLog(const QString &path, QObject *parent = nullptr);

    // Opens the file for appending; false with errorString() saying why.
    bool open();
    QString errorString() const;

    // Records what crosses the port of `comm` from now on.
    void follow(const Console &console);

    void write(const MSComm &comm, const char *direction, const QString &characters);

private:
    QFile m_file;
};
