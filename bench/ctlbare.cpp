// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCoreApplication>

#include <pty.h>
#include <unistd.h>

// The floor for bench-ctlstart: a Qt Core program that opens a
// pseudo-terminal and closes it again.
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int master = -1;
    int slave = -1;
    if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0)
        return 1;
    ::close(slave);
    ::close(master);
    return 0;
}
