# projector-watch: its outputs, its configuration, its rounds, the program,
# and a real Prometheus scraping it; the shipped alert rules checked by promtool.
console_add_test(tst_watchoutputs SOURCES tst_watchoutputs.cpp LIBS console_watch)
console_add_test(tst_watchconfig SOURCES tst_watchconfig.cpp LIBS console_watch)
console_add_test(tst_watchpoller SOURCES tst_watchpoller.cpp support/ptypair.h LIBS console_watch)
console_add_test(tst_watchprogram SOURCES tst_watchprogram.cpp LIBS Qt6::Core)
target_compile_definitions(tst_watchprogram PRIVATE PROJECTOR_WATCH_PATH="$<TARGET_FILE:projector-watch>")
add_dependencies(tst_watchprogram projector-watch)
