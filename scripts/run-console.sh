#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the console and starts it with port 1 on the simulated projector line.
# Further options go to the console (see build/projector-console --help).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
exec build/projector-console --com1 sim "$@"
