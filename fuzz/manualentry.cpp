// SPDX-License-Identifier: GPL-3.0-or-later
// Any typed text through "SEND": the prefix, the text and a carriage return go out,
// one byte a character, and the TXD line shows their trace.
#include "check.h"
#include "forms.h"
#include "input.h"
#include "rig.h"
#include "targets.h"

namespace fuzz::manualentry {

namespace {

Rig &console()
{
    Rig::ensureApplication();
    static Rig made;
    if (!probe(made.console).comm().portOpen())
        probe(made.console).comm().setPortOpen(true);
    return made;
}

bool send(Rig &c, const QString &prefix, const QString &typed)
{
    bool refused = false;
    const QMetaObject::Connection telling
        = QObject::connect(&c.console, &Console::refused, [&refused] { refused = true; });
    c.console.chooseAddress(prefix);
    c.console.sendText(typed);
    QObject::disconnect(telling);
    return !refused;
}

QString sentText(Rig &c)
{
    return c.state().SendText;
}

QString txdLine(Rig &c)
{
    return c.traffic().txd();
}

const char *const prefixes[8] = {"", "AFFF", "A001", "A002", "A003", "A004", "", ""};

} // namespace

// Byte 0: the projector chosen (low 3 bits); top bit set, the typed text is any
// characters, two bytes a character, else one character a byte. The rest: the text.
void fuzzOne(const uint8_t *data, size_t size)
{
    Input in(data, size);
    const uint8_t choice = in.byte();
    const QString prefix = QLatin1String(prefixes[choice & 7]);
    const QByteArray rest = in.rest();
    const QString typed = choice & 0x80 ? Input::utf16(rest) : QString::fromLatin1(rest);

    Rig &c = console();
    c.line->written.clear();
    c.line->writes.clear();
    FUZZ_CHECK(send(c, prefix, typed), QStringLiteral("refused ") + shown(typed));

    const QString expected = prefix + typed + QLatin1Char('\r');
    FUZZ_CHECK(sentText(c) == expected, shown(sentText(c)));
    const QByteArray &written = c.line->written;
    FUZZ_CHECK(written.size() == expected.size(),
               QStringLiteral("%1 bytes went out for %2").arg(written.size()).arg(shown(expected)));
    for (qsizetype i = 0; i < expected.size(); ++i) {
        if (expected.at(i).unicode() < 128)
            FUZZ_CHECK(uchar(written.at(i)) == expected.at(i).unicode(),
                       QStringLiteral("byte %1 of %2").arg(i).arg(shown(expected)));
    }
    checkTraceForm(expected, txdLine(c));
}

} // namespace fuzz::manualentry
