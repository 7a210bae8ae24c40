console_add_test(tst_layouttable
    SOURCES tst_layouttable.cpp
            ${CMAKE_CURRENT_SOURCE_DIR}/../app/layouttable.cpp
            ${CMAKE_CURRENT_SOURCE_DIR}/../app/logo.cpp
    LIBS Qt6::Gui)
