# SPDX-License-Identifier: GPL-3.0-or-later
# The fuzz targets' seed corpora, replayed through the targets' entry points with the
# ordinary compiler; the fuzzing itself is scripts/fuzz.sh.
set(FUZZ_DIR ${PROJECT_SOURCE_DIR}/fuzz)
console_add_test(tst_corpusreplay SOURCES tst_corpusreplay.cpp
    ${FUZZ_DIR}/check.cpp ${FUZZ_DIR}/forms.cpp
    ${FUZZ_DIR}/decoders.cpp ${FUZZ_DIR}/trace.cpp ${FUZZ_DIR}/settings.cpp
    ${FUZZ_DIR}/manualentry.cpp ${FUZZ_DIR}/simprojector.cpp ${FUZZ_DIR}/receiveroad.cpp
    ${FUZZ_DIR}/telnetcodec.cpp ${FUZZ_DIR}/statechanges.cpp ${FUZZ_DIR}/requests.cpp
    ${FUZZ_DIR}/pjlink.cpp
    LIBS console_gateway console_core console_sim console_link console_status)
target_compile_definitions(tst_corpusreplay PRIVATE FUZZ_CORPUS_DIR="${FUZZ_DIR}/corpus")
