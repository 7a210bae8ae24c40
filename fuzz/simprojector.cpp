// SPDX-License-Identifier: GPL-3.0-or-later
// Command bytes into the simulated projector line, with time passing and faults set
// up: only the addressed projector answers, and every reply to a status query decodes
// in the console to a table text or its formatted form.
#include "check.h"
#include "forms.h"
#include "input.h"
#include "link/trace.h"
#include "sim/projectormodel.h"
#include "status/decoders.h"
#include "targets.h"

namespace fuzz::simprojector {

namespace {

// Codes of the console's buttons, so that runs reach the powered-on states fast.
const char *const buttonCodes[] = {
    "C00",
    "C01",
    "CR0",
    "CR1",
    "CR3",
    "CR4",
    "CR6",
    "CR7",
    "CR9",
    "CRA",
    "CR PRESSURE",
    "CR INFPFAIL",
    "C05",
    "C06",
    "C07",
    "C08",
    "C0B",
    "C0C",
    "C0D",
    "C0E",
    "C1C",
    "C1D",
    "C43",
    "C44",
    "C70",
    "C71",
    "C72",
    "C09",
    "C0A",
    "CF IMAGE REAL",
    "CF FANSPEED MAX",
    "CF INPUT1 DIGITAL",
    "CF INPUT2 HD-SDI",
};
const char *const prefixes[8] = {"", "AFFF", "A001", "A002", "A003", "A004", "A005", "A00"};

// The projector a command text is for: 1 without an address, 0 for none.
int addressee(const QByteArray &text)
{
    if (!text.startsWith('A'))
        return 1;
    const QByteArray address = text.left(4);
    return address.size() == 4 && address >= "A001" && address <= "A004" ? address.at(3) - '0' : 0;
}

// A command as it arrived, and whether its projector could still queue it.
struct Arrived
{
    QByteArray text;
    bool answered;
};

void checkReplies(const QList<Arrived> &commands, const QList<sim::Reply> &replies)
{
    qsizetype next = 0;
    for (const auto &[command, answered] : commands) {
        if (!answered)
            continue;
        FUZZ_CHECK(next < replies.size(),
                   QStringLiteral("no reply to ") + shown(QString::fromLatin1(command)));
        const sim::Reply &reply = replies.at(next++);
        FUZZ_CHECK(reply.bytes.endsWith('\r') && reply.delayMs >= 0,
                   shown(QString::fromLatin1(reply.bytes)));

        const bool addressed = command.startsWith('A');
        const QString prefix = addressed ? QString::fromLatin1(command.left(4)) : QString();
        const QByteArray code = addressed ? command.mid(4) : command;
        const QString sendText = QString::fromLatin1(command) + QLatin1Char('\r');
        for (const char *query : decodedQueries) {
            if (code != query)
                continue;
            const QString shownTrace = ::trace(QString::fromLatin1(reply.bytes));
            const std::optional<QString> decoded = status::decode(shownTrace, sendText, prefix);
            FUZZ_CHECK(decoded, QStringLiteral("the reply %1 to %2 does not decode")
                                    .arg(shown(shownTrace), shown(sendText)));
            checkDecoded(shownTrace, sendText, prefix, decoded);
        }
    }
    FUZZ_CHECK(next == replies.size(), QStringLiteral("%1 replies to %2 commands that are answered")
                                           .arg(replies.size())
                                           .arg(next));
}

} // namespace

// A sequence of steps, each a byte and its operands:
//   0: raw bytes arrive (a length byte, then that many bytes)
//   1: a button's command arrives (prefix and code chosen by the next byte)
//   2: time passes (the next byte times 50 ms)
//   3: a projector's condition changes (failed lamps, signal, pressure, temperatures)
void fuzzOne(const uint8_t *data, size_t size)
{
    Input in(data, size);
    sim::ProjectorModel model;
    QList<Arrived> commands;
    qint64 nowMs = 0;
    model.setCommandHook([&](const QByteArray &text) {
        const int number = addressee(text);
        commands.append({text, number > 0 && model.canQueue(number, nowMs)});
    });

    while (!in.atEnd()) {
        const uint8_t step = in.byte();
        QByteArray arriving;
        switch (step & 3) {
        case 0:
            arriving = in.bytes(in.byte());
            break;
        case 1: {
            const uint8_t choice = in.byte();
            arriving = QByteArray(prefixes[choice >> 5])
                       + buttonCodes[(choice & 31) % std::size(buttonCodes)] + '\r';
            break;
        }
        case 2:
            nowMs += in.byte() * 50;
            model.advanceTo(nowMs);
            break;
        case 3: {
            sim::ProjectorState &state = model.projector(((step >> 2) & 3) + 1).state();
            const quint16 value = in.word();
            switch ((step >> 4) & 3) {
            case 0:
                state.failedLamps = value & 0xF;
                break;
            case 1:
                state.signalPresent = value & 1;
                break;
            case 2:
                state.pressureReading = qint16(value);
                break;
            case 3:
                state.temperature1Tenths = qint16(value);
                state.temperature2Tenths = qint16(value) / 2;
                break;
            }
            break;
        }
        }
        if (arriving.isEmpty())
            continue;
        commands.clear();
        const QList<sim::Reply> replies = model.feed(arriving, nowMs);
        checkReplies(commands, replies);
    }
}

} // namespace fuzz::simprojector
