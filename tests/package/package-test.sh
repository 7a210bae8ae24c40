#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package from a configured and built tree, unpacks it and
# checks what an installation holds: every program answers --version and has a
# manual page naming each of its options, the desktop entry and the AppStream
# metadata validate, the icons are there in their sizes, the systemd units
# verify, lintian finds no error, and `cmake --install` puts the same files
# under another prefix. The checks come in two halves, each run on a package
# of its own so that both can run at once: `files` (programs, pages, metadata,
# icons, licence, prefix) and `tools` (lintian and the systemd units).
#   package-test.sh files|tools BUILD_DIR [CMAKE CPACK]
set -eu

half=$1
shift
build=$(cd "$1" && pwd)
cmake=${2:-cmake}
cpack=${3:-cpack}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

"$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; exit 1; }
set -- "$work"/out/*.deb
[ $# -eq 1 ] && [ -f "$1" ] || { echo "FAIL: no single package in $work/out"; exit 1; }
deb=$1
echo "package: $(basename "$deb")"
root=$work/root
dpkg-deb -x "$deb" "$root"

if [ "$half" = files ]; then
# Programs: --version without a display, and a manual page with every option.
export QT_QPA_PLATFORM=offscreen
for program in projector-console projector-sim; do
    [ -x "$root/usr/bin/$program" ] || fail "$program is not installed"
done
for binary in "$root"/usr/bin/*; do
    program=$(basename "$binary")
    version=$("$binary" --version 2>&1) || fail "$program --version exits $?"
    case $version in
    "$program "[0-9]*) echo "$version" ;;
    *) fail "$program --version says: $version" ;;
    esac
    page=$root/usr/share/man/man1/$program.1.gz
    if ! gzip -t "$page" 2>/dev/null; then
        fail "no manual page $program.1.gz"
        continue
    fi
    zcat "$page" | grep -q "^\.TH $(echo "$program" | tr a-z A-Z) 1 " ||
        fail "$program.1 has no title line"
    for option in $("$binary" --help | grep -o -- '--[a-z][a-z0-9-]*' | sort -u); do
        roff=$(echo "$option" | sed 's/-/\\\\-/g')
        zcat "$page" | grep -q -- "$roff" || fail "$program.1 does not describe $option"
    done
done
console_version=$("$root/usr/bin/projector-console" --version | cut -d' ' -f2)
[ "$(dpkg-deb -f "$deb" Version)" = "$console_version" ] ||
    fail "package version $(dpkg-deb -f "$deb" Version), console $console_version"
for dependency in fonts-ipafont-gothic qt6-qpa-plugins libqt6widgets6 libqt6serialport6; do
    dpkg-deb -f "$deb" Depends | grep -q "$dependency" || fail "does not depend on $dependency"
done

# Desktop entry and metadata.
desktop=$root/usr/share/applications/projector-console.desktop
messages=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate exits $?"
[ -z "$messages" ] || fail "desktop-file-validate: $messages"
grep -q '^Exec=projector-console$' "$desktop" || fail "desktop entry does not start the console"
metainfo=$root/usr/share/metainfo/projector-console.metainfo.xml
# The id is the desktop entry's name: the project has no domain of its own to
# name it by in reverse (org.example.App), so that one advice is shown as a
# hint; anything else fails.
appstreamcli validate --no-net --override=cid-desktopapp-is-not-rdns=info "$metainfo" \
    >"$work/appstream.log" 2>&1 || fail "appstreamcli validate exits $?"
cat "$work/appstream.log"
if grep -q '<image>' "$metainfo"; then
    grep -q '<image>https\?://[^<]*view-full.png</image>' "$metainfo" ||
        fail "metadata shows another picture than the full view"
fi
if grep -rqs 'example\.org' "$metainfo" "$root/usr/share/doc/projector-console/copyright" ||
    dpkg-deb -f "$deb" Homepage | grep -q example; then
    fail "a stand-in address in the metadata, the copyright file or the Homepage field"
fi

# Icons: the SVG and a PNG of each size.
icons=$root/usr/share/icons/hicolor
[ -s "$icons/scalable/apps/projector-console.svg" ] || fail "no scalable icon"
for size in 48 128 256; do
    file "$icons/${size}x$size/apps/projector-console.png" | grep -q "PNG image data, $size x $size," ||
        fail "no $size px icon"
done

# Licence: GPL-3.0-or-later in the machine-readable copyright file and the metadata.
copyright=$root/usr/share/doc/projector-console/copyright
head -1 "$copyright" | grep -q '^Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/' ||
    fail "copyright file is not machine-readable"
grep -q '^License: GPL-3.0+$' "$copyright" || fail "copyright file names no GPL-3.0+"
grep -q '<project_license>GPL-3.0-or-later</project_license>' "$metainfo" ||
    fail "metadata names no project licence"

# The same files under any prefix.
"$cmake" --install "$build" --prefix "$work/prefix" >/dev/null
(cd "$root/usr" && find . ! -type d | sort) >"$work/package.list"
(cd "$work/prefix" && find . ! -type d | sort) >"$work/install.list"
diff "$work/package.list" "$work/install.list" || fail "cmake --install puts other files"

fi

if [ "$half" = tools ]; then
# lintian: no error and no hardening tag (the rest is shown, not failed).
lintian --pedantic --display-info --fail-on error "$deb" >"$work/lintian.log" 2>&1 ||
    fail "lintian finds errors"
grep -v 'root privileges' "$work/lintian.log" || true
if grep -q 'hardening-' "$work/lintian.log"; then fail "lintian finds unhardened binaries"; fi

# Services: systemd-analyze verifies each unit (the programs it starts being
# the package's own) and rates its hardening; exposure above 2.5 fails.
for unit in "$root"/usr/lib/systemd/system/*.service; do
    [ -f "$unit" ] || { fail "no systemd unit"; break; }
    command -v systemd-analyze >/dev/null || { echo "systemd-analyze is missing: units not checked"; break; }
    name=$(basename "$unit")
    mkdir -p "$work/units"
    sed "s|/usr/bin/|$root/usr/bin/|g" "$unit" >"$work/units/$name"
    systemd-analyze verify --man=no "$work/units/$name" >"$work/verify.log" 2>&1 ||
        fail "systemd-analyze verify $name: $(cat "$work/verify.log")"
    systemd-analyze security --offline=yes --threshold=25 "$work/units/$name" >"$work/security.log" 2>&1 ||
        fail "systemd-analyze security $name: $(tail -1 "$work/security.log")"
    echo "$name: $(grep 'Overall exposure' "$work/security.log")"
done

# The watch's unit runs its command as written, from the unpacked package, on
# a configuration of one simulated line, for one round and on a free port.
watch_unit=$root/usr/lib/systemd/system/projector-watch.service
if [ -f "$watch_unit" ]; then
    mkdir -p "$work/etc"
    echo "hall sim addresses=1" >"$work/etc/projector-watch.conf"
    command=$(sed -n 's/^ExecStart=//p' "$watch_unit" |
        sed "s|/usr/bin/|$root/usr/bin/|; s|/etc/projector-console/|$work/etc/|; s|--listen [0-9]*|--listen 0|")
    # shellcheck disable=SC2086 # the unit's words
    timeout 20 $command --rounds 1 >"$work/watch.log" 2>&1 ||
        fail "projector-watch.service's command exits $?: $(cat "$work/watch.log")"
    grep -q 'serving http://127.0.0.1:' "$work/watch.log" ||
        fail "projector-watch.service's command serves no metrics: $(cat "$work/watch.log")"
fi

fi

[ "$failures" -eq 0 ] || { echo "$failures failure(s)"; exit 1; }
echo "package checked"
