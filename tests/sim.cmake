# SPDX-License-Identifier: GPL-3.0-or-later
console_add_test(tst_projectormodel SOURCES tst_projectormodel.cpp
    LIBS console_sim console_link console_status)
console_add_test(tst_simulatedline SOURCES tst_simulatedline.cpp LIBS console_sim)
console_add_test(tst_simptyserver SOURCES tst_simptyserver.cpp LIBS console_sim)
console_add_test(tst_simprogram SOURCES tst_simprogram.cpp LIBS Qt6::Core)
target_compile_definitions(tst_simprogram PRIVATE
    PROJECTOR_SIM_PATH="$<TARGET_FILE:projector-sim>")
add_dependencies(tst_simprogram projector-sim)
# The speed rows wait out REAL's 2000 ms reply window: the pseudo-terminal's and
# the in-process line's run as tests of their own.
add_executable(tst_simstates tst_simstates.cpp support/consolewindow.h)
target_link_libraries(tst_simstates PRIVATE console_window console_sim Qt6::Test)
set(speed_rows "19200 both ways" "9600 both ways" "console 9600 sends"
    "console 19200 sends" "console 9600 reads" "console 19200 reads")
set(pty_rows)
set(in_process_rows)
foreach(row IN LISTS speed_rows)
    list(APPEND pty_rows "wrongSpeedGetsNoSensibleReply:pty, ${row}")
    list(APPEND in_process_rows "wrongSpeedGetsNoSensibleReply:in-process, ${row}")
endforeach()
add_test(NAME tst_simstates COMMAND tst_simstates
    everyPowerStatusShown changeTypedIntoRunningProgram ${pty_rows})
add_test(NAME tst_simstates_speed COMMAND tst_simstates ${in_process_rows})
set_tests_properties(tst_simstates tst_simstates_speed PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
target_compile_definitions(tst_simstates PRIVATE
    PROJECTOR_SIM_PATH="$<TARGET_FILE:projector-sim>")
add_dependencies(tst_simstates projector-sim)
