#!/usr/bin/env bash
# desktop_e2e.sh VEXTERM DEMO_BOARD
# The real vexterm binary on a virtual display. Later starts on the same folder (a telnet:// or
# atascii:// link clicked in a browser while the program runs) hand their board to the running
# program and end with status 0: it calls the board, or asks first while a call is up; a start
# without a board only brings it to the front. After a crash the socket it left is taken over.
# SIGTERM ends the run with the totals written.
vexterm=$1
board=$2
place=
e2e_dir=$(cd "$(dirname "$0")" && pwd)
source "$e2e_dir/e2e_lib.sh"

start_board
prepare_system KeyPressDelay=False UseBBSEditor=False
start_display
log="$system/VX3_log.txt"
count() { grep -c "$1" "$log" 2> /dev/null; }

# A later start: it must end by itself, with status 0; how long it took is printed.
second_start() {
    local began ended status
    began=$(date +%s%N)
    timeout 10 env -u QT_QPA_PLATFORM "$vexterm" --system-folder "$system" "$@" > /dev/null 2>&1
    status=$?
    ended=$(date +%s%N)
    [ "$status" -eq 0 ] || fail "a second start ($*) ended with status $status"
    echo "second start ($*): ended with 0 after $(((ended - began) / 1000000)) ms"
}

start_vexterm
wait_for 20 bash -c "xdotool search --onlyvisible --name 'Welcome to the ATASCII' > /dev/null" || fail "no welcome window"
click "$(window "Welcome to the ATASCII")" 100 100
wait_for 30 grep -q "System Started" "$log" 2> /dev/null || fail "the program did not start"

second_start "atascii://127.0.0.1:$port"
wait_for 30 grep -q "Connected to 127.0.0.1" "$log" || fail "the running program did not call the board handed over"
second_start
second_start "atascii://127.0.0.1:$port"
sleep 2
[ "$(count 'System Started')" -eq 1 ] || fail "a second start ran the start-up again"
[ "$(count 'Connected to')" -eq 1 ] || fail "a link handed over during a call dialled without asking"

# A crash leaves the lock and the socket behind; the next start takes both over.
kill -KILL "$vexterm_pid"
wait "$vexterm_pid" 2> /dev/null
start_vexterm "127.0.0.1:$port"
wait_for 30 bash -c "[ \$(grep -c 'Connected to' '$log') -eq 2 ]" || fail "no call after the restart"
second_start
[ "$(count 'System Started')" -eq 2 ] || fail "a start after the crash did not run, or ran twice"

kill -TERM "$vexterm_pid"
wait_for 10 grep -q "System Unloaded" "$log" || fail "SIGTERM did not run the shutdown"
wait_for 10 bash -c "! kill -0 $vexterm_pid 2> /dev/null" || fail "vexterm did not end after SIGTERM"

chars=$(sed -n 's/.* : Chars session ..: \([0-9,]*\).*/\1/p' "$log" | tr -d ,)
[ -n "$chars" ] && [ "$chars" -gt 100 ] || fail "the log counts ${chars:-no} characters from the board"
grep -q "TotalIncoming= $chars" "$system/VX3_Cfg.ini" || fail "TotalIncoming is not $chars"
grep -q "SessionNum= 1" "$system/VX3_Cfg.ini" || fail "SessionNum is not 1"
echo "ok: $chars characters received and counted"
