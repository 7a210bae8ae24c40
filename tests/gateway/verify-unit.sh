#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# The gateway's service checked by systemd: its syntax and options (with the
# built program in place of the installed one), and its confinement rated
# "OK" (exposure 2.0 or less) by systemd-analyze security.
#   verify-unit.sh UNIT PROGRAM
set -e
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
sed "s|/usr/bin/projector-gateway|$2|" "$1" > "$dir/projector-gateway.service"
systemd-analyze verify --man=no "$dir/projector-gateway.service"
status=0
systemd-analyze security --offline=yes --threshold=20 "$dir/projector-gateway.service" \
    > "$dir/security" || status=$?
tail -1 "$dir/security"
exit $status
