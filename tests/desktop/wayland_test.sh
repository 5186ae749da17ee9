#!/bin/sh
# The player on a Wayland compositor: under a headless weston with its own runtime directory and
# session bus it plays a disc, tells its position through MPRIS, takes a second start's hand-over,
# leaves the stored window position alone (the compositor places windows) and closes cleanly with
# nothing on standard error.
# Usage: wayland_test.sh SONATRIX SONATRIX_CATALOGUE
set -eu
program=$1
tool=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
for pair in weston:weston dbus-run-session:dbus-daemon playerctl:playerctl dbus-send:dbus; do
    command -v "${pair%%:*}" >/dev/null 2>&1 ||
        fail "${pair%%:*} is missing: scripts/setup installs the package ${pair#*:}"
done

work=$(mktemp -d)
weston_pid=
cleanup() {
    [ -z "$weston_pid" ] || kill "$weston_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# Bounded waits for things another process does: 0.1 s steps, 30 s at most. Kept as text so the
# session's inner shell defines the same function.
wait_for_definition='wait_for() {
    steps=0
    until eval "$1"; do
        steps=$((steps + 1))
        [ "$steps" -lt 300 ] || return 1
        sleep 0.1
    done
}'
eval "$wait_for_definition"

export XDG_RUNTIME_DIR="$work/run"
mkdir -m 700 "$XDG_RUNTIME_DIR"
weston --backend=headless-backend.so --socket=wayland-test --idle-time=0 >"$work/weston.log" 2>&1 &
weston_pid=$!
wait_for '[ -S "$XDG_RUNTIME_DIR/wayland-test" ]' || fail "weston did not start: $(cat "$work/weston.log")"
export WAYLAND_DISPLAY=wayland-test QT_QPA_PLATFORM=wayland
unset DISPLAY

# A silent disc of two ten-second tracks.
head -c $((2352 * 75 * 20)) /dev/zero >"$work/disc.bin"
printf 'FILE "disc.bin" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n  TRACK 02 AUDIO\n    INDEX 01 00:10:00\n' >"$work/disc.cue"
# The catalogue files exist beforehand, so no question box waits for an answer.
"$tool" --data-dir "$work/data" --yes list >/dev/null
printf '[General]\nMain top=123\nMain left=77\n' >"$work/data/SONATRIX.INI"

export program work wait_for_definition
dbus-run-session -- sh -c '
    eval "$wait_for_definition"
    "$program" -p --data-dir "$work/data" --image "$work/disc.cue" 2>"$work/stderr" &
    pid=$!
    past_one_second() {
        position=$(playerctl --player=sonatrix position 2>/dev/null) &&
            awk -v p="$position" "BEGIN { exit !(p > 1) }"
    }
    wait_for past_one_second || echo "no position past 1 s: ${position:-none}" >"$work/failure"
    # A second start hands over and brings the player forward, as far as Wayland lets it.
    "$program" -p 2>>"$work/stderr" || echo "the second start failed" >"$work/failure"
    playerctl --player=sonatrix status >"$work/status" 2>&1 || true
    dbus-send --session --print-reply --dest=org.mpris.MediaPlayer2.sonatrix \
        /org/mpris/MediaPlayer2 org.mpris.MediaPlayer2.Quit >/dev/null 2>&1 ||
        kill "$pid"
    wait "$pid"
    echo $? >"$work/status_code"
' 2>/dev/null

[ ! -f "$work/failure" ] || fail "$(cat "$work/failure"); standard error: $(cat "$work/stderr")"
[ "$(cat "$work/status")" = Playing ] || fail "status: $(cat "$work/status")"
[ "$(cat "$work/status_code")" = 0 ] || fail "exit status $(cat "$work/status_code")"
[ ! -s "$work/stderr" ] || fail "standard error: $(cat "$work/stderr")"
grep -q '^Main top=123' "$work/data/SONATRIX.INI" && grep -q '^Main left=77' "$work/data/SONATRIX.INI" ||
    fail "the stored window position changed: $(grep '^Main' "$work/data/SONATRIX.INI")"
echo "ok"
