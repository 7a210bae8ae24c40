# SPDX-License-Identifier: GPL-3.0-or-later
set(CONSOLE_TEST_SUPPORT support/consolewindow.h support/fakeline.h support/ptypair.h)
console_add_test(tst_portpanel SOURCES tst_portpanel.cpp ${CONSOLE_TEST_SUPPORT} LIBS console_window)
console_add_test(tst_replywindow SOURCES tst_replywindow.cpp ${CONSOLE_TEST_SUPPORT} LIBS console_window)
console_add_test(tst_ptyline SOURCES tst_ptyline.cpp ${CONSOLE_TEST_SUPPORT} LIBS console_window)
console_add_test(tst_endtoend SOURCES tst_endtoend.cpp ${CONSOLE_TEST_SUPPORT} LIBS console_window console_sim)
console_add_test(tst_devicechooser SOURCES tst_devicechooser.cpp ${CONSOLE_TEST_SUPPORT}
    support/ser2net.h LIBS console_window console_sim)
