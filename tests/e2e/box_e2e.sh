#!/usr/bin/env bash
# box_e2e.sh VEXTERM DEMO_BOARD WIDGET_PLACE
# A user answers the demo board's message with a quote, on a virtual X display with xdotool:
# logs in, reads the message (M), then "1) Scrollback to Box", "2) Edit Box" and a line typed at
# its end, "3) Format Edited Box" and "4) Send Formatted Box". The board must receive every word
# of the message, each line quoted with "->" and no wider than the 40-column screen, then the
# reply; the keys must be back on the screen afterwards.
vexterm=$1
board=$2
place=$3
e2e_dir=$(cd "$(dirname "$0")" && pwd)
source "$e2e_dir/e2e_lib.sh"

start_board
prepare_system KeyPressDelay=False UseBBSEditor=False UseTW=True ScrollBack=True DetectURLs=False QuotePrefix=-\>
read -r _ connect_x connect_y _ sb_x sb_y _ edit_x edit_y _ format_x format_y _ send_x send_y <<< \
    "$(places Command1 cmdSBtoBox cmdEditBox cmdQuoteBox cmdSendFmtd | tr '\n' ' ')"
start_display
start_vexterm

click "$(window "Welcome to the ATASCII")" 100 100
frame=$(window '^Vexterm$')
wait_screen_still 10 || fail "the windows did not settle"
click "$frame" "$connect_x" "$connect_y"
wait_for 20 grep -q "Connected to" "$system/VX3_log.txt" 2> /dev/null || fail "no call"
xdotool type --delay 20 "joe"
xdotool key Return
xdotool type --delay 20 "pw"
xdotool key Return
xdotool type --delay 20 "m"
xdotool key Return
wait_for 10 received_is "106 111 101 155 112 119 155 109 155" || fail "the login and M did not arrive"
wait_screen_still 10 || fail "the message was still being drawn"

# The clicks and keys reach the program in the order they are made: each acts on what the one
# before it did.
click "$frame" "$sb_x" "$sb_y"
click "$frame" "$edit_x" "$edit_y"
xdotool key ctrl+End
xdotool type --delay 15 " -- Count me in!"
click "$frame" "$format_x" "$format_y"
wait_screen_still 5
screenshot box_e2e_formatted.png
click "$frame" "$send_x" "$send_y"
wait_for 10 grep -q 'Count me in!' "$received" || fail "the reply did not arrive"
# Its last line is whole once the end of line after it has come.
wait_for 5 sh -c "tail -c 1 '$received' | od -A n -t u1 | grep -q 155" || fail "the reply did not end its line"

# The reply, one line per ATASCII end of line, after the login and M.
tr '\233' '\n' < "$received" | tail -n +4 > "$work/reply.txt"
while IFS= read -r quoted; do
    case "$quoted" in
        "->"*) ;;
        *) fail "a line is not quoted: '$quoted'" ;;
    esac
    [ ${#quoted} -le 40 ] || fail "a line is wider than the screen: '$quoted'"
done < "$work/reply.txt"
# Every word of the message arrived, in order: the lines joined again read as the message.
joined=$(sed 's/^->//' "$work/reply.txt" | tr '\n' ' ' | tr -s ' ')
for sentence in "Hi all, The club swap meet is on this Saturday at the Elm Street library hall, from 10 AM until 2 PM." \
    "Tables are free, so bring your spare drives, cartridges, joysticks and old magazines." \
    'I will have a box of 5.25" disks for a dime each and two spare modems to trade. Coffee is on the club.' \
    "See you there, Dale [End of message]" "-- Count me in!"; do
    case "$joined" in
        *"$sentence"*) ;;
        *) fail "not received as quoted: '$sentence'" ;;
    esac
done

# The keys are back on the screen: what is typed now goes to the board.
xdotool type --delay 20 "?"
wait_for 5 sh -c "tail -c 1 '$received' | od -A n -t u1 | grep -q 63" || fail "a key typed after the send did not reach the board"
screenshot box_e2e_sent.png
echo "ok: the board received the quoted reply, $(wc -l < "$work/reply.txt") lines"
