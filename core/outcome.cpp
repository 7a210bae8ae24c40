// SPDX-License-Identifier: GPL-3.0-or-later
#include "outcome.h"

QLatin1StringView nameOf(Outcome::Result result)
{
    switch (result) {
    case Outcome::Result::Answered:
        return QLatin1StringView("answered");
    case Outcome::Result::Refused:
        return QLatin1StringView("refused");
    case Outcome::Result::Silent:
        return QLatin1StringView("silent");
    case Outcome::Result::NotAttributable:
        return QLatin1StringView("not-attributable");
    case Outcome::Result::NotOwed:
        return QLatin1StringView("sent");
    case Outcome::Result::LineFailed:
        return QLatin1StringView("line-failed");
    }
    return {};
}
