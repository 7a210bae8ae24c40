#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the console's icon from projector-console.svg into the PNG sizes the
# package installs (hicolor 48, 128 and 256 px). Run after changing the SVG.
set -eu
cd "$(dirname "$0")"
for size in 48 128 256; do
    rsvg-convert -w "$size" -h "$size" projector-console.svg -o "projector-console-$size.png"
done
