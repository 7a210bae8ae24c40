#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds console-screenshots and draws the window's four views into docs/
# on the offscreen platform: view-normal.png, view-data.png, port-chooser.png,
# view-extended.png, view-full.png.
#   BUILD_DIR   build directory (default build-screenshots in the source tree)
#   SOURCE_DIR  CMake source directory (default the source tree)
set -eu

docs=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$docs")
source_dir=${SOURCE_DIR:-$root}
build_dir=${BUILD_DIR:-$root/build-screenshots}

cmake -S "$source_dir" -B "$build_dir" >/dev/null
cmake --build "$build_dir" --target console-screenshots --parallel
QT_QPA_PLATFORM=offscreen "$build_dir/console-screenshots" "$docs"
