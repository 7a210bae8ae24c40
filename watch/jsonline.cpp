// SPDX-License-Identifier: GPL-3.0-or-later
#include "jsonline.h"

#include <QJsonDocument>

namespace watch {

QByteArray jsonLine(const Reading &r)
{
    QJsonObject o = r.values();
    o.insert(QLatin1String("line"), r.line);
    o.insert(QLatin1String("address"),
             r.address == 0 ? QJsonValue(QStringLiteral("single")) : QJsonValue(r.address));
    o.insert(QLatin1String("round"), qint64(r.round));
    o.insert(QLatin1String("up"), r.up);
    if (r.lastAnswer.isValid())
        o.insert(QLatin1String("last_answer"), r.lastAnswer.toString(Qt::ISODateWithMs));
    if (r.up)
        o.insert(QLatin1String("reply_seconds"), r.replySeconds);
    return QJsonDocument(o).toJson(QJsonDocument::Compact) + '\n';
}

} // namespace watch
