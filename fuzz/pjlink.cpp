// SPDX-License-Identifier: GPL-3.0-or-later
// Lines a PJLink client sends the gateway, before or after authentication:
// every line is read as a request, a garbled request or nothing; a request is
// planned as commands the catalogue has, and every answer it can get is one
// answer line of its own header, whatever the projector's outcomes.
#include "check.h"
#include "core/catalogue.h"
#include "gateway/pjlinkplan.h"
#include "input.h"
#include "targets.h"

namespace fuzz::pjlink {

namespace {

void checkAnswer(const QByteArray &answer, const ::pjlink::Request &request, const QByteArray &line)
{
    const QByteArray header = '%' + QByteArray(1, request.cls) + request.body + '=';
    FUZZ_CHECK(answer.startsWith(header) && answer.endsWith('\r') && answer.count('\r') == 1
                   && !answer.contains('\n') && answer.size() <= 6 + 1 + 136,
               QStringLiteral("%1 answered %2")
                   .arg(shown(QString::fromLatin1(line)), shown(QString::fromLatin1(answer))));
}

} // namespace

void fuzzOne(const uint8_t *data, size_t size)
{
    Input in(data, size);
    const QByteArray line = in.rest();
    const ::pjlink::Parsed parsed = ::pjlink::parseLine(line);
    if (parsed.kind == ::pjlink::Parsed::Kind::Unreadable)
        return;
    const ::pjlink::Request &request = parsed.request;
    FUZZ_CHECK(request.body.size() == 4 && request.body == request.body.toUpper(),
               QStringLiteral("body %1").arg(shown(QString::fromLatin1(request.body))));
    FUZZ_CHECK(parsed.digest.isEmpty() || parsed.digest.size() == 32,
               QStringLiteral("digest %1").arg(shown(QString::fromLatin1(parsed.digest))));
    checkAnswer(::pjlink::answer(request, ::pjlink::Error::Undefined), request, line);
    if (parsed.kind != ::pjlink::Parsed::Kind::Request)
        return;
    const ::pjlink::Profile profile = ::pjlink::defaultProfile(QString::fromLatin1(line), 1);
    const ::pjlink::Plan plan = ::pjlink::plan(request, profile);
    FUZZ_CHECK(plan.immediate.isEmpty() != plan.buttons.isEmpty(),
               QStringLiteral("%1 planned neither or both").arg(shown(QString::fromLatin1(line))));
    if (!plan.immediate.isEmpty()) {
        checkAnswer(plan.immediate, request, line);
        return;
    }
    for (const QString &button : plan.buttons)
        FUZZ_CHECK(commands::findOneShot(button), QStringLiteral("no button %1").arg(button));
    // Every way the commands can end: each result, with and without a value.
    for (const Outcome::Result result :
         {Outcome::Result::Answered, Outcome::Result::Refused, Outcome::Result::Silent,
          Outcome::Result::NotAttributable, Outcome::Result::LineFailed}) {
        QList<Outcome> outcomes(plan.buttons.size());
        for (Outcome &outcome : outcomes)
            outcome.result = result;
        checkAnswer(::pjlink::answerFrom(request, profile, outcomes), request, line);
        outcomes.back().value = status::LampHours{99999999};
        checkAnswer(::pjlink::answerFrom(request, profile, outcomes), request, line);
    }
}

} // namespace fuzz::pjlink
