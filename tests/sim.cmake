console_add_test(tst_projectormodel SOURCES tst_projectormodel.cpp
    LIBS console_sim console_link console_status)
console_add_test(tst_simulatedline SOURCES tst_simulatedline.cpp LIBS console_sim)
console_add_test(tst_simptyserver SOURCES tst_simptyserver.cpp LIBS console_sim)
console_add_test(tst_simprogram SOURCES tst_simprogram.cpp LIBS Qt6::Core)
target_compile_definitions(tst_simprogram PRIVATE
    PROJECTOR_SIM_PATH="$<TARGET_FILE:projector-sim>")
add_dependencies(tst_simprogram projector-sim)
console_add_test(tst_simstates SOURCES tst_simstates.cpp support/consolewindow.h
    LIBS console_window console_sim)
target_compile_definitions(tst_simstates PRIVATE
    PROJECTOR_SIM_PATH="$<TARGET_FILE:projector-sim>")
add_dependencies(tst_simstates projector-sim)
