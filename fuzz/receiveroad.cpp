// SPDX-License-Identifier: GPL-3.0-or-later
// Bytes from the line through the serial component into the receive buffer, the RXD
// line and the decoders, with transmissions, reply-window and display-hold ticks,
// address changes and a lost line mixed in. Checked against a model of the buffer:
// the RXD line is always the trace of what arrived in the current reply window, noise
// included, the STATUS line what the decoders make of the reply to the latest command,
// which never begins with noise.
#include "check.h"
#include "forms.h"
#include "input.h"
#include "rig.h"

#include "targets.h"
#include <algorithm>
#include <optional>

#include "link/trace.h"
#include "status/decoders.h"
#include "status/values.h"
#include "tests/support/manualclock.h"

namespace fuzz::receiveroad {

namespace {

constexpr qsizetype bufferLimit = Traffic::kRecvBufferLimit;

using Console = Rig;

// The console as at start-up, its port open on a fresh line. Within an input no
// time passes; between inputs the line has long been quiet, so every command of
// the one before has settled.
Console &freshConsole()
{
    Rig::ensureApplication();
    static ManualClock clock;
    static Rig c(clock);
    QCoreApplication::sendPostedEvents();
    clock.advance(60000);
    probe(c.console).comm().setPortOpen(false);
    c.state() = WindowState();
    c.traffic().Timer4_Timer();
    probe(c.console).timer(2).stop();
    probe(c.console).timer(2).setInterval(500);
    probe(c.console).timer(4).setInterval(1000);
    probe(c.console).comm().setPortOpen(true);
    c.line->written.clear();
    c.line->writes.clear();
    return c;
}

// A sender's transmission: SendText set, then Hyouji mode 1.
bool transmit(Console &c, const QString &sendText)
{
    c.state().SendText = sendText;
    return c.traffic().Hyouji(sendText, 1);
}

// Bytes reach the port; the component announces them through the event loop.
void arrive(Console &c, const QByteArray &bytes)
{
    c.line->incoming += bytes;
    emit c.line->readyRead();
    QCoreApplication::sendPostedEvents(&probe(c.console).comm(), QEvent::MetaCall);
    probe(c.console).comm().raisePendingReceive(); // no time passes between inputs
}

void loseLine(Console &c)
{
    c.line->pullThePlug();
    QCoreApplication::sendPostedEvents(&probe(c.console).comm(), QEvent::MetaCall);
}

bool reopen(Console &c)
{
    return probe(c.console).comm().setPortOpen(true);
}

void tickReplyWindow(Console &c)
{
    c.traffic().Timer2_Timer();
}

void tickDisplayHold(Console &c)
{
    c.traffic().Timer4_Timer();
}

struct Shown
{
    QString txd, rxd, status, recvBuffer, sendText;
    quint8 replyPending;
    bool replyWindow, displayHold;
    QByteArray written;

