# SPDX-License-Identifier: GPL-3.0-or-later
# Ports on serial device servers: the Telnet codec on its own, device forms,
# and the real window through Debian's ser2net on the loopback.
console_add_test(tst_telnetcodec SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_telnetcodec.cpp
    LIBS console_link)
console_add_test(tst_lineforms SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_lineforms.cpp
    LIBS console_link)
console_add_test(tst_networkline
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_networkline.cpp
            ${CMAKE_CURRENT_LIST_DIR}/support/consolewindow.h
            ${CMAKE_CURRENT_LIST_DIR}/support/fakeline.h
            ${CMAKE_CURRENT_LIST_DIR}/support/ptypair.h
            ${CMAKE_CURRENT_LIST_DIR}/support/ser2net.h
            ${CMAKE_CURRENT_LIST_DIR}/support/silentport.h
    LIBS console_window)
console_add_test(tst_misbehavingserver
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_misbehavingserver.cpp
            ${CMAKE_CURRENT_LIST_DIR}/support/ser2net.h
    LIBS console_link)
