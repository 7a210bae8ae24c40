#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what the console needs to build and run on Debian 12, if missing,
# then configures and builds it into build/.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/install-missing.sh

packages=(cmake g++ make pkg-config qt6-base-dev qt6-serialport-dev qt6-qpa-plugins
          fonts-ipafont-gothic fonts-dejavu-core xvfb
          dpkg-dev file desktop-file-utils appstream lintian ser2net systemd
          qt6-httpserver-dev qt6-websockets-dev prometheus nodejs)
install_missing "${packages[@]}"
# The gateway's tests install a PJLink client with npm; a Node.js of its own
# (NodeSource's) brings npm with it.
command -v npm >/dev/null || install_missing npm

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
