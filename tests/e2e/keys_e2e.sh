#!/usr/bin/env bash
# keys_e2e.sh VEXTERM DEMO_BOARD WIDGET_PLACE
# The real vexterm on a virtual X display, typed at with xdotool as a user types: the board is
# picked from the list, Connect is clicked with the mouse, a login is typed at once and faster
# than the key-press delay, then the keys that must reach a board as ATASCII. The demo board
# records every byte it receives; the test compares them, and takes a screenshot.
set -u
vexterm=$1
board=$2
place=$3
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
system="$work/Vexterm"
received="$work/received.bin"
board_pid=
display_pid=
export DISPLAY=
cleanup() {
    [ -n "${vexterm_pid:-}" ] && kill "$vexterm_pid" 2> /dev/null
    [ -n "$board_pid" ] && kill "$board_pid" 2> /dev/null
    [ -n "$display_pid" ] && kill "$display_pid" 2> /dev/null
    wait 2> /dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    [ -f "$received" ] && { echo "--- received"; od -A d -t u1 "$received"; }
    [ -f "$system/VX3_log.txt" ] && { echo "--- log"; cat "$system/VX3_log.txt"; }
    [ -f "$work/vexterm.err" ] && { echo "--- stderr"; cat "$work/vexterm.err"; }
    exit 1
}
wait_for() {  # wait_for SECONDS COMMAND...
    local tries=$(($1 * 10))
    shift
    while ! "$@"; do
        tries=$((tries - 1))
        [ $tries -gt 0 ] || return 1
        sleep 0.1
    done
}
received_is() { [ "$(od -A n -t u1 -v "$received" 2> /dev/null | tr -s ' \n' ' ' | sed 's/^ //;s/ $//')" = "$1" ]; }

"$board" --port 0 --record "$received" > "$work/board.out" 2>&1 &
board_pid=$!
wait_for 10 grep -q '^listening on 127.0.0.1:' "$work/board.out" || fail "the demo board did not start"
port=$(sed -n 's/^listening on 127.0.0.1:\([0-9]*\).*/\1/p' "$work/board.out")

# A system folder as a user has it: the demo board in the list, the key-press delay on (65 ms),
# no title-bar hints (the title stays "Vexterm", where xdotool finds the window).
mkdir -p "$system/Captures" "$system/Screens" "$system/Mojis"
sed "s/^Port= 6502/Port= $port/" "$here/VX3_BBS.INI" > "$system/VX3_BBS.INI"
printf '[Config]\r\nSysFolder=%s\r\nSysLog=True\r\nKeyPressDelay=True\r\nKeyDelayValue=65\r\nTitleBarMsg=False\r\nUseBBSEditor=False\r\nBeepOnConnect=False\r\n[Capture]\r\nCaptureFolder=%s\r\nCaptureFileName=VX3_capture.txt\r\nScreenDumpPath=%s\r\nMojisDumpPath=%s\r\n' \
    "$system" "$system/Captures" "$system/Screens" "$system/Mojis" > "$system/VX3_Cfg.ini"

# Where Connect lies in the frame, laid out as the program lays it out.
cp -r "$system" "$work/probe"
connect_at=$("$place" --system-folder "$work/probe" Command1 2> "$work/place.err") || fail "no place for Command1: $(cat "$work/place.err")"
read -r _ connect_x connect_y <<< "$connect_at"

# A display of our own; the server picks a free number and tells it.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$work/display" > "$work/xvfb.log" 2>&1 &
display_pid=$!
wait_for 10 test -s "$work/display" || fail "the virtual display did not start"
export DISPLAY=:$(head -n 1 "$work/display")
wait_for 10 xdotool getmouselocation > /dev/null 2>&1 || fail "the virtual display does not answer"

env -u QT_QPA_PLATFORM "$vexterm" --system-folder "$system" > "$work/vexterm.out" 2> "$work/vexterm.err" &
vexterm_pid=$!

# The welcome window: a click goes on.
wait_for 20 xdotool search --onlyvisible --name "Welcome to the ATASCII" > /dev/null || fail "no welcome window"
welcome=$(xdotool search --onlyvisible --name "Welcome to the ATASCII" | head -n 1)
xdotool mousemove --window "$welcome" 100 100 click 1
wait_for 20 xdotool search --onlyvisible --name '^Vexterm$' > /dev/null || fail "no main frame"
frame=$(xdotool search --onlyvisible --name '^Vexterm$' | head -n 1)
sleep 0.5

# Connect, clicked with the mouse; then the login, typed at once (20 ms a key, under the delay).
xdotool mousemove --window "$frame" "$connect_x" "$connect_y" click 1

wait_for 20 grep -q "Connected to" "$system/VX3_log.txt" 2> /dev/null || fail "no call"
xdotool type --delay 20 "joe"
xdotool key Return
wait_for 10 received_is "106 111 101 155" || fail "the login did not arrive as joe + 155"

# The keys a board must get as ATASCII: Backspace 126, Ctrl+A 1, Ctrl+W 23, Delete nothing,
# Tab 9, Ctrl+, (heart) 0, then Shift+Ctrl+1: macro 1, "yourpassword" and 155.
xdotool key BackSpace ctrl+a ctrl+w Delete Tab ctrl+comma
xdotool key ctrl+shift+1
expected="106 111 101 155 126 1 23 9 0 121 111 117 114 112 97 115 115 119 111 114 100 155"
wait_for 10 received_is "$expected" || fail "the keys did not arrive as expected"
sleep 0.5
received_is "$expected" || fail "more bytes arrived than typed"
if command -v import > /dev/null 2>&1; then
    import -window root "$work/screen.png" 2> /dev/null && [ -n "${VX_E2E_SHOTS:-}" ] && cp "$work/screen.png" "$VX_E2E_SHOTS/keys_e2e.png"
fi
echo "ok: the board received $(wc -c < "$received") bytes exactly as typed"
