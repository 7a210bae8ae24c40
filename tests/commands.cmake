# SPDX-License-Identifier: GPL-3.0-or-later
# The one-shot buttons, addressing and manual entry, driven in the real window
# over a real pseudo-terminal.
set(COMMANDS_TEST_SUPPORT
    ${CMAKE_CURRENT_LIST_DIR}/support/consolewindow.h
    ${CMAKE_CURRENT_LIST_DIR}/support/fakeline.h
    ${CMAKE_CURRENT_LIST_DIR}/support/ptypair.h)
console_add_test(tst_catalogue
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_catalogue.cpp ${COMMANDS_TEST_SUPPORT}
    LIBS console_window)
console_add_test(tst_addressing
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_addressing.cpp ${COMMANDS_TEST_SUPPORT}
    LIBS console_window)
