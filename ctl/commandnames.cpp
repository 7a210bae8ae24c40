// SPDX-License-Identifier: GPL-3.0-or-later
#include "commandnames.h"

#include <algorithm>
#include <vector>

namespace ctlnames {
namespace {

// Every button of the catalogue by the name it goes by in words.
std::vector<Entry> buildEntries()
{
    std::vector<Entry> all;
    for (const commands::OneShot &button : commands::oneShots())
        all.push_back({button.readable, button.name});
    for (const commands::Hold &hold : commands::holds())
        all.push_back({QLatin1String(hold.readable), QLatin1String(hold.name)});
    return all;
}

const std::vector<Entry> &allEntries()
{
    static const std::vector<Entry> all = buildEntries();
    return all;
}

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
    return allEntries();
}

Command find(const QString &name)
{
    const QString wanted = normalised(name);
    for (const Entry &entry : allEntries()) {
        if (wanted == entry.name)
            return {entry.name, commands::findOneShot(entry.control),
                    commands::findHold(entry.control)};
    }
    return {};
}

QStringList nearest(const QString &name, int count)
{
    const QString wanted = normalised(name);
    std::vector<std::pair<qsizetype, QString>> ranked;
    for (const Entry &entry : allEntries())
        ranked.emplace_back(distance(wanted, entry.name), entry.name);
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const auto &a, const auto &b) { return a.first < b.first; });
    QStringList names;
    for (int i = 0; i < count && i < int(ranked.size()); ++i)
        names += ranked[i].second;
    return names;
}

} // namespace ctlnames
