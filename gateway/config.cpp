// SPDX-License-Identifier: GPL-3.0-or-later
#include "config.h"

#include <QRegularExpression>

namespace gateway {

namespace {

// Words of a configuration line; a double-quoted stretch belongs to one word.
std::optional<QStringList> wordsOf(const QString &line)
{
    QStringList words;
    QString word;
    bool quoted = false, inWord = false;
    for (const QChar c : line) {
        if (c == u'"') {
            quoted = !quoted;
            inWord = true;
        } else if (c.isSpace() && !quoted) {
            if (inWord)
                words << word;
            word.clear();
            inWord = false;
        } else {
            word += c;
            inWord = true;
        }
    }
    if (quoted)
        return std::nullopt;
    if (inWord)
        words << word;
    return words;
}

// Printable ASCII only, as PJLink carries it.
std::optional<QByteArray> textValue(const QString &value, qsizetype limit)
{
    if (value.size() > limit)
        return std::nullopt;
    for (const QChar c : value) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return std::nullopt;
    }
    return value.toLatin1();
}

std::optional<quint16> portValue(const QString &text)
{
    bool ok = false;
    const uint port = text.toUInt(&ok);
    if (!ok || port > 65535)
        return std::nullopt;
    return quint16(port);
}

} // namespace

QList<int> parseAddresses(const QString &text)
{
    if (text == u"all")
        return {1, 2, 3, 4};
    if (text == u"single")
        return {0};
    QList<int> addresses;
    for (const QString &part : text.split(u',')) {
        bool ok = false;
        const int address = part.toInt(&ok);
        if (!ok || address < 1 || address > 4 || addresses.contains(address))
            return {};
        addresses << address;
    }
    return addresses;
}

QString settingsForSpeed(const QString &text)
{
    if (text == u"19200" || text == u"9600")
        return text + QStringLiteral(",N,8,1");
    return {};
}

QList<ProjectorEntry> projectorsOf(const QString &line, const QList<int> &addresses,
                                   const QHostAddress &listen, quint16 basePort)
{
    QList<ProjectorEntry> projectors;
    for (const int address : addresses) {
        ProjectorEntry projector;
        projector.address = address;
        projector.listen = listen;
        projector.port = basePort == 0 ? 0 : quint16(basePort + std::max(address - 1, 0));
        projector.profile = pjlink::defaultProfile(line, address);
        projectors << projector;
    }
    return projectors;
}

QString checkExposure(const GatewayConfig &config)
{
    if (!config.passwordFile.isEmpty() || config.openNetwork)
        return {};
    for (const LineEntry &line : config.lines) {
        for (const ProjectorEntry &projector : line.projectors) {
            if (!projector.listen.isLoopback())
                return QStringLiteral("%1 projector %2 would answer on %3 without a password: give "
                                      "a password file, or allow it explicitly")
                    .arg(line.name)
                    .arg(projector.address)
                    .arg(projector.listen.toString());
        }
    }
    return {};
}