    bool operator==(const Shown &) const = default;
};

Shown shownNow(Console &c)
{
    return {c.traffic().txd(),
            c.traffic().rxd(),
            c.traffic().status(),
            c.state().RecvBuffer,
            c.state().SendText,
            c.state().ReplyPending,
            probe(c.console).timer(2).isActive(),
            probe(c.console).timer(4).isActive(),
            c.line->written};
}

void setAddressPrefix(Console &c, const QString &prefix)
{
    c.console.chooseAddress(prefix);
}

QString addressPrefix(Console &c)
{
    return c.state().AddressPrefix;
}

QString latestReply(Console &c)
{
    return c.traffic().replies().latestReply();
}
// ---- End of the console's calls. ----

const char *const sentCodes[16] = {
    "CR0", "CR1",         "CR4", "CR3", "CR6",           "CRA", "CR9", "CR PRESSURE",
    "CR7", "CR INFPFAIL", "C00", "C09", "CF IMAGE REAL", "cr0", "",    "CR0 ",
};
const char *const prefixes[8] = {"", "AFFF", "A001", "A002", "A003", "A004", "", "A001"};

// Bytes of one arrival: a length byte and that many bytes; a length of 255 floods the
// line with the next byte's worth of copies of up to 1 KiB of what follows (past the
// buffer's limit from 129 bytes on).
QByteArray arrival(Input &in)
{
    const uint8_t length = in.byte();
    if (length != 255)
        return in.bytes(length);
    const int copies = in.byte();
    const QByteArray piece = in.bytes(1024);
    return piece.repeated(copies);
}

// What the road must hold: the buffer is the latest characters of the reply
// window, the RXD line their trace; the STATUS line changes only to what the
// decoders make of the reply to the latest command, which arrived after it.
void checkArrival(Console &c, const Shown &before, const QByteArray &bytes, QString *model,
                  const std::optional<QString> &sinceSent)
{
    const Shown after = shownNow(c);
    if (bytes.isEmpty()) {
        FUZZ_CHECK(after == before, QStringLiteral("an empty arrival changed the console"));
        return;
    }
    *model += QString::fromLatin1(bytes);
    if (model->size() > bufferLimit)
        model->remove(0, model->size() - bufferLimit);
    FUZZ_CHECK(
        after.recvBuffer == *model,
        QStringLiteral("buffer %1, expected %2").arg(shown(after.recvBuffer), shown(*model)));
    FUZZ_CHECK(after.replyPending == 0, QStringLiteral("a reply left ReplyPending set"));
    checkTraceForm(*model, after.rxd);

    const QString reply = latestReply(c);
    FUZZ_CHECK(!sinceSent || sinceSent->contains(reply),
               QStringLiteral("reply %1 did not arrive after %2")
                   .arg(shown(reply), shown(after.sendText)));
    // Noise before a reply is no part of it.
    FUZZ_CHECK(reply.isEmpty() || !status::beginsNoReply(reply.front()),
               QStringLiteral("reply %1 begins with noise").arg(shown(reply)));
    if (after.status != before.status) {
        const QString replyTrace = ::trace(reply);
        const std::optional<QString> decoded
            = status::decode(replyTrace, after.sendText, addressPrefix(c));
        checkDecoded(replyTrace, after.sendText, addressPrefix(c), decoded);
        FUZZ_CHECK(decoded && after.status == *decoded,
                   QStringLiteral("STATUS line %1 for the reply %2")
                       .arg(shown(after.status), shown(reply)));
    }
    FUZZ_CHECK(after.txd == before.txd && after.sendText == before.sendText
                   && after.replyWindow == before.replyWindow
                   && after.displayHold == before.displayHold && after.written == before.written,
               QStringLiteral("an arrival touched the sending side"));
}

void checkTransmission(Console &c, const Shown &before, const QString &sendText, bool sent,
                       bool open)
{
    const Shown after = shownNow(c);
    FUZZ_CHECK(sent == open, QStringLiteral("sent %1 on a port that is %2")
                                 .arg(shown(sendText), open ? "open" : "closed"));
    FUZZ_CHECK(after.recvBuffer == before.recvBuffer && after.rxd == before.rxd
                   && after.status == before.status,
               QStringLiteral("a transmission touched the receiving side"));
    if (!sent) {
        FUZZ_CHECK(after.txd == before.txd && after.replyPending == before.replyPending
                       && after.written == before.written,
                   QStringLiteral("a refused transmission showed or sent something"));
        return;
    }
    // The line is ASCII: what is not goes out as the "?" its trace shows.
    QByteArray ascii = sendText.toLatin1();
    std::replace_if(
        ascii.begin(), ascii.end(), [](char c) { return quint8(c) > 127; }, '?');
    FUZZ_CHECK(after.written == before.written + ascii,
               QStringLiteral("%1 did not go out as it is").arg(shown(sendText)));
    checkTraceForm(sendText, after.txd);
    FUZZ_CHECK(after.replyPending == 1 && after.replyWindow && after.displayHold,
               QStringLiteral("a transmission did not open the reply window and the hold"));
}

} // namespace

// A sequence of steps, each a byte and its operands:
//   0, 1: bytes arrive (see arrival())
//   2: a query or other command is sent (prefix and code from the next byte)
//   3: any text is sent (a length byte and that many bytes)
//   4: the reply window ends
//   5: the display hold ends
//   6: another projector is chosen (the next byte)
//   7: the line is lost and the port reopened, or (next byte odd) left closed
void fuzzOne(const uint8_t *data, size_t size)
{
    Input in(data, size);
    Console &c = freshConsole();
    QString model;
    // What arrived after the latest transmission of this input; the console
    // lives on from input to input, so before one nothing is known.
    std::optional<QString> sinceSent;
    bool open = true;

    while (!in.atEnd()) {
        const uint8_t step = in.byte();
        const Shown before = shownNow(c);
        switch (step & 7) {
        case 0:
        case 1: {
            const QByteArray bytes = arrival(in);
            arrive(c, bytes);
            if (open && sinceSent)
                *sinceSent += QString::fromLatin1(bytes);
            checkArrival(c, before, open ? bytes : QByteArray(), &model, sinceSent);
            break;
        }
        case 2:
        case 3: {
            const uint8_t choice = in.byte();
            const QString sendText
                = (step & 7) == 2
                      ? addressPrefix(c) + QLatin1String(sentCodes[choice & 15]) + QLatin1Char('\r')
                      : QString::fromLatin1(in.bytes(choice));
            const bool sent = transmit(c, sendText);
            if (sent)
                sinceSent = QString();
            checkTransmission(c, before, sendText, sent, open);
            break;
        }
        case 4: {
            tickReplyWindow(c);
            const Shown after = shownNow(c);
            model.clear();
            FUZZ_CHECK(after.recvBuffer.isEmpty() && after.replyPending == 0 && !after.replyWindow,
                       QStringLiteral("the end of the reply window left the buffer or the flag"));
            FUZZ_CHECK(
                after.rxd == (before.replyPending ? QStringLiteral(" X X X X") : before.rxd),
                QStringLiteral("RXD line %1 at the end of the reply window").arg(shown(after.rxd)));
            break;
        }
        case 5: {
            tickDisplayHold(c);
            const Shown after = shownNow(c);
            FUZZ_CHECK(after.txd.isEmpty() && after.rxd.isEmpty() && after.status.isEmpty()
                           && !after.displayHold,
                       QStringLiteral("the display hold left a line shown"));
            break;
        }
        case 6:
            setAddressPrefix(c, QLatin1String(prefixes[in.byte() & 7]));
            break;
        case 7: {
            if (!open)
                break;
            loseLine(c);
            FUZZ_CHECK(shownNow(c) == before, QStringLiteral("a lost line changed the display"));
            open = in.byte() % 2 == 0 && reopen(c);
            break;
        }
        }
    }
}

} // namespace fuzz::receiveroad
