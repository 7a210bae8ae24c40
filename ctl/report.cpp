// SPDX-License-Identifier: GPL-3.0-or-later
#include "report.h"

#include "commandnames.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>

namespace report {
namespace {

// A command's reply window when it is the first one sent: plain buttons keep
// the window in force, which starts at 500 ms.
constexpr int kStartingReplyWindow = 500;

void print(const QString &text)
{
    std::fputs(text.toUtf8().constData(), stdout);
}

QString codeOf(const ctlnames::Command &command)
{
    return command.hold ? QLatin1String(command.hold->code) : command.oneShot->code;
}

QString describe(const ctlnames::Command &command)
{
    if (command.hold) {
        const commands::Hold &hold = *command.hold;
        if (hold.isMenuArrow()) {
            return QStringLiteral("%1 ms, repeats every 200 ms (menu timing after MENU ON)")
                .arg(kStartingReplyWindow);
        }
        return QStringLiteral("%1 ms, repeats every %2 ms").arg(hold.timer2).arg(hold.timer1);
    }
    const int window = commands::replyWindow(command.oneShot->shape);
    return QStringLiteral("%1 ms").arg(window ? window : kStartingReplyWindow);
}

// A traffic line's label and its text, one space apart: the traces bring
// their own leading space, some status texts do not.
QString labelled(const char *label, const QString &text)
{
    const bool spaced = text.isEmpty() || text.startsWith(u' ');
    return QLatin1String(label) + (spaced ? QString() : QStringLiteral(" ")) + text + u'\n';
}

} // namespace

void printList()
{
    QList<ctlnames::Command> commands;
    qsizetype nameWidth = 0;
    qsizetype codeWidth = 0;
    for (const ctlnames::Entry &entry : ctlnames::entries()) {
        commands << ctlnames::find(entry.name);
        nameWidth = std::max(nameWidth, commands.last().name.size());
        codeWidth = std::max(codeWidth, codeOf(commands.last()).size());
    }
    for (const ctlnames::Command &command : std::as_const(commands)) {
        print(QStringLiteral("%1  %2  %3\n")
                  .arg(command.name, -int(nameWidth))
                  .arg(codeOf(command), -int(codeWidth))
                  .arg(describe(command)));
    }
}

void printOutcome(const Outcome &outcome, bool json, const QJsonObject &value)
{
    if (json) {
        QJsonObject object{{QStringLiteral("command"), outcome.name},
                           {QStringLiteral("sent"), outcome.sent},
                           {QStringLiteral("received"), outcome.received},
                           {QStringLiteral("status"), outcome.status},
                           {QStringLiteral("answered"), outcome.answered()},
                           {QStringLiteral("result"), QString(nameOf(outcome.result))},
                           {QStringLiteral("milliseconds"), outcome.milliseconds}};
        if (outcome.value)
            object.insert(QStringLiteral("value"), status::toJson(*outcome.value));
        else if (!value.isEmpty())
            object.insert(QStringLiteral("value"), value);
        print(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) + u'\n');
    } else {
        print(labelled("TXD", outcome.sent) + labelled("RXD", outcome.received)
              + labelled("STATUS", outcome.status));
    }
    std::fflush(stdout);
}

} // namespace report
