#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the console and runs every test on the offscreen platform; then builds it
# again with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/ and
# runs every test again under them (the package check and the benchmarks, which
# are about the release build, left out, and the screenshot program, which no
# test runs, not built), stopping at the first report.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
(cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300)

echo "== The same tests built with AddressSanitizer and UndefinedBehaviorSanitizer"
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=all"
# Line tables only (-g1): reports name file and line, and the build stays quick.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCONSOLE_BENCHES=OFF \
    -DCONSOLE_SCREENSHOTS=OFF \
    -DCMAKE_CXX_FLAGS="$sanitize -fno-omit-frame-pointer" \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1" \
    -DCMAKE_EXE_LINKER_FLAGS="$sanitize" -DCMAKE_SHARED_LINKER_FLAGS="$sanitize"
cmake --build build-asan -j"$(nproc)"
# Qt and the system libraries are not instrumented; leaks they keep on purpose are
# named in scripts/lsan.supp, never the console's own.
cd build-asan
QT_QPA_PLATFORM=offscreen \
    ASAN_OPTIONS="halt_on_error=1:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1" \
    LSAN_OPTIONS="suppressions=$PWD/../scripts/lsan.supp:print_suppressions=0" \
    UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1" \
    ctest --output-on-failure --timeout 300 -E '^package_'
