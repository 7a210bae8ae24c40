# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package built from this tree, unpacked and checked: what it holds,
# then what lintian and systemd make of it.
foreach(half files tools)
    add_test(NAME package_${half}
        COMMAND sh ${CMAKE_CURRENT_LIST_DIR}/package-test.sh ${half}
                ${CMAKE_BINARY_DIR} ${CMAKE_COMMAND} ${CMAKE_CPACK_COMMAND})
    set_tests_properties(package_${half} PROPERTIES TIMEOUT 900)
endforeach()
