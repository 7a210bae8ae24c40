// SPDX-License-Identifier: GPL-3.0-or-later
#include "lineforms.h"

#include "deviceline.h"

#include <QHostAddress>
#include <QRegularExpression>
#include <algorithm>

namespace {

const QString kSchemeMark = QStringLiteral("://");

struct Scheme
{
    const char *name;
    NetworkLine::Protocol protocol;
};
constexpr Scheme kSchemes[] = {
    {"tcp", NetworkLine::Protocol::Raw},
    {"rfc2217", NetworkLine::Protocol::Rfc2217},
};

ParsedNetworkDevice refuse(const QString &device, const QString &why)
{
    return {std::nullopt, QStringLiteral("\"%1\" is not a network port: %2 (expected "
                                         "tcp://HOST:PORT or rfc2217://HOST:PORT)")
                              .arg(device, why)};
}

// A line for a device string that cannot be used; opening says why.
class MalformedLine : public CommLine
{
public:
    MalformedLine(QString device, QString error)
        : m_device(std::move(device)), m_error(std::move(error))
    {}
    QString deviceName() const override { return m_device; }
    bool open(const SerialSettings &) override { return false; }
    void close() override {}
    bool isOpen() const override { return false; }
    bool applySettings(const SerialSettings &) override { return false; }
    bool write(const QByteArray &) override { return false; }
    QByteArray readAll() override { return {}; }
    qint64 bytesWaiting() const override { return 0; }
    QString errorString() const override { return m_error; }

private:
    QString m_device;
    QString m_error;
};

} // namespace

bool isNetworkDevice(const QString &device)
{
    return device.contains(kSchemeMark);
}

ParsedNetworkDevice parseNetworkDevice(const QString &device)
{
    const qsizetype mark = device.indexOf(kSchemeMark);
    if (mark < 0)
        return refuse(device, QStringLiteral("no scheme"));
    const QString scheme = device.left(mark).toLower();
    const auto known = std::find_if(std::begin(kSchemes), std::end(kSchemes), [&](const Scheme &s) {
        return scheme == QLatin1String(s.name);
    });
    if (known == std::end(kSchemes))
        return refuse(device, QStringLiteral("unknown scheme \"%1\"").arg(scheme));

    const QString rest = device.mid(mark + kSchemeMark.size());
    QString host;
    QString port;
    if (rest.startsWith(QLatin1Char('['))) {
        const qsizetype close = rest.indexOf(QLatin1Char(']'));
        if (close < 0)
            return refuse(device, QStringLiteral("the IPv6 address has no closing \"]\""));
        host = rest.mid(1, close - 1);
        if (QHostAddress(host).protocol() != QAbstractSocket::IPv6Protocol)
            return refuse(device, QStringLiteral("\"%1\" is not an IPv6 address").arg(host));
        if (rest.mid(close + 1, 1) != QLatin1String(":"))
            return refuse(device, QStringLiteral("the port is missing"));
        port = rest.mid(close + 2);
    } else {
        const qsizetype colon = rest.lastIndexOf(QLatin1Char(':'));
        if (colon < 0)
            return refuse(device, QStringLiteral("the port is missing"));
        host = rest.left(colon);
        port = rest.mid(colon + 1);
        if (host.contains(QLatin1Char(':')))
            return refuse(device, QStringLiteral("an IPv6 address goes in brackets, as in "
                                                 "rfc2217://[::1]:4001"));
        static const QRegularExpression name(QStringLiteral("^[A-Za-z0-9_]([A-Za-z0-9._-]*)$"));
        if (host.isEmpty())
            return refuse(device, QStringLiteral("the host is missing"));
        if (!name.match(host).hasMatch())
            return refuse(device, QStringLiteral("\"%1\" is not a host name").arg(host));
    }
    static const QRegularExpression digits(QStringLiteral("^[0-9]{1,5}$"));
    const int number = digits.match(port).hasMatch() ? port.toInt() : 0;
    if (number < 1 || number > 65535)
        return refuse(device, QStringLiteral("the port must be a number from 1 to 65535"));
    return {NetworkLine::Endpoint{known->protocol, host, quint16(number)}, {}};
}

std::unique_ptr<CommLine> makeDeviceLine(const QString &device)
{
    if (!isNetworkDevice(device))
        return std::make_unique<DeviceLine>(device);
    const ParsedNetworkDevice parsed = parseNetworkDevice(device);
    if (!parsed.endpoint)
        return std::make_unique<MalformedLine>(device, parsed.error);
    return std::make_unique<NetworkLine>(device, *parsed.endpoint);
}
