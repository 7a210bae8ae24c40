# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package built from this tree, unpacked and checked.
add_test(NAME package
    COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/package-test.sh
            ${CMAKE_BINARY_DIR} ${CMAKE_COMMAND} ${CMAKE_CPACK_COMMAND})
set_tests_properties(package PROPERTIES TIMEOUT 900)
