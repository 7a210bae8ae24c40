# SPDX-License-Identifier: GPL-3.0-or-later
# What keeps a build from a clean clone short: a compiler cache where the
# machine has one, unity builds, and the Qt headers nearly every file includes
# compiled once and shared.
#
# Included before the first target: the cache and unity builds are the
# defaults of every target made afterwards. console_quick_build(), called after
# the last target, settles each target's unity build and precompiled headers.

# ccache, when installed, and never needed. Precompiled headers are cached only
# when ccache ignores their time stamps and the definitions they were made with.
option(CONSOLE_CCACHE "Compile through ccache when it is installed" ON)
if(CONSOLE_CCACHE)
    set(ccache)
    if(NOT CMAKE_CXX_COMPILER_LAUNCHER)
        find_program(CONSOLE_CCACHE_PROGRAM ccache)
        set(ccache ${CONSOLE_CCACHE_PROGRAM})
    elseif(CMAKE_CXX_COMPILER_LAUNCHER MATCHES "(^|/)ccache$")
        set(ccache ${CMAKE_CXX_COMPILER_LAUNCHER})
    endif()
    if(ccache)
        set(CMAKE_CXX_COMPILER_LAUNCHER ${CMAKE_COMMAND} -E env
            CCACHE_SLOPPINESS=pch_defines,time_macros
            ${ccache})
        message(STATUS "Compiling through ${ccache}")
    endif()
endif()

# Sources of one target compiled in batches. A source that cannot share a
# batch with the others is named with SKIP_UNITY_BUILD_INCLUSION in its folder.
# A target of one source is compiled as it is: a batch would gain it nothing
# and would make its source an included file to the compiler.
option(CONSOLE_UNITY_BUILD "Compile each target's sources in batches" ON)
if(CONSOLE_UNITY_BUILD)
    set(CMAKE_UNITY_BUILD ON)
    set(CMAKE_UNITY_BUILD_BATCH_SIZE 16)
endif()

option(CONSOLE_PRECOMPILED_HEADERS "Precompile the Qt and standard headers the sources share" ON)
set(CONSOLE_PCH_SHARED_BY 5 CACHE STRING "Fewest targets that share a set of precompiled headers")

# The headers precompiled for a target, by the Qt modules it reaches. Only Qt's
# and the standard library's: the console's own headers, and the serial port
# and socket classes that only link/ may use, stay where each file includes
# them, so that the layer checks still see every use.
set(CONSOLE_PCH_Core
    <algorithm> <array> <chrono> <functional> <map> <memory> <optional> <span> <utility>
    <vector>
    <QByteArray> <QCoreApplication> <QDateTime> <QDir> <QElapsedTimer> <QEventLoop> <QFile>
    <QFileInfo> <QHash> <QJsonArray> <QJsonDocument> <QJsonObject> <QList> <QObject>
    <QPointer> <QProcess> <QRegularExpression> <QString> <QStringList> <QTemporaryDir>
    <QTimer> <QVariant>)
set(CONSOLE_PCH_Gui <QFont> <QFontMetrics> <QGuiApplication> <QImage> <QPainter> <QScreen>)
set(CONSOLE_PCH_Widgets <QApplication> <QLabel> <QLineEdit> <QMessageBox> <QPushButton>
    <QRadioButton> <QWidget>)
set(CONSOLE_PCH_Test <QSignalSpy> <QTest>)

include(${CMAKE_CURRENT_LIST_DIR}/LinksNoWidgets.cmake)

function(_console_targets_below dir out)
    get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(subdir IN LISTS subdirs)
        _console_targets_below(${subdir} below)
        list(APPEND targets ${below})
    endforeach()
    set(${out} ${targets} PARENT_SCOPE)
endfunction()

# A target whose own definitions and options are none but the directory's can
# lend its precompiled headers to the others: the compiler uses them only where
# every definition they were made with is the same.
function(_console_lends_pch target out)
    set(lends OFF)
    get_target_property(definitions ${target} COMPILE_DEFINITIONS)
    get_target_property(options ${target} COMPILE_OPTIONS)
    get_target_property(dir ${target} SOURCE_DIR)
    get_directory_property(dir_definitions DIRECTORY ${dir} COMPILE_DEFINITIONS)
    get_directory_property(dir_options DIRECTORY ${dir} COMPILE_OPTIONS)
    if(NOT definitions OR definitions STREQUAL dir_definitions)
        if(NOT options OR options STREQUAL dir_options)
            set(lends ON)
        endif()
    endif()
    set(${out} ${lends} PARENT_SCOPE)
