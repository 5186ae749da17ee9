#!/bin/sh
# The player as a screen reader drives it: on a virtual display, under a private session bus that
# starts the accessibility bus, an AT-SPI client finds "Play" by name, presses it, and reads the
# display's time move on from "Elapsed 00:00".
# Usage: atspi_test.sh SONATRIX SONATRIX_CATALOGUE
set -eu
program=$1
tool=$2
here=$(cd "$(dirname "$0")" && pwd)
fail() { echo "FAIL: $*" >&2; exit 1; }
for pair in xvfb-run:xvfb dbus-run-session:dbus-daemon /usr/libexec/at-spi-bus-launcher:at-spi2-core; do
    command -v "${pair%%:*}" >/dev/null 2>&1 ||
        fail "${pair%%:*} is missing: scripts/setup installs the package ${pair#*:}"
done
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null ||
    fail "pyatspi is missing: scripts/setup installs the package python3-pyatspi"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# A silent disc of two ten-second tracks.
head -c $((2352 * 75 * 20)) /dev/zero >"$work/disc.bin"
printf 'FILE "disc.bin" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    INDEX 01 00:10:00\n' >"$work/disc.cue"
# The catalogue files exist beforehand, so no question box waits for an answer.
"$tool" --data-dir "$work/data" --yes list >/dev/null

export program work here
xvfb-run -a dbus-run-session -- sh -c '
    QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 \
        "$program" --data-dir "$work/data" --image "$work/disc.cue" 2>"$work/stderr" &
    pid=$!
    /usr/bin/python3 "$here/atspi_client.py" >"$work/client" 2>&1 || touch "$work/failure"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
' 2>/dev/null

[ ! -f "$work/failure" ] || fail "$(cat "$work/client"); the player said: $(cat "$work/stderr")"
echo "ok: $(cat "$work/client")"
