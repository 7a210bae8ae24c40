// SPDX-License-Identifier: GPL-3.0-or-later
// Any reply text through the status decoders, after any query and address prefix.
#include "status/decoders.h"
#include "check.h"
#include "forms.h"
#include "input.h"
#include "link/trace.h"
#include "targets.h"

namespace fuzz::decoders {

namespace {

// The nine decoded queries, then texts that must select no decoder.
const char *const sentCodes[16] = {
    "CR0", "CR1",         "CR4", "CR3", "CR6",  "CRA", "CR9",        "CR PRESSURE",
    "CR7", "CR INFPFAIL", "C00", "cr0", "CR0 ", "CR",  "CR PRESSUR", "",
};

const char *const prefixes[8] = {"", "AFFF", "A001", "A002", "A003", "A004", "A000", "a001"};

} // namespace

// Byte 0: the code sent (low 4 bits), the prefix it was sent with (next 3 bits) and
// whether another prefix has been chosen since (top bit). Byte 1, bit 0: the rest is
// received bytes, shown as their trace; or, set, a text of any characters taken as
// the trace itself. The rest: the reply.
void fuzzOne(const uint8_t *data, size_t size)
{
    Input in(data, size);
    const uint8_t query = in.byte();
    const uint8_t form = in.byte();
    const QString sentPrefix = QLatin1String(prefixes[(query >> 4) & 7]);
    const QString prefixNow = QLatin1String(prefixes[((query >> 4) + (query >> 7)) & 7]);
    const QString sendText = sentPrefix + QLatin1String(sentCodes[query & 15]) + QLatin1Char('\r');
    const QByteArray reply = in.rest();
    const QString shownTrace = form & 1 ? Input::utf16(reply) : ::trace(QString::fromLatin1(reply));

    checkDecoded(shownTrace, sendText, prefixNow, status::decode(shownTrace, sendText, prefixNow));
}

} // namespace fuzz::decoders
