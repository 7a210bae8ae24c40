// SPDX-License-Identifier: GPL-3.0-or-later
// The requests a console serving its line reads from its clients: whatever
// the bytes, a request read is within its bounds (one command, a known
// address, a hold of bounded time) and reads back the same once written.
#include "check.h"
#include "core/lineprotocol.h"
#include "targets.h"

#include <QRegularExpression>

namespace fuzz::requests {

void fuzzOne(const uint8_t *data, size_t size)
{
    const QByteArray line(reinterpret_cast<const char *>(data), qsizetype(size));
    QString why;
    qint64 id = 0;
    const std::optional<lineprotocol::Request> request
        = lineprotocol::decodeRequest(line, &why, &id);
    if (!request) {
        FUZZ_CHECK(!why.isEmpty(), QStringLiteral("refused without a reason"));
        return;
    }
    using Kind = lineprotocol::Request::Kind;
    static const QRegularExpression address(QStringLiteral("^(|AFFF|A00[1-4])$"));
    FUZZ_CHECK(address.match(request->address).hasMatch(),
               QStringLiteral("address %1 taken").arg(request->address));
    FUZZ_CHECK(request->id == id, QStringLiteral("the id told is not the request's"));
    if (request->kind == Kind::Hold)
        FUZZ_CHECK(request->ms >= 0 && request->ms <= lineprotocol::kLongestHoldMs,
                   QStringLiteral("a hold of %1 ms taken").arg(request->ms));
    if (request->kind == Kind::Text) {
        QString body = request->text;
        while (body.endsWith(u'\r') || body.endsWith(u'\n'))
            body.chop(1);
        FUZZ_CHECK(!body.contains(u'\r') && !body.contains(u'\n'),
                   QStringLiteral("a text of two commands taken"));
        FUZZ_CHECK(request->text.size() <= lineprotocol::kMaxTextLength,
                   QStringLiteral("a text of %1 characters taken").arg(request->text.size()));
    }
    const QByteArray written = lineprotocol::encode(*request);
    const std::optional<lineprotocol::Request> again = lineprotocol::decodeRequest(written, &why);
    FUZZ_CHECK(again && *again == *request,
               QStringLiteral("%1 reads back otherwise").arg(QString::fromUtf8(written)));
}

} // namespace fuzz::requests
