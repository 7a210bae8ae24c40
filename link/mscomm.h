#pragma once

#include "commline.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>

// The serial communications component of the window. It holds one port at a
// time: the number chosen (CommPort), its settings string (Settings), whether
// it is open (PortOpen); commands go out through Output, received characters
// come in through Input, announced by onComm() with CommEvent 2.
//
// A refused operation returns false and leaves errorDescription() naming the
// port, the device and the reason.
class MSComm : public QObject
{
    Q_OBJECT

public:
    enum Event : qint16 {
        comEvReceive = 2,
        comEventLineLost = 1012, // the device went away; the port has closed itself
    };

    // Makes the line that stands behind a port number; nullptr for none.
    using LineFactory = std::function<std::unique_ptr<CommLine>(int port)>;

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

    QString errorDescription() const { return m_error; }

    // The line behind the current port, if one has been made.
    CommLine *line() const;

signals:
    void onComm();
    // Told once when the open port's device went away and the port closed.
    void lineLost(const QString &description);
    // A port that opens in the background (a connection) is open now, or could
    // not be opened; errorDescription() says why.
    void portOpened();
    void openFailed(const QString &description);

private:
    bool fail(const QString &reason);
    QString portLabel() const;
    void collectInput(CommLine *from);
    void onLineLost(const QString &reason);

    LineFactory m_factory;
    std::map<int, std::unique_ptr<CommLine>> m_lines;
    qint16 m_commPort = 1;
    QString m_settingsText = QStringLiteral("9600,N,8,1");
    SerialSettings m_settings;
    QByteArray m_inBuffer;
    qint16 m_commEvent = 0;
    QString m_error;
};
