# Press-and-hold repetition, driven in the real window over a real
# pseudo-terminal, a fake line and the simulated projector line.
console_add_test(tst_pressandhold
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/tst_pressandhold.cpp
            ${CMAKE_CURRENT_LIST_DIR}/support/consolewindow.h
            ${CMAKE_CURRENT_LIST_DIR}/support/fakeline.h
            ${CMAKE_CURRENT_LIST_DIR}/support/ptypair.h
    LIBS console_window console_sim)
