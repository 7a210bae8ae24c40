// SPDX-License-Identifier: GPL-3.0-or-later
#include "trace.h"

#include <algorithm>

namespace {

// Writes the piece of one character at `out`; returns the end of it.
char16_t *appendPiece(char16_t *out, char16_t code)
{
    const auto put = [&out](const char *piece) {
        while (*piece)
            *out++ = char16_t(*piece++);
        return out;
    };
    if (code == 6)
        return put("ACK ");
    if (code == 20)
        return put("&");
    if (code == 13)
        return put("CR ");
    if (code == 10)
        return put("LF ");
    if (code >= 32 && code <= 122) {
        *out++ = code;
        *out++ = u' ';
        return out;
    }
    return put("? ");
}

} // namespace

// Written in place into room for the longest pieces: the receive road builds the
// trace of the whole buffer on every reception.
QString trace(const QString &text)
{
    QString out(1 + text.size() * 4, Qt::Uninitialized);
    char16_t *const start = reinterpret_cast<char16_t *>(out.data());
    char16_t *end = start;
    *end++ = u' ';
    for (const QChar c : text)
        end = appendPiece(end, c.unicode());
    out.truncate(end - start);
    return out;
}
