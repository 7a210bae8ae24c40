// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "commsettings.h"

#include <QByteArray>
#include <array>
#include <optional>

// The client side of a Telnet connection to a serial device server with COM
// port control (RFC 854, RFC 856, RFC 2217), without the socket: bytes from
// the server go in, data and the answers owed to the server come out.
class TelnetCodec
{
public:
    enum Command : quint8 {
        SE = 240,
        NOP = 241,
        SB = 250,
        WILL = 251,
        WONT = 252,
        DO = 253,
        DONT = 254,
        IAC = 255,
    };
    enum Option : quint8 { TransmitBinary = 0, SuppressGoAhead = 3, ComPortOption = 44 };
    enum ComPortCode : quint8 {
        SetBaudRate = 1,
        SetDataSize = 2,
        SetParity = 3,
        SetStopSize = 4,
        SetControl = 5,
    };
    // The server answers a COM port request with the request's code + 100.
    static constexpr quint8 kServerAnswer = 100;

    // What the server reports as applied on its port.
    struct ServerPort
    {
        std::optional<quint32> baudRate;
        std::optional<int> dataSize;
        std::optional<int> parity;   // 1 none, 2 odd, 3 even, 4 mark, 5 space
        std::optional<int> stopSize; // 1 one, 2 two, 3 one and a half
        std::optional<int> flow;     // 1 none, 2 XON/XOFF, 3 hardware
        std::optional<bool> dtr;
        std::optional<bool> rts;
    };

    enum class ComPort { NotAsked, Asked, Agreed, Refused };

    // The opening requests: WILL COM-PORT-OPTION, WILL and DO TRANSMIT-BINARY.
    QByteArray start();

    // Bytes from the server; returns the data among them. Answers owed to the
    // server wait in takeReplies().
    QByteArray receive(const QByteArray &bytes);
    QByteArray takeReplies() { return std::exchange(m_replies, {}); }

    // Data for the server: IAC doubled, and CR followed by NUL unless the
    // server has agreed to receive binary.
    QByteArray encodeData(const QByteArray &data) const;

    // The requests that set the server's port to `settings`: speed, data
    // bits, parity, stop bits, no flow control, DTR on, RTS off.
    static QByteArray settingsRequest(const SerialSettings &settings);

    // Negotiations (WILL, WONT, DO, DONT, sub-negotiations) received so far.
    quint64 negotiationsReceived() const { return m_negotiations; }

    ComPort comPort() const;
    bool sendsBinary() const { return m_local[TransmitBinary] == Yes; }
    bool receivesBinary() const { return m_remote[TransmitBinary] == Yes; }
    const ServerPort &serverPort() const { return m_server; }

private:
    enum OptionState : quint8 { No, WantYes, Yes };
    enum class Parse { Data, Iac, Negotiation, Sub, SubIac };
    static constexpr qsizetype kMaxSubnegotiation = 64;

    void parse(quint8 byte, QByteArray &data);
    void data(quint8 byte, QByteArray &data);
    void negotiate(quint8 command, quint8 option);
    void subnegotiation();
    void reply(quint8 command, quint8 option);

    std::array<OptionState, 256> m_local{};  // options this side performs
    std::array<OptionState, 256> m_remote{}; // options the server performs
    Parse m_parse = Parse::Data;
    quint8 m_command = 0;
    QByteArray m_sub;
    bool m_subOverflow = false;
    bool m_afterCr = false;
    bool m_started = false;
    QByteArray m_replies;
    ServerPort m_server;
    quint64 m_negotiations = 0;
};
