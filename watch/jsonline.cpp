// SPDX-License-Identifier: GPL-3.0-or-later
#include "jsonline.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace watch {

namespace {

QJsonArray lamps(int mask)
{
    QJsonArray numbers;
    for (int lamp = 1; lamp <= 4; ++lamp) {
        if (mask & (1 << (lamp - 1)))
            numbers.append(lamp);
    }
    return numbers;
}

template<typename T>
void put(QJsonObject &o, const char *key, const std::optional<T> &value)
{
    if (value)
        o.insert(QLatin1String(key), *value);
}

} // namespace

QByteArray jsonLine(const Reading &r)
{
    QJsonObject o;
    o.insert(QLatin1String("line"), r.line);
    o.insert(QLatin1String("address"), r.address == 0 ? QJsonValue(QStringLiteral("single")) : QJsonValue(r.address));
    o.insert(QLatin1String("round"), qint64(r.round));
    o.insert(QLatin1String("up"), r.up);
    if (r.lastAnswer.isValid())
        o.insert(QLatin1String("last_answer"), r.lastAnswer.toString(Qt::ISODateWithMs));
    if (r.up)
        o.insert(QLatin1String("reply_seconds"), r.replySeconds);
    put(o, "power", r.power);
    put(o, "input", r.input);
    put(o, "signal", r.signal);
    put(o, "video_mute", r.videoMute);
    put(o, "audio_mute", r.audioMute);
    put(o, "reversed_top_bottom", r.flipTopBottom);
    put(o, "reversed_left_right", r.flipLeftRight);
    put(o, "lamp_hours", r.lampHours);
    put(o, "temperature1_celsius", r.temperature1);
    put(o, "temperature2_celsius", r.temperature2);
    put(o, "pressure_hectopascals", r.pressureHpa);
    put(o, "lamp_mode", r.lampMode);
    if (r.lampsOn)
        o.insert(QLatin1String("lamps_on"), lamps(*r.lampsOn));
    if (r.lampsFailed)
        o.insert(QLatin1String("lamps_failed"), lamps(*r.lampsFailed));
    return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace watch
