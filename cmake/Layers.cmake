# SPDX-License-Identifier: GPL-3.0-or-later
# console_check_layer(DIR FORBIDS LAYER...): stops the configuration when a
# source of DIR includes a header of one of the LAYERs ("sim/...", "app/...")
# or one of the headers named ("core/traffic.h").
function(console_check_layer dir)
    cmake_parse_arguments(L "" "" "FORBIDS" ${ARGN})
    file(GLOB sources CONFIGURE_DEPENDS
        ${PROJECT_SOURCE_DIR}/${dir}/*.h ${PROJECT_SOURCE_DIR}/${dir}/*.cpp)
    foreach(source IN LISTS sources)
        file(STRINGS ${source} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[\"<]")
        foreach(line IN LISTS includes)
            foreach(layer IN LISTS L_FORBIDS)
                if(layer MATCHES "\\.h$")
                    set(pattern "[\"<]${layer}[\">]")
                else()
                    set(pattern "[\"<]${layer}/")
                endif()
                if(line MATCHES "${pattern}")
                    message(FATAL_ERROR
                        "${source} includes ${layer}, which ${dir}/ must not use: ${line}")
                endif()
            endforeach()
        endforeach()
    endforeach()
endfunction()

# console_check_links_exclude(TARGET LIBRARY): stops the configuration when
# TARGET links LIBRARY, directly or through any library it links.
function(console_check_links_exclude target library)
    _console_collect_links(${target} libs)
    if(${library} IN_LIST libs)
        message(FATAL_ERROR "${target} links ${library}, a layer above or beside its own")
    endif()
endfunction()
