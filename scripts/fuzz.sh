#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every fuzz target for SECONDS each, one after the other, and prints each
# target's executions per second and findings. Installs clang-14 and libFuzzer on
# Debian 12 if missing, and builds the targets into build-fuzz/.
#
#   scripts/fuzz.sh SECONDS [RUNS]     RUNS: stop a target earlier after that many inputs
#   FUZZ_TARGETS="decoders trace" scripts/fuzz.sh 60      only these targets
#   FUZZ_WORKERS=2 scripts/fuzz.sh 3600 10000000     each target in two processes
#                                  sharing its corpus, RUNS split between them
#
# New inputs that reach new code are kept in build-fuzz/corpus/TARGET (the seeds
# in fuzz/corpus/ stay as they are); findings go to build-fuzz/findings/TARGET/.
# Exits non-zero when any target found something.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/install-missing.sh

seconds=${1:?usage: scripts/fuzz.sh SECONDS [RUNS]}
runs=${2:--1}
workers=${FUZZ_WORKERS:-1}

packages=(clang-14 libclang-rt-14-dev cmake qt6-base-dev qt6-serialport-dev)
install_missing "${packages[@]}"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S fuzz -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 \
    "${launcher[@]}" >/dev/null
targets=${FUZZ_TARGETS:-$(ls fuzz/corpus)}
cmake --build build-fuzz -j"$(nproc)" --target $(printf 'fuzz-%s ' $targets)

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="halt_on_error=1:detect_leaks=1"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"

found=0
summary=()
for t in $targets; do
    work=build-fuzz/corpus/$t
    findings=build-fuzz/findings/$t
    mkdir -p "$work" "$findings"
    log=build-fuzz/fuzz-$t.log
    echo "== $t: ${seconds}s"
    # The targets that drive the console check leaks at exit only: Qt's caches
    # grow during a run and would make every input pay for a leak search. A
    # sequence of projector commands says all it has to say in 128 bytes, a
    # Telnet exchange in 256, the line's arrivals and commands in 512 (a flood
    # of up to 255 copies passes the receive buffer's limit from 129 bytes on).
    options=(-detect_leaks=1)
    case $t in
    manualentry) options=(-detect_leaks=0) ;;
    receiveroad) options=(-detect_leaks=0 -max_len=512) ;;
    simprojector) options+=(-max_len=128) ;;
    telnetcodec) options+=(-max_len=256) ;;
    esac
    # Each worker takes its share of RUNS and picks up what the others add to
    # the corpus (libFuzzer reloads it every second).
    pids=()
    logs=()
    for ((w = 1; w <= workers; w++)); do
        share=$runs
        [ "$runs" -ge 0 ] && share=$(((runs + workers - w) / workers))
        log=build-fuzz/fuzz-$t.log
        [ "$workers" -gt 1 ] && log=build-fuzz/fuzz-$t.$w.log
        nice -n 19 "build-fuzz/fuzz-$t" -max_total_time="$seconds" -runs="$share" \
            -print_final_stats=1 "${options[@]}" \
            -artifact_prefix="$findings/" "$work" "fuzz/corpus/$t" >"$log" 2>&1 &
        pids+=($!)
        logs+=("$log")
    done
    status=0
    for pid in "${pids[@]}"; do
        wait "$pid" || status=$?
    done
    total() { sed -n "s/^stat::$1: *//p" "${logs[@]}" | awk '{ s += $1 } END { if (NR) print s }'; }
    executions=$(total number_of_executed_units)
    perSecond=$(total average_exec_per_sec)
    log=${logs[*]}
    count=$(find "$findings" -type f | wc -l)
    if [ "$status" -ne 0 ] && [ "$count" -eq 0 ]; then
        count=1 # it stopped without leaving an input: see the log
    fi
    if [ "$count" -gt 0 ]; then
        found=1
        grep -E 'property broken|ERROR:|SUMMARY:|Test unit written' "${logs[@]}" | head -5 || true
    fi
    line=$(printf '%-14s %12s executions %8s exec/s  %s findings  (log %s)' \
        "$t" "${executions:-?}" "${perSecond:-?}" "$count" "$log")
    echo "$line"
    summary+=("$line")
done
echo "== summary"
printf '%s\n' "${summary[@]}"
exit $found
