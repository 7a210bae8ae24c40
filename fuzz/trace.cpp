// SPDX-License-Identifier: GPL-3.0-or-later
// Any text through the trace: every character in its table form.
#include "link/trace.h"
#include "forms.h"
#include "input.h"
#include "targets.h"

namespace fuzz::trace {

// Byte 0, bit 0: the rest is received bytes (one character a byte); set, a text of
// any characters, two bytes a character.
void fuzzOne(const uint8_t *data, size_t size)
{
    Input in(data, size);
    const bool anyCharacters = in.byte() & 1;
    const QByteArray rest = in.rest();
    const QString text = anyCharacters ? Input::utf16(rest) : QString::fromLatin1(rest);
    checkTraceForm(text, ::trace(text));
}

} // namespace fuzz::trace
