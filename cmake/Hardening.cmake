# SPDX-License-Identifier: GPL-3.0-or-later
# Hardened binaries as Debian builds its packages (dpkg-buildflags): stack
# protector, format checks, fortified C library calls, and relocations made
# read-only and bound at start (full RELRO).
option(CONSOLE_HARDENING "Build with Debian's hardening flags" ON)
if(CONSOLE_HARDENING AND CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
    # Fortified calls need an optimised build; a sanitizer build checks more
    # closely than they do and is left to its own checks.
    if(NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize")
        add_compile_options($<$<NOT:$<CONFIG:Debug>>:-U_FORTIFY_SOURCE>
                            $<$<NOT:$<CONFIG:Debug>>:-D_FORTIFY_SOURCE=2>)
    endif()
    add_link_options(LINKER:-z,relro LINKER:-z,now)
endif()
