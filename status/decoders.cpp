// SPDX-License-Identifier: GPL-3.0-or-later
#include "decoders.h"

#include "replies.h"

namespace status {

namespace {

using Decoder = std::optional<QString> (*)(const QString &trace);

struct Query
{
    const char *code;
    Decoder decoder;
};

// In the order the decoders are tried; the codes differ, so at most one matches.
// "CR INFPFAIL" has no decoder: its reply is only shown on the RXD line.
const Query queries[] = {
    {"CR0", powerStatus},
    {"CR1", inputMode},
    {"CR4", reversal},
    {"CR3", [](const QString &trace) -> std::optional<QString> { return lampTime(trace); }},
    {"CR6", [](const QString &trace) -> std::optional<QString> { return temperatures(trace); }},
    {"CRA", muteAndSignal},
    {"CR9", [](const QString &trace) -> std::optional<QString> { return pcType(trace); }},
    {"CR PRESSURE",
     [](const QString &trace) -> std::optional<QString> { return pressureText(trace); }},
    {"CR7", lampMode},
};

} // namespace

std::optional<QString> decode(const QString &trace, const QString &sendText,
                              const QString &addressPrefix)
{
    // Compared in place: this runs on every reception.
    const QStringView sent(sendText);
    if (sent.size() <= addressPrefix.size() || !sent.startsWith(addressPrefix)
        || !sent.endsWith(QLatin1Char('\r')))
        return std::nullopt;
    const QStringView code = sent.mid(addressPrefix.size()).chopped(1);
    for (const Query &query : queries) {
        if (code == QLatin1StringView(query.code))
            return query.decoder(trace);
    }
    return std::nullopt;
}

} // namespace status
