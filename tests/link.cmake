# SPDX-License-Identifier: GPL-3.0-or-later
console_add_test(tst_link SOURCES tst_link.cpp support/fakeline.h support/ptypair.h LIBS console_link)
# The built console run as a program: command line and ending signals.
console_add_test(tst_program SOURCES tst_program.cpp support/ptypair.h support/signals.h
    LIBS Qt6::Core Qt6::Network)
target_compile_definitions(tst_program PRIVATE
    PROJECTOR_CONSOLE_PATH="$<TARGET_FILE:projector-console>")
add_dependencies(tst_program projector-console)
