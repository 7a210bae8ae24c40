// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

// The window's variables, shared by its handlers and alive as long as the program.
struct WindowState
{
    QString SendText;   // latest command text handed to Hyouji; selects the decoder
    QString RecvBuffer; // characters received since the end of the last reply window
    quint8 ReplyPending = 0;
    QString AddressPrefix; // "", "AFFF" or "A001".."A004"
    QString CommSettings;  // the settings string last applied
    quint8 RepeatCode = 0; // which press-and-hold button is held, 0 for none
    quint8 CursorMode = 0; // timing context of the menu-pad arrows: 0, 1 or 3
    QString ManualText; // the text of the latest "SEND"
};
