# SPDX-License-Identifier: GPL-3.0-or-later
# projector-gateway: the PJLink requests and answers, and a real PJLink client
# (npm pjlink, installed by the tests) against the program on a simulated line.
console_add_test(tst_pjlink SOURCES tst_pjlink.cpp LIBS console_gateway)
target_compile_definitions(tst_pjlink PRIVATE
    GATEWAY_EXAMPLE_CONFIG="${PROJECT_SOURCE_DIR}/packaging/systemd/gateway.conf")
console_add_test(tst_gatewaysession SOURCES tst_gatewaysession.cpp support/manualclock.h
    LIBS console_gateway console_sim Qt6::Network)
foreach(name tst_gatewaypjlink tst_gatewaypower tst_gatewayload tst_gatewayconnections)
    console_add_test(${name} SOURCES ${name}.cpp support/gatewayrig.h LIBS Qt6::Network)
    target_compile_definitions(${name} PRIVATE
        PROJECTOR_GATEWAY_PATH="$<TARGET_FILE:projector-gateway>"
        PROJECTOR_CTL_PATH="$<TARGET_FILE:projector-ctl>"
        GATEWAY_TEST_DIR="${CMAKE_CURRENT_SOURCE_DIR}/gateway")
    add_dependencies(${name} projector-gateway projector-ctl)
endforeach()

# The shipped service, checked by systemd-analyze.
add_test(NAME gateway_unit_verify
    COMMAND sh ${CMAKE_CURRENT_SOURCE_DIR}/gateway/verify-unit.sh
        ${PROJECT_SOURCE_DIR}/packaging/systemd/projector-gateway.service
        $<TARGET_FILE:projector-gateway>)

# The window joins the line the gateway holds.
console_add_test(tst_joinedwindow SOURCES tst_joinedwindow.cpp support/answeringfarend.h
    support/consolewindow.h support/gatewayrig.h LIBS console_window Qt6::Network)
target_compile_definitions(tst_joinedwindow PRIVATE
    PROJECTOR_GATEWAY_PATH="$<TARGET_FILE:projector-gateway>"
    PROJECTOR_CONSOLE_PATH="$<TARGET_FILE:projector-console>"
    PROJECTOR_CTL_PATH="$<TARGET_FILE:projector-ctl>"
    GATEWAY_TEST_DIR="${CMAKE_CURRENT_SOURCE_DIR}/gateway")
add_dependencies(tst_joinedwindow projector-gateway projector-console projector-ctl)
