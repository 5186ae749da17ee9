#!/bin/sh
# Installs the build into a temporary prefix and checks what the desktop reads there: the
# programs, the desktop file, the icon and the AppStream data, each through its own validator.
# Usage: install_test.sh BUILD_DIR
set -eu
build=$1
fail() { echo "FAIL: $*" >&2; exit 1; }
# Each tool with the package scripts/setup installs it from.
for pair in desktop-file-validate:desktop-file-utils appstreamcli:appstream rsvg-convert:librsvg2-bin; do
    tool=${pair%%:*}
    command -v "$tool" >/dev/null 2>&1 || fail "$tool is missing: scripts/setup installs the package ${pair#*:}"
done

prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install "$build" --prefix "$prefix" >/dev/null

desktop=$prefix/share/applications/sonatrix.desktop
icon=$prefix/share/icons/hicolor/scalable/apps/sonatrix.svg
metainfo=$prefix/share/metainfo/sonatrix.metainfo.xml
for program in sonatrix sonatrix-catalogue; do
    [ -x "$prefix/bin/$program" ] || fail "bin/$program not installed"
done
for file in "$desktop" "$icon" "$metainfo"; do
    [ -s "$file" ] || fail "${file#"$prefix"/} not installed"
done

# Any remark of the validator counts: desktop-file-validate exits 0 on mere warnings.
remarks=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $remarks"
[ -z "$remarks" ] || fail "desktop-file-validate: $remarks"
for line in 'Exec=sonatrix /p %U' 'Icon=sonatrix' 'MimeType=x-content/audio-cdda;' \
    'Categories=AudioVideo;Audio;Player;' 'Terminal=false'; do
    grep -qxF "$line" "$desktop" || fail "the desktop file lacks: $line"
done

appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
grep -qF '<launchable type="desktop-id">sonatrix.desktop</launchable>' "$metainfo" ||
    fail "the AppStream data does not launch sonatrix.desktop"

# The icon must render, at its declared size: rsvg-convert draws it, and the PNG header's
# width and height (big-endian at bytes 16 and 20) say how large.
rsvg-convert "$icon" -o "$prefix/icon.png" || fail "the icon does not render"
size=$(od -An -tu1 -j16 -N8 "$prefix/icon.png" | awk '{print $3*256+$4, $7*256+$8}')
[ "$size" = "128 128" ] || fail "the icon renders at $size"

# The installed program takes what the desktop file's Exec line hands it.
"$prefix/bin/sonatrix" --help | grep -qF 'cdda://' || fail "sonatrix --help"
echo "installed and valid"
