#!/usr/bin/env bash
# keys_e2e.sh VEXTERM DEMO_BOARD WIDGET_PLACE
# The real vexterm on a virtual X display, typed at with xdotool as a user types: the board is
# picked from the list, Connect is clicked with the mouse, a login is typed at once and faster
# than the key-press delay, then the keys that must reach a board as ATASCII. The demo board
# records every byte it receives; the test compares them, and takes a screenshot.
vexterm=$1
board=$2
place=$3
e2e_dir=$(cd "$(dirname "$0")" && pwd)
source "$e2e_dir/e2e_lib.sh"

start_board
# A system folder as a user has it: the demo board in the list, the key-press delay on (65 ms),
# no title-bar hints (the title stays "Vexterm", where xdotool finds the window).
prepare_system KeyPressDelay=True KeyDelayValue=65 UseBBSEditor=False
read -r _ connect_x connect_y <<< "$(places Command1)"
start_display
start_vexterm

# The welcome window: a click goes on.
click "$(window "Welcome to the ATASCII")" 100 100
frame=$(window '^Vexterm$')
sleep 0.5

# Connect, clicked with the mouse; then the login, typed at once (20 ms a key, under the delay).
click "$frame" "$connect_x" "$connect_y"

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
screenshot keys_e2e.png
echo "ok: the board received $(wc -c < "$received") bytes exactly as typed"