endfunction()

# console_precompile_headers(TARGETS...): the targets of one folder that reach the same Qt
# modules, and so are compiled with the same definitions, share one set of
# precompiled headers for those modules, made once. Making them costs about as
# much as compiling three sources that include them, and each source that loads
# them spends about a third of what they save it: they pay where at least
# CONSOLE_PCH_SHARED_BY targets share them (the test programs), and a library's
# sources, compiled in unity batches, parse the headers only once a batch anyway.
function(console_precompile_headers)
    set(groups)
    foreach(target IN LISTS ARGN)
        get_target_property(own ${target} PRECOMPILE_HEADERS)
        get_target_property(reused ${target} PRECOMPILE_HEADERS_REUSE_FROM)
        get_target_property(disabled ${target} DISABLE_PRECOMPILE_HEADERS)
        if(own OR reused OR disabled)
            continue()
        endif()
        _console_collect_links(${target} libs)
        set(modules)
        foreach(lib IN LISTS libs)
            if(lib MATCHES "^Qt6::([A-Za-z]+)$")
                list(APPEND modules ${CMAKE_MATCH_1})
            endif()
        endforeach()
        if(NOT Core IN_LIST modules)
            continue()
        endif()
        list(REMOVE_DUPLICATES modules)
        list(SORT modules)
        get_target_property(dir ${target} SOURCE_DIR)
        string(MD5 group "${dir};${modules}")
        if(NOT group IN_LIST groups)
            list(APPEND groups ${group})
            set(headers_${group})
            foreach(module IN LISTS modules)
                list(APPEND headers_${group} ${CONSOLE_PCH_${module}})
            endforeach()
            set(members_${group})
            set(lender_${group})
        endif()
        list(APPEND members_${group} ${target})
        if(NOT lender_${group})
            _console_lends_pch(${target} lends)
            if(lends)
                set(lender_${group} ${target})
            endif()
        endif()
    endforeach()

    foreach(group IN LISTS groups)
        set(lender ${lender_${group}})
        list(LENGTH members_${group} count)
        if(NOT lender OR count LESS CONSOLE_PCH_SHARED_BY)
            continue()
        endif()
        target_precompile_headers(${lender} PRIVATE ${headers_${group}})
        foreach(target IN LISTS members_${group})
            if(NOT target STREQUAL lender)
                target_precompile_headers(${target} REUSE_FROM ${lender})
            endif()
            # Its moc file holds no more than the moc of each header that
            # declares a QObject: loading the headers would cost it more.
            get_target_property(autogen ${target} AUTOGEN_BUILD_DIR)
            if(NOT autogen)
                get_target_property(binary ${target} BINARY_DIR)
                set(autogen ${binary}/${target}_autogen)
            endif()
            set_source_files_properties(${autogen}/mocs_compilation.cpp
                TARGET_DIRECTORY ${target} PROPERTIES SKIP_PRECOMPILE_HEADERS ON)
        endforeach()
    endforeach()
endfunction()

function(_console_cpp_count target out)
    get_target_property(sources ${target} SOURCES)
    list(FILTER sources INCLUDE REGEX "\\.(cpp|cxx|cc)$")
    list(LENGTH sources count)
    set(${out} ${count} PARENT_SCOPE)
endfunction()

# console_quick_build(): every C++ program and library of the project, made in
# any folder, gets the unity build and precompiled headers that pay for it.
function(console_quick_build)
    _console_targets_below(${PROJECT_SOURCE_DIR} all)
    set(targets)
    foreach(target IN LISTS all)
        get_target_property(type ${target} TYPE)
        if(type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY)$")
            list(APPEND targets ${target})
            _console_cpp_count(${target} count)
            if(count LESS 2)
                set_target_properties(${target} PROPERTIES UNITY_BUILD OFF)
            endif()
        endif()
    endforeach()
    if(CONSOLE_PRECOMPILED_HEADERS)
        console_precompile_headers(${targets})
    endif()
endfunction()
