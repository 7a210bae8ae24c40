#!/usr/bin/env bash
# Builds the console and runs every test on the offscreen platform.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cd build
QT_QPA_PLATFORM=offscreen ctest --output-on-failure --timeout 300