Parsed parseConfig(const QString &text)
{
    Parsed parsed;
    GatewayConfig &config = parsed.config;
    QHostAddress listen(QHostAddress::LocalHost);
    int number = 0;
    const auto fail = [&parsed, &number](const QString &what) {
        parsed.error = QStringLiteral("line %1: %2").arg(number).arg(what);
        return parsed;
    };
    for (const QString &raw : text.split(u'\n')) {
        ++number;
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        const std::optional<QStringList> words = wordsOf(line);
        if (!words)
            return fail(QStringLiteral("a double quote is not closed"));
        const QString &keyword = words->first();
        if (keyword == u"listen" || keyword == u"password-file") {
            if (words->size() != 2)
                return fail(QStringLiteral("%1 takes one value").arg(keyword));
            if (keyword == u"password-file")
                config.passwordFile = words->at(1);
            else if (!listen.setAddress(words->at(1)))
                return fail(QStringLiteral("\"%1\" is not an address").arg(words->at(1)));
            continue;
        }
        if (keyword == u"line") {
            if (words->size() < 3)
                return fail(QStringLiteral("a line needs a name and a device"));
            LineEntry entry{words->at(1), words->at(2), QStringLiteral("19200,N,8,1"), {}};
            for (const LineEntry &other : config.lines) {
                if (other.name == entry.name)
                    return fail(QStringLiteral("the line %1 is named twice").arg(entry.name));
            }
            QList<int> addresses{1, 2, 3, 4};
            quint16 port = 4352;
            QHostAddress lineListen = listen;
            for (const QString &option : words->mid(3)) {
                const QString key = option.section(u'=', 0, 0);
                const QString value = option.section(u'=', 1);
                if (key == u"speed" && !(entry.settings = settingsForSpeed(value)).isEmpty())
                    continue;
                if (key == u"addresses" && !(addresses = parseAddresses(value)).isEmpty())
                    continue;
                if (key == u"port" && portValue(value)) {
                    port = *portValue(value);
                    continue;
                }
                if (key == u"listen" && lineListen.setAddress(value))
                    continue;
                return fail(QStringLiteral("\"%1\" is not understood").arg(option));
            }
            entry.projectors = projectorsOf(entry.name, addresses, lineListen, port);
            config.lines << entry;
            continue;
        }
        if (keyword == u"projector") {
            if (words->size() < 3)
                return fail(QStringLiteral("a projector needs its line and address"));
            auto line
                = std::find_if(config.lines.begin(), config.lines.end(),
                               [&words](const LineEntry &e) { return e.name == words->at(1); });
            if (line == config.lines.end())
                return fail(QStringLiteral("no line %1 above").arg(words->at(1)));
            const int address = words->at(2) == u"single" ? 0 : words->at(2).toInt();
            auto projector
                = std::find_if(line->projectors.begin(), line->projectors.end(),
                               [address](const ProjectorEntry &p) { return p.address == address; });
            if (projector == line->projectors.end())
                return fail(QStringLiteral("the line %1 has no projector %2")
                                .arg(line->name, words->at(2)));
            for (const QString &option : words->mid(3)) {
                const QString key = option.section(u'=', 0, 0);
                const QString value = option.section(u'=', 1);
                pjlink::Profile &profile = projector->profile;
                std::optional<QByteArray> text;
                if (key == u"port" && portValue(value)) {
                    projector->port = *portValue(value);
                } else if (key == u"listen" && projector->listen.setAddress(value)) {
                } else if (key == u"name" && (text = textValue(value, 64))) {
                    profile.name = *text;
                } else if (key == u"maker" && (text = textValue(value, 32))) {
                    profile.maker = *text;
                } else if (key == u"product" && (text = textValue(value, 32))) {
                    profile.product = *text;
                } else if (key == u"info" && (text = textValue(value, 32))) {
                    profile.info = *text;
                } else if (key == u"inputs") {
                    const QStringList codes = value.split(u',');
                    if (codes.size() > 4)
                        return fail(QStringLiteral("a projector has four inputs"));
                    profile.inputs = {};
                    for (int i = 0; i < codes.size(); ++i) {
                        const QByteArray code = codes[i].toLatin1();
                        if (code == "-")
                            continue;
                        if (!pjlink::isInputCode(code)
                            || std::find(profile.inputs.begin(), profile.inputs.end(), code)
                                   != profile.inputs.end())
                            return fail(QStringLiteral("\"%1\" is not a list of PJLink inputs "
                                                       "(11-59, - for none)")
                                            .arg(value));
                        profile.inputs[i] = code;
                    }
                } else {
                    return fail(QStringLiteral("\"%1\" is not understood").arg(option));
                }
            }
            continue;
        }
        return fail(QStringLiteral("\"%1\" is not understood").arg(keyword));
    }
    if (config.lines.isEmpty())
        parsed.error = QStringLiteral("no line is configured");
    return parsed;
}

} // namespace gateway
