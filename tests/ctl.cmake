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
# Whose request goes next on a served line, on a clock the test moves.
console_add_test(tst_linescheduler SOURCES tst_linescheduler.cpp support/manualclock.h
    LIBS console_core)
# The window serving its line to projector-ctl run as separate programs.
add_executable(tst_lineservice tst_lineservice.cpp support/answeringfarend.h
    ${CONSOLE_TEST_SUPPORT})
target_link_libraries(tst_lineservice PRIVATE console_window Qt6::Test)
target_compile_definitions(tst_lineservice PRIVATE
    PROJECTOR_CTL_PATH="$<TARGET_FILE:projector-ctl>"
    PROJECTOR_CONSOLE_PATH="$<TARGET_FILE:projector-console>"
    PROJECTOR_WATCH_PATH="$<TARGET_FILE:projector-watch>")
add_dependencies(tst_lineservice projector-ctl projector-console projector-watch)
# Who may serve and use a line, and the bounds on clients: a test of their own.
set(LINESERVICE_TRUST impostorRefused unsafePlaceNotServed squatReplaced secondConsoleRefused
    longDeviceNameServed textWithLineEndRefused neverReadingClientDropped idleConnectionClosed
    slotsShared lockNotHonoured)
add_test(NAME tst_lineservice COMMAND tst_lineservice clientBesideOperator users
    clientWaitsForOwedReply twoClientsAtOnce clientBetweenHoldTicks clientHolds
    operatorPressesDuringClientHold clientKilledMidCommand floodRefused consoleKilledMidCommand
    watchWaitsForOperatorsHold clientGoneMidHoldEndsIt holdCutForAnotherClient)
add_test(NAME tst_lineservice_trust COMMAND tst_lineservice ${LINESERVICE_TRUST})
set_tests_properties(tst_lineservice tst_lineservice_trust PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
