# SPDX-License-Identifier: GPL-3.0-or-later
# projector-gateway: the PJLink requests and answers, and a real PJLink client
# (npm pjlink, installed by the tests) against the program on a simulated line.
console_add_test(tst_pjlink SOURCES tst_pjlink.cpp LIBS console_gateway)
foreach(name tst_gatewaypjlink tst_gatewaypower)
    console_add_test(${name} SOURCES ${name}.cpp support/gatewayrig.h LIBS Qt6::Core)
    target_compile_definitions(${name} PRIVATE
        PROJECTOR_GATEWAY_PATH="$<TARGET_FILE:projector-gateway>"
        GATEWAY_TEST_DIR="${CMAKE_CURRENT_SOURCE_DIR}/gateway")
    add_dependencies(${name} projector-gateway)
endforeach()
