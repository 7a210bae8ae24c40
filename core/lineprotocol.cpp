// SPDX-License-Identifier: GPL-3.0-or-later
#include "lineprotocol.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace lineprotocol {
namespace {

QByteArray compact(QJsonObject object)
{
    object.insert(QStringLiteral("v"), kVersion);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

std::optional<QJsonObject> versioned(const QByteArray &line, QString *why)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject()) {
        *why = QStringLiteral("the message cannot be read");
        return std::nullopt;
    }
    const QJsonObject object = document.object();
    if (const int version = object.value(QStringLiteral("v")).toInt(); version != kVersion) {
        *why = QStringLiteral("version %1 of the protocol, not %2").arg(version).arg(kVersion);
        return std::nullopt;
    }
    return object;
}

const char *kindKey(Request::Kind kind)
{
    switch (kind) {
    case Request::Kind::Hold:
        return "hold";
    case Request::Kind::Text:
        return "text";
    case Request::Kind::Command:
        break;
    }
    return "command";
}

} // namespace

QByteArray encode(const Request &request)
{
    QJsonObject object{{QStringLiteral("id"), request.id},
                       {QStringLiteral("settings"), request.settings},
                       {QStringLiteral("address"), request.address},
                       {QStringLiteral("log"), request.log},
                       {QStringLiteral("background"), request.background}};
    const QString key = QLatin1String(kindKey(request.kind));
    if (request.kind == Request::Kind::Text) {
        object.insert(key, request.text);
    } else {
        object.insert(key, request.name);
        if (request.kind == Request::Kind::Hold)
            object.insert(QStringLiteral("ms"), request.ms);
    }
    return compact(object);
}

std::optional<Request> decodeRequest(const QByteArray &line, QString *why, qint64 *id)
{
    QString unused;
    if (!why)
        why = &unused;
    const std::optional<QJsonObject> object = versioned(line, why);
    if (!object)
        return std::nullopt;
    Request request;
    request.id = object->value(QStringLiteral("id")).toInteger();
    if (id)
        *id = request.id;
    static const QRegularExpression address(QStringLiteral("^(|AFFF|A00[1-4])$"));
    request.address = object->value(QStringLiteral("address")).toString();
    if (!address.match(request.address).hasMatch()) {
        *why = QStringLiteral("no such address");
        return std::nullopt;
    }
    request.settings = object->value(QStringLiteral("settings")).toString();
    request.log = object->value(QStringLiteral("log")).toBool();
    request.background = object->value(QStringLiteral("background")).toBool();
    const QJsonValue command = object->value(QStringLiteral("command"));
    const QJsonValue hold = object->value(QStringLiteral("hold"));
    const QJsonValue text = object->value(QStringLiteral("text"));
    if (command.isString()) {
        request.name = command.toString();
    } else if (hold.isString()) {
        request.kind = Request::Kind::Hold;
        request.name = hold.toString();
        request.ms = object->value(QStringLiteral("ms")).toInt(-1);
        if (request.ms < 0 || request.ms > kLongestHoldMs) {
            *why = QStringLiteral("no time to hold it");
            return std::nullopt;
        }
    } else if (text.isString()) {
        request.kind = Request::Kind::Text;
        request.text = text.toString();
        if (request.text.size() > kMaxTextLength) {
            *why = QStringLiteral("no command");
            return std::nullopt;
        }
        QString body = request.text;
        while (body.endsWith(u'\r') || body.endsWith(u'\n'))
            body.chop(1);
        if (body.contains(u'\r') || body.contains(u'\n')) {
            *why = QStringLiteral("refused: the text holds a CR or LF before its end; one "
                                  "request is one command");
            return std::nullopt;
        }
    } else {
        *why = QStringLiteral("no command");
        return std::nullopt;
    }
    return request;
}

QByteArray encodeOutcome(qint64 id, const Outcome &outcome)
{
    return compact(
        {{QStringLiteral("id"), id}, {QStringLiteral("outcome"), wire::toJson(outcome)}});
}

QByteArray encodeTraffic(qint64 id, Message::Kind kind, const QString &text)
{
    return compact(
        {{QStringLiteral("id"), id},
         {kind == Message::Kind::Transmitted ? QStringLiteral("tx") : QStringLiteral("rx"), text}});
}

std::optional<Message> decodeMessage(const QByteArray &line, QString *why)
{
    QString unused;
    if (!why)
        why = &unused;
    const std::optional<QJsonObject> object = versioned(line, why);
    if (!object)
        return std::nullopt;
    Message message;
    message.id = object->value(QStringLiteral("id")).toInteger();
    if (object->contains(QStringLiteral("outcome"))) {
        const wire::ClientOutcome client
            = wire::fromJson(object->value(QStringLiteral("outcome")).toObject());
        message.outcome = client.outcome;
        message.outcome.value = status::fromJson(client.value);
    } else if (object->contains(QStringLiteral("tx"))) {
        message.kind = Message::Kind::Transmitted;
        message.text = object->value(QStringLiteral("tx")).toString();
    } else if (object->contains(QStringLiteral("rx"))) {
        message.kind = Message::Kind::Arrived;
        message.text = object->value(QStringLiteral("rx")).toString();
    } else {
        *why = QStringLiteral("a message of no kind");
        return std::nullopt;
    }
    return message;
}

} // namespace lineprotocol
