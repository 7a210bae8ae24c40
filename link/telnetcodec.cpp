// SPDX-License-Identifier: GPL-3.0-or-later
#include "telnetcodec.h"

namespace {

bool performsLocally(quint8 option)
{
    return option == TelnetCodec::TransmitBinary || option == TelnetCodec::SuppressGoAhead
           || option == TelnetCodec::ComPortOption;
}

// Echo in particular is refused: it would return every command as a reply.
bool acceptsFromServer(quint8 option)
{
    return option == TelnetCodec::TransmitBinary || option == TelnetCodec::SuppressGoAhead;
}

QByteArray comPortRequest(quint8 code, const QByteArray &value)
{
    QByteArray out{"\xff\xfa", 2};
    out += char(TelnetCodec::ComPortOption);
    out += char(code);
    for (const char byte : value) {
        out += byte;
        if (quint8(byte) == TelnetCodec::IAC)
            out += byte;
    }
    return out + QByteArray("\xff\xf0", 2);
}

QByteArray oneByte(int value)
{
    return QByteArray(1, char(value));
}

} // namespace

QByteArray TelnetCodec::start()
{
    m_started = true;
    m_local[ComPortOption] = WantYes;
    m_local[TransmitBinary] = WantYes;
    m_remote[TransmitBinary] = WantYes;
    const char bytes[]
        = {char(IAC), char(WILL), char(ComPortOption), char(IAC), char(WILL), char(TransmitBinary),
           char(IAC), char(DO),   char(TransmitBinary)};
    return QByteArray(bytes, sizeof bytes);
}

TelnetCodec::ComPort TelnetCodec::comPort() const
{
    if (!m_started)
        return ComPort::NotAsked;
    switch (m_local[ComPortOption]) {
    case WantYes:
        return ComPort::Asked;
    case Yes:
        return ComPort::Agreed;
    default:
        return ComPort::Refused;
    }
}

QByteArray TelnetCodec::receive(const QByteArray &bytes)
{
    QByteArray out;
    out.reserve(bytes.size());
    for (const char byte : bytes)
        parse(quint8(byte), out);
    return out;
}

void TelnetCodec::parse(quint8 byte, QByteArray &out)
{
    switch (m_parse) {
    case Parse::Data:
        if (byte == IAC)
            m_parse = Parse::Iac;
        else
            data(byte, out);
        return;
    case Parse::Iac:
        m_parse = Parse::Data;
        if (byte == IAC) {
            data(byte, out);
        } else if (byte >= WILL) {
            m_command = byte;
            m_parse = Parse::Negotiation;
        } else if (byte == SB) {
            m_sub.clear();
            m_subOverflow = false;
            m_parse = Parse::Sub;
        }
        // Every other command (NOP, GA, a stray SE) carries nothing for us.
        return;
    case Parse::Negotiation:
        m_parse = Parse::Data;
        negotiate(m_command, byte);
        return;
    case Parse::Sub:
        if (byte == IAC) {
            m_parse = Parse::SubIac;
        } else if (m_sub.size() < kMaxSubnegotiation) {
            m_sub += char(byte);
        } else {
            m_subOverflow = true;
        }
        return;
    case Parse::SubIac:
        if (byte == IAC) {
            m_parse = Parse::Sub;
            if (m_sub.size() < kMaxSubnegotiation)
                m_sub += char(byte);
            else
                m_subOverflow = true;
        } else if (byte == SE) {
            m_parse = Parse::Data;
            if (!m_subOverflow)
                subnegotiation();
        } else {
            // An unterminated sub-negotiation: dropped, the command read as one.
            m_parse = Parse::Iac;
            parse(byte, out);
        }
        return;
    }
}

void TelnetCodec::data(quint8 byte, QByteArray &out)
{
    // Without binary mode a server sends a bare CR as CR NUL.
    const bool stuffedNul = byte == 0 && m_afterCr && !receivesBinary();
    m_afterCr = byte == '\r';
    if (!stuffedNul)
        out += char(byte);
}

