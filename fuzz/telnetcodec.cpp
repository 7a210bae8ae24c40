// SPDX-License-Identifier: GPL-3.0-or-later
// The Telnet / RFC 2217 codec: data sent through it comes back unchanged, and
// what the server sends is read the same however the bytes are cut.
#include "link/telnetcodec.h"
#include "check.h"
#include "input.h"
#include "targets.h"

namespace fuzz::telnetcodec {

namespace {

QString hex(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' '));
}

} // namespace

// Byte 0, bit 0: the rest is data the console sends, which a codec at the far
// end must read back as it was. Clear: the rest comes from the server, read
// once whole and once a byte at a time; both reads give the same data, the
// same answers, and answers that are Telnet commands.
void fuzzOne(const uint8_t *data, size_t size)
{
    Input in(data, size);
    const bool sent = in.byte() & 1;
    const QByteArray bytes = in.rest();

    if (sent) {
        TelnetCodec console;
        TelnetCodec far;
        const QByteArray back = far.receive(console.encodeData(bytes));
        FUZZ_CHECK(back == bytes, QStringLiteral("%1 came back as %2").arg(hex(bytes), hex(back)));
        return;
    }

    TelnetCodec whole;
    TelnetCodec piecewise;
    whole.start();
    piecewise.start();
    const QByteArray wholeData = whole.receive(bytes);
    QByteArray pieceData;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        pieceData += piecewise.receive(QByteArray::fromRawData(bytes.constData() + i, 1));
    FUZZ_CHECK(
        wholeData == pieceData,
        QStringLiteral("%1 read as %2 and %3").arg(hex(bytes), hex(wholeData), hex(pieceData)));
    FUZZ_CHECK(wholeData.size() <= bytes.size(), QStringLiteral("more data than bytes"));
    const QByteArray answers = whole.takeReplies();
    FUZZ_CHECK(answers == piecewise.takeReplies(), QStringLiteral("answers differ"));
    FUZZ_CHECK(answers.isEmpty() || uchar(answers.front()) == TelnetCodec::IAC,
               QStringLiteral("answer %1 is no Telnet command").arg(hex(answers)));
}

} // namespace fuzz::telnetcodec
