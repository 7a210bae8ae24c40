// SPDX-License-Identifier: GPL-3.0-or-later
#include "listenaddress.h"

#include <QRegularExpression>

bool parseListenAddress(const QString &text, QHostAddress *address, quint16 *port)
{
    static const QRegularExpression form(
        QStringLiteral("^(?:(\\[[^\\]]+\\]|[^:\\[\\]]+):)?(\\d{1,5})$"));
    const QRegularExpressionMatch match = form.match(text);
    if (!match.hasMatch())
        return false;
    const uint number = match.captured(2).toUInt();
    QString host = match.captured(1);
    if (host.startsWith(u'['))
        host = host.mid(1, host.size() - 2);
    QHostAddress parsed(QHostAddress::LocalHost);
    if (number > 65535 || (!host.isEmpty() && !parsed.setAddress(host)))
        return false;
    *address = parsed;
    *port = quint16(number);
    return true;
}
