#!/usr/bin/env bash
# telnet_e2e.sh VEXTERM DEMO_BOARD WIDGET_PLACE
# The demo board behind a telnet server, as most boards are reached: the real vexterm dials it
# as a telnet:// link, then as a saved board set to Auto. Each time the login typed and a ÿ
# (ATASCII 255) must reach the board as exactly those bytes: the negotiation is
# answered below the screen and a 255 goes out doubled, arriving as one.
vexterm=$1
board=$2
place=$3
e2e_dir=$(cd "$(dirname "$0")" && pwd)
source "$e2e_dir/e2e_lib.sh"

start_board --telnet
prepare_system UseBBSEditor=False
start_display
# ÿ gets a key of its own before the program starts: typed through xdotool's borrowed key, a slow
# program may look the key up after xdotool has given it back, and the byte is never sent.
spare=$(xmodmap -pke | awk 'NF == 3 { print $2; exit }')
[ -n "$spare" ] || fail "the virtual keyboard has no free key for ÿ"
xmodmap -e "keycode $spare = ydiaeresis"

# A link, as a browser hands it over: no welcome window, the call starts at once.
start_vexterm "telnet://127.0.0.1:$port"
frame=$(window '^Vexterm$')
wait_for 20 grep -q "Connected to" "$system/VX3_log.txt" 2> /dev/null || fail "no call from the link"
sleep 1
screenshot telnet_link_e2e.png
xdotool type --delay 20 "joe"
xdotool key Return
xdotool type --delay 20 "ÿ"
first="106 111 101 155 255"
wait_for 10 received_is "$first" || fail "the link's call did not deliver joe + 155 + one 255"
kill "$vexterm_pid"
wait "$vexterm_pid" 2> /dev/null
vexterm_pid=

# The saved board, set to Auto: Connect clicked with the mouse.
sed -i 's/^Port= \([0-9]*\)\r$/Port= \1\r\nProtocol=Auto\r/' "$system/VX3_BBS.INI"
grep -q '^Protocol=Auto' "$system/VX3_BBS.INI" || fail "the list was not set to Auto"
read -r _ connect_x connect_y <<< "$(places Command1)"
start_vexterm
click "$(window "Welcome to the ATASCII")" 100 100
frame=$(window '^Vexterm$')
sleep 0.5
click "$frame" "$connect_x" "$connect_y"
wait_for 20 test "$(grep -c "Connected to" "$system/VX3_log.txt")" -ge 2 || fail "no call to the saved board"
sleep 1
xdotool type --delay 20 "ann"
xdotool key Return
xdotool type --delay 20 "ÿ"
expected="$first 97 110 110 155 255"
wait_for 10 received_is "$expected" || fail "the saved board's call did not deliver ann + 155 + one 255"
sleep 0.5
received_is "$expected" || fail "more bytes arrived than typed"
screenshot telnet_auto_e2e.png
echo "ok: both calls negotiated; the board received $(wc -c < "$received") bytes exactly as typed"
