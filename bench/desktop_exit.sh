#!/usr/bin/env bash
# Timed runs of the real program's end, under a window manager: connected to the demo board with
# the key click on and a few keys typed, the frame is closed as a user closes it (Alt+F4 through
# openbox) or the program gets SIGTERM, and the time until the process has ended is taken.
# Usage: tests/e2e/with_openbox.sh 1366x768 bench/desktop_exit.sh VEXTERM DEMO_BBS [RUNS]
set -u
vexterm=$1
board=$2
runs=${3:-5}
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'kill $(jobs -p) 2> /dev/null; wait 2> /dev/null; [ -n "${VX_KEEP:-}" ] || rm -rf "$work"' EXIT

source "$root/bench/demo_board.sh"
start_demo_board

# One run: start, call, type, end by $1 (close or term); prints the milliseconds to the end.
run_once() {
    local how=$1 system=$2 pid began
    bash "$root/tests/e2e/prepare_system_folder.sh" "$system"
    sed -i 's/^\[Config\]\r$/[Config]\r\nAtariClick=True\r\nBuzzer=True\r\nTitleBarMsg=False\r/' "$system/VX3_Cfg.ini"
    "$vexterm" --system-folder "$system" "127.0.0.1:$port" > "$system.out" 2>&1 &
    pid=$!
    for _ in $(seq 100); do grep -q 'Connected to' "$system/VX3_log.txt" 2> /dev/null && break; sleep 0.05; done
    sleep 0.5
    xdotool type --delay 30 "joe"
    sleep 0.5
    if [ "$how" = close ]; then
        # The frame: its caption names the board while connected.
        xdotool search --all --pid "$pid" --onlyvisible --name '\[127\.0\.0\.1\]' windowactivate --sync > /dev/null 2>&1
        began=$(date +%s%N)
        xdotool key alt+F4
    else
        began=$(date +%s%N)
        kill -TERM "$pid"
    fi
    wait "$pid"
    echo $((($(date +%s%N) - began) / 1000000))
}

for how in close term; do
    times=()
    for run in $(seq "$runs"); do times+=("$(run_once "$how" "$work/$how$run")"); done
    sorted=$(printf '%s\n' "${times[@]}" | sort -n)
    echo "$how: median $(echo "$sorted" | sed -n "$(((runs + 1) / 2))p") ms, worst $(echo "$sorted" | tail -n1) ms" \
        "over $runs runs (target: within 300 ms)"
done
