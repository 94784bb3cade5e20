#!/usr/bin/env bash
# with_openbox.sh WIDTHxHEIGHT COMMAND [ARG...]: runs COMMAND on a virtual X display of that size
# managed by openbox, as users run the program: title bars take room, windows are placed and
# activated by the window manager, which may refuse a program's request. Exits with COMMAND's
# status; 77 (skipped) when Xvfb or openbox is missing.
set -u
size=$1
shift
command -v Xvfb > /dev/null && command -v openbox > /dev/null || { echo "Xvfb or openbox missing"; exit 77; }
work=$(mktemp -d)
xvfb_pid=
wm_pid=
cleanup() {
    [ -n "$wm_pid" ] && kill "$wm_pid" 2> /dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2> /dev/null
    wait 2> /dev/null
    rm -rf "$work"
}
trap cleanup EXIT
wait_for() {  # wait_for SECONDS COMMAND...
    local tries=$(($1 * 10))
    shift
    while ! "$@"; do
        tries=$((tries - 1))
        [ $tries -gt 0 ] || return 1
        sleep 0.1
    done
}

Xvfb -displayfd 3 -noreset -screen 0 "${size}x24" -nolisten tcp 3> "$work/display" > "$work/xvfb.log" 2>&1 &
xvfb_pid=$!
wait_for 10 test -s "$work/display" || { echo "the virtual display did not start"; exit 1; }
export DISPLAY=:$(head -n 1 "$work/display")
# openbox with its defaults, in a home of its own so no user's settings change what is tested.
HOME=$work XDG_CONFIG_HOME=$work openbox > "$work/openbox.log" 2>&1 &
wm_pid=$!
# The window manager is up once it has claimed the root window.
wait_for 10 bash -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2> /dev/null | grep -q "window id"' ||
    { echo "openbox did not start"; cat "$work/openbox.log"; exit 1; }
QT_QPA_PLATFORM=xcb "$@"
