# SPDX-License-Identifier: GPL-3.0-or-later
# The window's views, END and start-up placement; the built window held
# against the design.
console_add_test(tst_views
    SOURCES tst_views.cpp support/consolewindow.h support/fakeline.h
    LIBS console_window)
console_add_test(tst_windowdesign
    SOURCES tst_windowdesign.cpp support/consolewindow.h support/fakeline.h
    LIBS console_window)
# The full band, built when the window first shows it.
console_add_test(tst_fullband SOURCES tst_fullband.cpp support/consolewindow.h support/fakeline.h
    LIBS console_window)
