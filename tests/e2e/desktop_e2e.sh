#!/usr/bin/env bash
# desktop_e2e.sh VEXTERM DEMO_BOARD
# The real vexterm binary on a virtual display, dialling the demo board on 127.0.0.1 from the
# command line: the log must show the call and the board's bytes, a second start on the same
# folder must neither start the system again nor dial, and SIGTERM must end the run with the
# totals written.
vexterm=$1
board=$2
place=
e2e_dir=$(cd "$(dirname "$0")" && pwd)
source "$e2e_dir/e2e_lib.sh"

start_board
prepare_system KeyPressDelay=False UseBBSEditor=False
start_display
start_vexterm "127.0.0.1:$port"

log="$system/VX3_log.txt"
wait_for 30 grep -q "Connected to 127.0.0.1" "$log" 2> /dev/null || fail "no call in the log"
kill -0 "$vexterm_pid" 2> /dev/null || fail "vexterm is not running"
# The second start only says that the program is already running.
env -u QT_QPA_PLATFORM "$vexterm" --system-folder "$system" "127.0.0.1:$port" > /dev/null 2>&1 &
second=$!
sleep 2
[ "$(grep -c 'System Started' "$log")" -eq 1 ] || fail "a second start ran the start-up again"
[ "$(grep -c 'Connected to' "$log")" -eq 1 ] || fail "a second start dialled again"
kill "$second" 2> /dev/null
wait "$second" 2> /dev/null
kill -TERM "$vexterm_pid"
wait_for 10 grep -q "System Unloaded" "$log" || fail "SIGTERM did not run the shutdown"
wait_for 10 bash -c "! kill -0 $vexterm_pid 2> /dev/null" || fail "vexterm did not end after SIGTERM"

chars=$(sed -n 's/.* : Chars session ..: \([0-9,]*\).*/\1/p' "$log" | tr -d ,)
[ -n "$chars" ] && [ "$chars" -gt 100 ] || fail "the log counts ${chars:-no} characters from the board"
grep -q "TotalIncoming= $chars" "$system/VX3_Cfg.ini" || fail "TotalIncoming is not $chars"
grep -q "SessionNum= 1" "$system/VX3_Cfg.ini" || fail "SessionNum is not 1"
echo "ok: $chars characters received and counted"
