// SPDX-License-Identifier: GPL-3.0-or-later
#include "uart.h"

namespace sim {

namespace {

constexpr int FrameBits = 10; // start, 8 data, stop

} // namespace

double frameMicroseconds(int baud)
{
    return FrameBits * 1e6 / baud;
}

QList<Received> crossLine(const QByteArray &bytes, int sentBaud, int readBaud)
{
    QList<Received> out;
    if (sentBaud == readBaud || sentBaud <= 0 || readBaud <= 0) {
        const double frame = frameMicroseconds(sentBaud > 0 ? sentBaud : readBaud);
        for (qsizetype i = 0; i < bytes.size(); ++i)
            out.append({bytes.at(i), double(i + 1) * frame});
        return out;
    }
    // Time in ticks of 1 / (2 * sentBaud * readBaud) s: both bit times and the
    // middle of a received bit are whole numbers of them.
    const qint64 sentBit = 2 * qint64(readBaud);
    const qint64 readBit = 2 * qint64(sentBaud);
    const qint64 bits = bytes.size() * FrameBits;
    const auto level = [&](qint64 tick) {
        if (tick < 0 || tick >= bits * sentBit)
            return 1; // idle
        const qint64 bit = tick / sentBit;
        const qint64 within = bit % FrameBits;
        if (within == 0)
            return 0;
        if (within == FrameBits - 1)
            return 1;
        return (uchar(bytes.at(bit / FrameBits)) >> (within - 1)) & 1;
    };
    const double usPerTick = 1e6 / (2.0 * sentBaud * readBaud);

    qint64 from = 0;
    for (;;) {
        qint64 edge = -1;
        for (qint64 bit = (from + sentBit - 1) / sentBit; bit < bits; ++bit) {
            if (level(bit * sentBit) == 0 && level(bit * sentBit - 1) == 1) {
                edge = bit * sentBit;
                break;
            }
        }
        if (edge < 0)
            break;
        const qint64 middle = edge + readBit / 2;
        if (level(middle) != 0) { // a glitch, no start bit
            from = edge + 1;
            continue;
        }
        int byte = 0;
        for (int i = 0; i < 8; ++i)
            byte |= level(middle + (i + 1) * readBit) << i;
        const qint64 stop = middle + 9 * readBit;
        if (level(stop) == 1)
            out.append({char(byte), double(stop) * usPerTick});
        from = stop;
    }
    return out;
}

QByteArray received(const QList<Received> &characters)
{
    QByteArray bytes;
    for (const Received &character : characters)
        bytes.append(character.byte);
    return bytes;
}

} // namespace sim
