#include "report.h"

#include "commandnames.h"

#include <QJsonDocument>
#include <QJsonObject>
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

QString describe(const ctlnames::Command &command)
{
    if (command.hold) {
        const commands::Hold &hold = *command.hold;
        if (hold.isMenuArrow()) {
            return QStringLiteral("%1  %2 ms, repeats every 200 ms (menu timing after MENU ON)")
                .arg(QLatin1String(hold.code), -16)
                .arg(kStartingReplyWindow);
        }
        return QStringLiteral("%1  %2 ms, repeats every %3 ms")
            .arg(QLatin1String(hold.code), -16)
            .arg(hold.timer2)
            .arg(hold.timer1);
    }
    const int window = commands::replyWindow(command.oneShot->shape);
    return QStringLiteral("%1  %2 ms")
        .arg(command.oneShot->code, -16)
        .arg(window ? window : kStartingReplyWindow);
}

} // namespace

void printList()
{
    for (const ctlnames::Entry &entry : ctlnames::entries()) {
        const ctlnames::Command command = ctlnames::find(entry.name);
        print(QStringLiteral("%1  %2\n").arg(command.name, -18).arg(describe(command)));
    }
}

void printOutcome(const Outcome &outcome, bool json)
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
        print(QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact)) + u'\n');
    } else {
        print(QStringLiteral("TXD%1\nRXD%2\nSTATUS%3\n")
                  .arg(outcome.sent, outcome.received, outcome.status));
    }
    std::fflush(stdout);
}

} // namespace report
