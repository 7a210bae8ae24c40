// SPDX-License-Identifier: GPL-3.0-or-later
#include "exposition.h"

#include <functional>

namespace watch {

namespace {

QString escaped(QString value)
{
    return value.replace('\\', QLatin1String("\\\\"))
        .replace('"', QLatin1String("\\\""))
        .replace('\n', QLatin1String("\\n"));
}

QString number(double value)
{
    return QString::number(value, 'g', 15);
}

struct Family
{
    const char *name;
    const char *type;
    const char *help;
    QString samples;
};

// One metric family: its samples, then its HELP and TYPE lines if it has any.
class Writer
{
public:
    void family(const char *name, const char *type, const char *help)
    {
        m_families.append({name, type, help, {}});
    }
    void sample(const QString &labels, double value)
    {
        Family &f = m_families.last();
        f.samples
            += QStringLiteral("%1{%2} %3\n").arg(QLatin1String(f.name), labels, number(value));
    }
    QString text() const
    {
        QString out;
        for (const Family &f : m_families) {
            if (f.samples.isEmpty())
                continue;
            out += QStringLiteral("# HELP %1 %2\n# TYPE %1 %3\n")
                       .arg(QLatin1String(f.name), QLatin1String(f.help), QLatin1String(f.type));
            out += f.samples;
        }
        return out;
    }

private:
    QList<Family> m_families;
};

QString projectorLabels(const Reading &r)
{
    return QStringLiteral("line=\"%1\",address=\"%2\"")
        .arg(escaped(r.line), addressName(r.address));
}

QString withLabel(const QString &labels, const char *name, const QString &value)
{
    return QStringLiteral("%1,%2=\"%3\"").arg(labels, QLatin1String(name), value);
}

using Each = std::function<void(const Reading &, const QString &labels)>;

} // namespace

QString exposition(const QList<Reading> &readings, const QList<LineRounds> &lines)
{
    Writer w;
    QStringList labels;
    for (const Reading &r : readings)
        labels << projectorLabels(r);
    const auto each = [&](const char *name, const char *help, const Each &add, bool upOnly = true) {
        w.family(name, "gauge", help);
        for (qsizetype i = 0; i < readings.size(); ++i) {
            if (readings.at(i).up || !upOnly)
                add(readings.at(i), labels.at(i));
        }
    };

    each(
        "projector_up",
        "1 if the projector answered its power status query in the latest round, else 0.",
        [&](const Reading &r, const QString &labels) { w.sample(labels, r.up ? 1 : 0); }, false);
    each(
        "projector_last_answer_timestamp_seconds",
        "When the projector last answered, in seconds since the epoch.",
        [&](const Reading &r, const QString &labels) {
            if (r.lastAnswer.isValid())
                w.sample(labels, r.lastAnswer.toMSecsSinceEpoch() / 1000.0);
        },
        false);
    each("projector_reply_duration_seconds",
         "Time from the power status query to its complete reply.",
         [&](const Reading &r, const QString &labels) { w.sample(labels, r.replySeconds); });
    each("projector_power_state", "Power state: 1 for the current state, 0 for the others.",
         [&](const Reading &r, const QString &labels) {
             if (!r.power)
                 return;
             for (int s = 0; s <= int(status::PowerState::StandbyAllLampsFailed); ++s) {
                 const auto state = status::PowerState(s);
                 w.sample(withLabel(labels, "state", status::nameOf(state)), *r.power == state);
             }
         });
    each("projector_power_status_bit",
         "Bits of the power status byte: 1 for each state the projector reports.",
         [&](const Reading &r, const QString &labels) {
             if (!r.power && !r.powerBits)
                 return;
             const quint8 code = r.powerBits ? *r.powerBits : status::codeOf(*r.power);
             w.sample(withLabel(labels, "bit", QLatin1String("standby")), (code & 0x80) != 0);
             for (const auto &[bit, name] : status::powerBits())
                 w.sample(withLabel(labels, "bit", name), (code & bit) != 0);
         });
    each("projector_input_mode", "Selected input mode, 1 to 4.",
         [&](const Reading &r, const QString &labels) {
             if (r.input)
                 w.sample(labels, *r.input);
         });
    // In standby the projector tells neither signal nor mutes; without a signal, no mutes.
    using status::MuteSignal;
    const auto known
        = [](const Reading &r) { return r.muteSignal && *r.muteSignal != MuteSignal::Standby; };
    const auto muted
        = [known](const Reading &r) { return known(r) && *r.muteSignal != MuteSignal::NoSignal; };
    each("projector_signal_present", "1 if a source signal is present on the selected input.",
         [&](const Reading &r, const QString &labels) {
             if (known(r))
                 w.sample(labels, *r.muteSignal != MuteSignal::NoSignal);
         });
    each("projector_video_mute", "1 if the picture is muted.",
         [&](const Reading &r, const QString &labels) {
             if (muted(r))
                 w.sample(labels, *r.muteSignal == MuteSignal::Video
                                      || *r.muteSignal == MuteSignal::VideoAndAudio);
         });
    each("projector_audio_mute", "1 if the sound is muted.",
         [&](const Reading &r, const QString &labels) {
             if (muted(r))
                 w.sample(labels, *r.muteSignal == MuteSignal::Audio
                                      || *r.muteSignal == MuteSignal::VideoAndAudio);
         });
    each(
        "projector_image_reversed", "1 if the image is reversed along the axis.",
        [&](const Reading &r, const QString &labels) {
            if (!r.reversal)
                return;
            w.sample(withLabel(labels, "axis", QLatin1String("top_bottom")), r.reversal->topBottom);
            w.sample(withLabel(labels, "axis", QLatin1String("left_right")), r.reversal->leftRight);
        });
    // The projector counts whole hours; Prometheus wants the base unit.
    each("projector_lamp_time_seconds",
         "Lamp time reported by the projector (counted in whole hours).",
         [&](const Reading &r, const QString &labels) {
             if (r.lampHours)
                 w.sample(labels, double(*r.lampHours) * 3600);
         });
    each("projector_temperature_celsius", "Temperature at the projector's sensors.",
         [&](const Reading &r, const QString &labels) {
             if (!r.temperatures)
                 return;
             w.sample(withLabel(labels, "sensor", QLatin1String("1")), r.temperatures->sensor1);
             w.sample(withLabel(labels, "sensor", QLatin1String("2")), r.temperatures->sensor2);
         });
    each("projector_pressure_hectopascals", "Air pressure at the projector.",
         [&](const Reading &r, const QString &labels) {
             if (r.pressureHpa)
                 w.sample(labels, double(*r.pressureHpa));
         });
    each("projector_lamp_mode", "Lamp mode: 1 for the current mode, 0 for the others.",
         [&](const Reading &r, const QString &labels) {
             if (!r.lampMode)
                 return;
             for (int mode = 0; mode < 3; ++mode)
                 w.sample(withLabel(labels, "mode", lampModeName(mode)), r.lampMode->mode == mode);
         });
    const auto lamps = [&](const char *name, const char *help, auto mask) {
        each(name, help, [&](const Reading &r, const QString &labels) {
            const std::optional<int> bits = mask(r);
            if (!bits)
                return;
            for (int lamp = 1; lamp <= 4; ++lamp)
                w.sample(withLabel(labels, "lamp", QString::number(lamp)),
                         (*bits >> (lamp - 1)) & 1);
        });
    };
    lamps("projector_lamp_on", "1 if the lamp is lit.", [](const Reading &r) {
        return r.lampMode ? std::optional<int>(r.lampMode->lampsOn) : std::nullopt;
    });
    lamps("projector_lamp_failed", "1 if the projector reports the lamp failed.",
          [](const Reading &r) {
              return r.lampsFailed ? std::optional<int>(*r.lampsFailed) : std::nullopt;
          });

    const auto perLine = [&](const char *name, const char *type, const char *help,
                             const std::function<double(const LineRounds &)> &value) {
        w.family(name, type, help);
        for (const LineRounds &l : lines)
            w.sample(QStringLiteral("line=\"%1\"").arg(escaped(l.line)), value(l));
    };
    perLine("projector_watch_rounds_total", "counter", "Polling rounds finished on the line.",
            [](const LineRounds &l) { return double(l.rounds); });
    perLine("projector_watch_late_rounds_total", "counter",
            "Polling rounds that ended after the next round was due.",
            [](const LineRounds &l) { return double(l.late); });
    perLine("projector_watch_round_duration_seconds", "gauge",
            "Duration of the latest polling round.",
            [](const LineRounds &l) { return l.lastSeconds; });
    return w.text();
}

} // namespace watch
