#!/usr/bin/env bash
# The real vexterm binary on a virtual display, dialling the demo board on 127.0.0.1 from the
# command line: the log must show the call and the board's bytes, and SIGTERM must end the run
# with the totals written.
set -u
vexterm=$1
board=$2
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
system="$work/Vexterm"
board_pid=
# The programs themselves, not the xvfb-run wrappers: a wrapper ends by itself once its program
# has, and takes its X server with it (killing the wrapper would leave the server behind).
programs() { pgrep -f -- "^$vexterm --system-folder $system" || true; }
cleanup() {
    for program in $(programs); do kill "$program" 2> /dev/null; done
    [ -n "$board_pid" ] && kill "$board_pid" 2> /dev/null
    wait 2> /dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    [ -f "$work/Vexterm/VX3_log.txt" ] && { echo "--- log"; cat "$work/Vexterm/VX3_log.txt"; }
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

bash "$here/prepare_system_folder.sh" "$system"

"$board" --port 0 > "$work/board.out" 2>&1 &
board_pid=$!
wait_for 10 grep -q '^listening on 127.0.0.1:' "$work/board.out" || fail "the demo board did not start"
port=$(sed -n 's/^listening on 127.0.0.1:\([0-9]*\).*/\1/p' "$work/board.out")

env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1280x1024x24" "$vexterm" --system-folder "$system" "127.0.0.1:$port" \
    > "$work/vexterm.out" 2> "$work/vexterm.err" &

log="$system/VX3_log.txt"
wait_for 30 grep -q "Connected to 127.0.0.1" "$log" 2> /dev/null || fail "no call in the log"
pid=$(programs)
[ -n "$pid" ] || fail "vexterm is not running"
# A second start on the same system folder only says the program is already running: it
# neither starts the system again nor dials.
env -u QT_QPA_PLATFORM xvfb-run -a "$vexterm" --system-folder "$system" "127.0.0.1:$port" > /dev/null 2>&1 &
second=$!
sleep 2
[ "$(grep -c 'System Started' "$log")" -eq 1 ] || fail "a second start ran the start-up again"
[ "$(grep -c 'Connected to' "$log")" -eq 1 ] || fail "a second start dialled again"
for other in $(programs); do
    [ "$other" = "$pid" ] || kill "$other" 2> /dev/null
done
wait "$second" 2> /dev/null
sleep 0.5
kill -TERM "$pid"
wait_for 10 grep -q "System Unloaded" "$log" || fail "SIGTERM did not run the shutdown"
wait_for 10 bash -c "! kill -0 $pid 2> /dev/null" || fail "vexterm did not end after SIGTERM"

chars=$(sed -n 's/.* : Chars session ..: \([0-9,]*\).*/\1/p' "$log" | tr -d ,)
[ -n "$chars" ] && [ "$chars" -gt 100 ] || fail "the log counts ${chars:-no} characters from the board"
grep -q "TotalIncoming= $chars" "$system/VX3_Cfg.ini" || fail "TotalIncoming is not $chars"
grep -q "SessionNum= 1" "$system/VX3_Cfg.ini" || fail "SessionNum is not 1"
echo "ok: $chars characters received and counted"
