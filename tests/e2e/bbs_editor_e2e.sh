#!/usr/bin/env bash
# bbs_editor_e2e.sh VEXTERM DEMO_BOARD WIDGET_PLACE
# A user adds a board in the BBS editor of the real program, on a virtual X display with
# xdotool: Add BBS, the demo board's address typed as host:port, a name, Save + Close + Connect.
# The call must reach the demo board and its first screen must arrive; after the program ends
# the board is in the list file.
vexterm=$1
board=$2
place=$3
e2e_dir=$(cd "$(dirname "$0")" && pwd)
source "$e2e_dir/e2e_lib.sh"

start_board
prepare_system KeyPressDelay=False UseBBSEditor=True
read -r _ add_x add_y _ url_x url_y _ name_x name_y _ connect_x connect_y <<< "$(places frmBBS/cmdAddBBS frmBBS/txtBBSurl frmBBS/txtBBSname frmBBS/cmdConnect | tr '\n' ' ')"
start_display
start_vexterm

visible_windows() { xdotool search --onlyvisible --name '.' 2> /dev/null | wc -l; }
welcome_gone() { ! xdotool search --onlyvisible --name "Welcome to the ATASCII" > /dev/null 2>&1; }

click "$(window "Welcome to the ATASCII")" 100 100
editor=$(window '^BBS Editor - Last Edit:')
wait_for 10 welcome_gone || fail "the welcome window stayed"
before=$(visible_windows)
click "$editor" "$add_x" "$add_y"
wait_for 10 test "$(visible_windows)" -gt "$before" || fail "Add BBS showed no message"
answer_message Return  # "BBS added - ID: 2"
click "$editor" "$url_x" "$url_y"
xdotool key ctrl+a
xdotool type --delay 10 "127.0.0.1:$port"
click "$editor" "$name_x" "$name_y"
xdotool key ctrl+a
xdotool type --delay 10 "My Demo Board"
screenshot bbs_editor_e2e_editing.png
click "$editor" "$connect_x" "$connect_y"

wait_for 20 grep -q "Connected to My Demo Board" "$system/VX3_log.txt" 2> /dev/null || fail "the new board was not called"
# A login typed at the board's first screen comes back to it: the screen is up and takes keys.
xdotool type --delay 30 "joe"
xdotool key Return
wait_for 10 received_is "106 111 101 155" || fail "the login typed at the first screen did not arrive"
screenshot bbs_editor_e2e_called.png
kill -TERM "$vexterm_pid"
wait_for 10 grep -q "Chars session" "$system/VX3_log.txt" || fail "no shutdown totals in the log"
chars=$(sed -n 's/.* : Chars session ..: \([0-9,]*\).*/\1/p' "$system/VX3_log.txt" | tr -d ,)
[ -n "$chars" ] && [ "$chars" -gt 100 ] || fail "the board's first screen did not arrive (${chars:-no} characters)"
grep -q "^2=My Demo Board" "$system/VX3_BBS.INI" || fail "the board is not in the list's index"
grep -q "^Port= $port" "$system/VX3_BBS.INI" || fail "the port was not kept"
echo "ok: the board added in the editor was called and sent $chars characters"
