# SPDX-License-Identifier: GPL-3.0-or-later
# Press-and-hold repetition, driven in the real window over a real
# pseudo-terminal, a fake line and the simulated projector line. The schedules
# take real time, so the program runs as five tests of a few seconds each; a
# new test function is named in one of them.
add_executable(tst_pressandhold
    ${CMAKE_CURRENT_LIST_DIR}/tst_pressandhold.cpp
    ${CMAKE_CURRENT_LIST_DIR}/support/consolewindow.h
    ${CMAKE_CURRENT_LIST_DIR}/support/fakeline.h
    ${CMAKE_CURRENT_LIST_DIR}/support/ptypair.h)
target_link_libraries(tst_pressandhold PRIVATE console_window console_sim Qt6::Test)
add_test(NAME tst_pressandhold COMMAND tst_pressandhold
    releasedAtOnce secondPressReplacesTheHold keyboardActivationSendsNothing
    digitalZoomArrowTiming releaseWithoutPress)
add_test(NAME tst_pressandhold_refusals COMMAND tst_pressandhold
    prefixIsReadAtEveryTick refusedTickIsToldOncePerHold refusedPressStartsNoRepetition)
add_test(NAME tst_pressandhold_slowline COMMAND tst_pressandhold
    busyLineSkipsTicks slowLineIsNeverOutrun)
add_test(NAME tst_pressandhold_repeats COMMAND tst_pressandhold holdRepeats)
add_test(NAME tst_pressandhold_arrows COMMAND tst_pressandhold arrowRepeats)
set_tests_properties(tst_pressandhold tst_pressandhold_refusals tst_pressandhold_slowline
    tst_pressandhold_repeats tst_pressandhold_arrows PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
