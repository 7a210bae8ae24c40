// SPDX-License-Identifier: GPL-3.0-or-later
// Stand-in until the status decoders give typed values.
#include "reading.h"

#include "link/trace.h"
#include "status/decoders.h"

#include <QRegularExpression>

namespace watch {

void take(Reading &r, Query query, const QString &reply)
{
    const QString body = reply.trimmed();
    static const QHash<QString, QString> power = {
        {"00", "on"}, {"80", "standby"}, {"40", "countdown"}, {"20", "cooling"},
        {"10", "power_fail"}, {"08", "temperature_warning"}, {"02", "no_key_input"},
        {"04", "lamp_off_power_management"}, {"28", "temperature_warning_cooling"},
        {"24", "lamp_off_temperature_warning"}, {"88", "temperature_warning_recovered"},
        {"21", "cooling_all_lamps_failed"}, {"81", "standby_all_lamps_failed"}};
    bool ok = false;
    switch (query) {
    case Query::Power:
        if (power.contains(body.left(2)))
            r.power = power.value(body.left(2));
        break;
    case Query::Input:
        if (body.size() >= 1 && body[0] >= '1' && body[0] <= '4')
            r.input = body[0].digitValue();
        break;
    case Query::MuteSignal:
        if (body == "FF")
            break;
        r.signal = body != "80";
        if (body.size() == 2 && body[0] == '0') {
            r.videoMute = body[1].digitValue() & 1;
            r.audioMute = body[1].digitValue() & 2;
        }
        break;
    case Query::Reversal:
        if (body.size() >= 2) {
            r.flipLeftRight = body[0] == '0';
            r.flipTopBottom = body[1] == '0';
        }
        break;
    case Query::LampTime:
        if (const qint64 h = body.toLongLong(&ok); ok)
            r.lampHours = h;
        break;
    case Query::Temperatures: {
        static const QRegularExpression two(R"(^([+-]?\d+(?:\.\d+)?),\s*([+-]?\d+(?:\.\d+)?))");
        if (const auto m = two.match(body); m.hasMatch()) {
            r.temperature1 = m.captured(1).toDouble();
            r.temperature2 = m.captured(2).toDouble();
        }
        break;
    }
    case Query::Pressure:
        r.pressureHpa = status::pressureText(trace(reply)).section(' ', 0, 0).toInt();
        break;
    case Query::LampMode:
        if (body.size() >= 2 && body[0] >= '0' && body[0] <= '2') {
            r.lampMode = QString::fromLatin1(lampModes()[body[0].digitValue()]);
            r.lampsOn = body[1].digitValue();
        }
        break;
    case Query::LampFailures: {
        if (body == "NO FAIL")
            r.lampsFailed = 0;
        else if (body.startsWith("LAMP FAIL No")) {
            int mask = 0;
            for (const QString &n : body.mid(12).split(','))
                mask |= 1 << (n.toInt() - 1);
            r.lampsFailed = mask;
        }
        break;
    }
    }
}

} // namespace watch
