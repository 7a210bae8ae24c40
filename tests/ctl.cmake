# SPDX-License-Identifier: GPL-3.0-or-later
# projector-ctl and the traffic log, run as built programs.
console_add_test(tst_ctlprogram SOURCES tst_ctlprogram.cpp support/ptypair.h support/silentport.h
    LIBS Qt6::Core)
target_compile_definitions(tst_ctlprogram PRIVATE PROJECTOR_CTL_PATH="$<TARGET_FILE:projector-ctl>")
add_dependencies(tst_ctlprogram projector-ctl)
console_add_test(tst_ctlnames SOURCES tst_ctlnames.cpp LIBS console_ctl console_window)
console_add_test(tst_trafficlog SOURCES tst_trafficlog.cpp support/ptypair.h support/signals.h
    LIBS Qt6::Core)
target_compile_definitions(tst_trafficlog PRIVATE
    PROJECTOR_CTL_PATH="$<TARGET_FILE:projector-ctl>"
    PROJECTOR_CONSOLE_PATH="$<TARGET_FILE:projector-console>")
add_dependencies(tst_trafficlog projector-ctl projector-console)
console_add_test(tst_rxlines SOURCES tst_rxlines.cpp LIBS console_core)
# The window serving its line to projector-ctl run as separate programs.
console_add_test(tst_lineservice SOURCES tst_lineservice.cpp support/answeringfarend.h
    ${CONSOLE_TEST_SUPPORT} LIBS console_window)
target_compile_definitions(tst_lineservice PRIVATE
    PROJECTOR_CTL_PATH="$<TARGET_FILE:projector-ctl>"
    PROJECTOR_CONSOLE_PATH="$<TARGET_FILE:projector-console>"
    PROJECTOR_WATCH_PATH="$<TARGET_FILE:projector-watch>")
add_dependencies(tst_lineservice projector-ctl projector-console projector-watch)
