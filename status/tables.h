// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QList>
#include <QString>
#include <optional>

namespace status {

// One row of a reply table: a key in trace form (" 0 0") and its display text.
struct TableRow
{
    QString key;
    QString text;
};

// The text of the first row whose key equals `key` exactly.
std::optional<QString> lookUp(const QList<TableRow> &table, const QString &key);

const QList<TableRow> &powerStatusTable();
const QList<TableRow> &inputModeTable();
const QList<TableRow> &reversalTable();
const QList<TableRow> &muteSignalTable();
// 48 rows: lamp mode digit 0..2 times lamp mask 0..F.
const QList<TableRow> &lampModeTable();

} // namespace status