void TelnetCodec::reply(quint8 command, quint8 option)
{
    m_replies += char(IAC);
    m_replies += char(command);
    m_replies += char(option);
}

// A request for a state the option is already in is not answered, and an
// answer to our own request is never answered again (RFC 854).
void TelnetCodec::negotiate(quint8 command, quint8 option)
{
    ++m_negotiations;
    const bool enable = command == WILL || command == DO;
    const bool local = command == DO || command == DONT;
    OptionState &state = local ? m_local[option] : m_remote[option];
    const quint8 agree = local ? WILL : DO;
    const quint8 refuse = local ? WONT : DONT;

    if (enable) {
        if (state == Yes)
            return;
        if (state == WantYes) {
            state = Yes;
            return;
        }
        if (local ? performsLocally(option) : acceptsFromServer(option)) {
            state = Yes;
            reply(agree, option);
        } else {
            reply(refuse, option);
        }
        return;
    }
    if (state == Yes)
        reply(refuse, option);
    state = No;
}

void TelnetCodec::subnegotiation()
{
    ++m_negotiations;
    if (m_sub.size() < 2 || quint8(m_sub.at(0)) != ComPortOption)
        return;
    const int code = quint8(m_sub.at(1)) - kServerAnswer;
    const QByteArray value = m_sub.mid(2);
    if (code == SetBaudRate && value.size() == 4) {
        m_server.baudRate = quint32(quint8(value[0])) << 24 | quint32(quint8(value[1])) << 16
                            | quint32(quint8(value[2])) << 8 | quint32(quint8(value[3]));
        return;
    }
    if (value.size() != 1)
        return;
    const int v = quint8(value[0]);
    switch (code) {
    case SetDataSize:
        m_server.dataSize = v;
        break;
    case SetParity:
        m_server.parity = v;
        break;
    case SetStopSize:
        m_server.stopSize = v;
        break;
    case SetControl:
        if (v >= 1 && v <= 3)
            m_server.flow = v;
        else if (v == 8 || v == 9)
            m_server.dtr = v == 8;
        else if (v == 11 || v == 12)
            m_server.rts = v == 11;
        break;
    default:
        break;
    }
}

QByteArray TelnetCodec::encodeData(const QByteArray &data) const
{
    QByteArray out;
    out.reserve(data.size() + 8);
    for (qsizetype i = 0; i < data.size(); ++i) {
        const char byte = data.at(i);
        out += byte;
        if (quint8(byte) == IAC)
            out += byte;
        else if (byte == '\r' && !sendsBinary() && (i + 1 == data.size() || data.at(i + 1) != '\n'))
            out += '\0';
    }
    return out;
}

QByteArray TelnetCodec::settingsRequest(const SerialSettings &s)
{
    using P = SerialSettings::Parity;
    using S = SerialSettings::StopBits;
    const quint32 baud = quint32(s.baudRate);
    const char speed[] = {char(baud >> 24), char(baud >> 16), char(baud >> 8), char(baud)};
    const int parity = s.parity == P::None   ? 1
                       : s.parity == P::Odd  ? 2
                       : s.parity == P::Even ? 3
                       : s.parity == P::Mark ? 4
                                             : 5;
    const int stop = s.stopBits == S::One ? 1 : s.stopBits == S::Two ? 2 : 3;
    return comPortRequest(SetBaudRate, QByteArray(speed, 4))
           + comPortRequest(SetDataSize, oneByte(s.dataBits))
           + comPortRequest(SetParity, oneByte(parity)) + comPortRequest(SetStopSize, oneByte(stop))
           + comPortRequest(SetControl, oneByte(1))   // no flow control
           + comPortRequest(SetControl, oneByte(8))   // DTR on
           + comPortRequest(SetControl, oneByte(12)); // RTS off
}
