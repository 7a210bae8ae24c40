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
    for (const Query &query : queries) {
        if (sendText == addressPrefix + QLatin1String(query.code) + QLatin1Char('\r'))
            return query.decoder(trace);
    }
    return std::nullopt;
}

} // namespace status
