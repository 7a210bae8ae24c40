# SPDX-License-Identifier: GPL-3.0-or-later
# projector-watch: its outputs, its configuration, its rounds, the program,
# and a real Prometheus scraping it; the shipped alert rules checked by promtool.
console_add_test(tst_watchoutputs SOURCES tst_watchoutputs.cpp LIBS console_watch)
console_add_test(tst_watchconfig SOURCES tst_watchconfig.cpp LIBS console_watch)
target_compile_definitions(tst_watchconfig PRIVATE
    WATCH_EXAMPLE_CONFIG="${PROJECT_SOURCE_DIR}/packaging/prometheus/projector-watch.conf")
console_add_test(tst_watchpoller SOURCES tst_watchpoller.cpp support/ptypair.h
    support/answeringfarend.h LIBS console_watch console_sim)
console_add_test(tst_watchprogram SOURCES tst_watchprogram.cpp support/answeringfarend.h
    support/silentport.h LIBS Qt6::Core)
target_compile_definitions(tst_watchprogram PRIVATE
    PROJECTOR_WATCH_PATH="$<TARGET_FILE:projector-watch>"
    PROJECTOR_CONSOLE_PATH="$<TARGET_FILE:projector-console>")
add_dependencies(tst_watchprogram projector-watch projector-console)
console_add_test(tst_watchprometheus SOURCES tst_watchprometheus.cpp LIBS Qt6::Network)
target_compile_definitions(tst_watchprometheus PRIVATE
    PROJECTOR_WATCH_PATH="$<TARGET_FILE:projector-watch>"
    PROJECTOR_SIM_PATH="$<TARGET_FILE:projector-sim>")
add_dependencies(tst_watchprometheus projector-watch projector-sim)

# The alert rules that the package ships, checked and unit-tested by promtool.
add_test(NAME watch_rules_check
    COMMAND promtool check rules ${PROJECT_SOURCE_DIR}/packaging/prometheus/projector-watch.rules.yml)
add_test(NAME watch_rules_test COMMAND promtool test rules ${CMAKE_CURRENT_SOURCE_DIR}/watch/rules.test.yml)
