#include "commandnames.h"

#include <algorithm>
#include <vector>

namespace ctlnames {
namespace {

// Group title + caption from the window's layout, joined by control name to
// the command catalogue. The input grid is named by row label and caption.
constexpr Entry kEntries[] = {
    {"POWER ON", "Command17"},
    {"POWER OFF", "Command18"},
    {"INPUT MODE SET 1", "Command27"},
    {"INPUT MODE SET 2", "Command28"},
    {"INPUT MODE SET 3", "Command29"},
    {"INPUT MODE SET 4", "Command53"},
    {"MENU ON", "Command23"},
    {"MENU OFF", "Command24"},
    {"SOUND MUTE ON", "Command19"},
    {"SOUND MUTE OFF", "Command20"},
    {"NO SHOW ON", "Command21"},
    {"NO SHOW OFF", "Command22"},
    {"FREEZE ON", "Command25"},
    {"FREEZE OFF", "Command26"},
    {"AV SIZE REGULAR", "Command31"},
    {"AV SIZE WIDE", "Command32"},
    {"LENS SHIFT UP", "Command59"},
    {"LENS SHIFT LEFT", "Command60"},
    {"LENS SHIFT RIGHT", "Command61"},
    {"LENS SHIFT DOWN", "Command62"},
    {"UP", "Command5"},
    {"LEFT", "Command9"},
    {"SELECT", "Command6"},
    {"RIGHT", "Command8"},
    {"DOWN", "Command7"},
    {"VOL +", "Command1"},
    {"VOL -", "Command2"},
    {"ZOOM +", "Command15"},
    {"ZOOM -", "Command35"},
    {"FOCUS +", "Command36"},
    {"FOCUS -", "Command37"},
    {"D.ZOOM +", "Command48"},
    {"D.ZOOM -", "Command49"},
    {"KEYSTONE +", "Command50"},
    {"KEYSTONE -", "Command51"},
    {"A-IMAGE", "Command13"},
    {"IMAGE", "Command30"},
    {"P-TIMER", "Command14"},
    {"DISPLAY CLEAR", "Command3"},
    {"LAMP SELECT 4 LAMP", "Command56"},
    {"LAMP SELECT 1-4", "Command57"},
    {"LAMP SELECT 2-3", "Command58"},
    {"STAND", "Command4"},
    {"REAL", "Command10"},
    {"CINEMA", "Command11"},
    {"IMAGE1", "Command39"},
    {"IMAGE2", "Command40"},
    {"IMAGE3", "Command41"},
    {"IMAGE4", "Command42"},
    {"P-FAIL", "Command52"},
    {"STATUS", "Command44"},
    {"L-TIME", "Command46"},
    {"TEMP", "Command54"},
    {"MODE", "Command45"},
    {"SETTING", "Command47"},
    {"L-MODE", "Command55"},
    {"PC TYPE", "Command38"},
    {"SETTING 2", "Command12"},
    {"PRESSURE", "Command99"},
    {"FAN SPEED MAX", "Command97"},
    {"FAN SPEED NOR", "Command98"},
    {"1 DVI", "Command63"},
    {"1 RGB", "Command64"},
    {"1 VIDEO", "Command65"},
    {"1 YPBPR", "Command66"},
    {"1 YCBCR", "Command67"},
    {"1 S-VIDEO", "Command68"},
    {"1 YC", "Command69"},
    {"1 SDI", "Command70"},
    {"2 DVI", "Command71"},
    {"2 RGB", "Command72"},
    {"2 VIDEO", "Command73"},
    {"2 YPBPR", "Command74"},
    {"2 YCBCR", "Command75"},
    {"2 S-VIDEO", "Command76"},
    {"2 YC", "Command77"},
    {"2 SDI", "Command78"},
    {"3 DVI", "Command79"},
    {"3 RGB", "Command80"},
    {"3 VIDEO", "Command81"},
    {"3 YPBPR", "Command82"},
    {"3 YCBCR", "Command83"},
    {"3 S-VIDEO", "Command84"},
    {"3 YC", "Command85"},
    {"3 SDI", "Command86"},
    {"4 DVI", "Command87"},
    {"4 RGB", "Command88"},
    {"4 VIDEO", "Command89"},
    {"4 YPBPR", "Command90"},
    {"4 YCBCR", "Command91"},
    {"4 S-VIDEO", "Command92"},
    {"4 YC", "Command93"},
    {"4 SDI", "Command94"},
};

QString normalised(const QString &name)
{
    return name.simplified().toUpper();
}

qsizetype distance(const QString &a, const QString &b)
{
    std::vector<qsizetype> row(b.size() + 1);
    for (qsizetype j = 0; j <= b.size(); ++j)
        row[j] = j;
    for (qsizetype i = 1; i <= a.size(); ++i) {
        qsizetype diagonal = row[0];
        row[0] = i;
        for (qsizetype j = 1; j <= b.size(); ++j) {
            const qsizetype above = row[j];
            row[j]
                = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

} // namespace

std::span<const Entry> entries()
{
    return kEntries;
}

Command find(const QString &name)
{
    const QString wanted = normalised(name);
    for (const Entry &entry : kEntries) {
        if (wanted == QLatin1String(entry.name)) {
            const QString control = QLatin1String(entry.control);
            return {QLatin1String(entry.name), commands::findOneShot(control),
                    commands::findHold(control)};
        }
    }
    return {};
}

QStringList nearest(const QString &name, int count)
{
    const QString wanted = normalised(name);
    std::vector<std::pair<qsizetype, QString>> ranked;
    for (const Entry &entry : kEntries) {
        const QString candidate = QLatin1String(entry.name);
        ranked.emplace_back(distance(wanted, candidate), candidate);
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    QStringList names;
    for (int i = 0; i < count && i < int(ranked.size()); ++i)
        names += ranked[i].second;
    return names;
}

} // namespace ctlnames
