# SPDX-License-Identifier: GPL-3.0-or-later
# The release every program's --version and the window caption name.
set(CONSOLE_RELEASE "1.41a")
add_compile_definitions(CONSOLE_RELEASE="${CONSOLE_RELEASE}")
