#!/usr/bin/env bash
# Timed runs of the real program on a virtual display (run under xvfb-run, or with DISPLAY
# set): cold start to the first painted frame of the screen, and resident memory once connected
# to the demo board. Usage: desktop_startup.sh VEXTERM DEMO_BBS [RUNS]
set -u
vexterm=$1
board=$2
runs=${3:-5}
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'kill $(jobs -p) 2> /dev/null; wait 2> /dev/null; rm -rf "$work"' EXIT

source "$root/bench/demo_board.sh"
start_demo_board

starts=() rss=()
for run in $(seq "$runs"); do
    system="$work/run$run"
    bash "$root/tests/e2e/prepare_system_folder.sh" "$system"
    launched=$(date +%s%3N)
    VEXTERM_TIMING=1 "$vexterm" --system-folder "$system" "127.0.0.1:$port" 2> "$work/err$run" &
    pid=$!
    for _ in $(seq 100); do grep -q 'first frame painted' "$work/err$run" && break; sleep 0.05; done
    painted=$(sed -n 's/.*first frame painted at \([0-9]*\) ms.*/\1/p' "$work/err$run")
    for _ in $(seq 100); do grep -q 'Connected to' "$system/VX3_log.txt" 2> /dev/null && break; sleep 0.05; done
    sleep 1
    kb=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
    kill -TERM "$pid"
    wait "$pid" 2> /dev/null
    [ -n "$painted" ] || { echo "run $run: no first frame"; cat "$work/err$run"; exit 2; }
    starts+=($((painted - launched)))
    rss+=("$kb")
    echo "run $run: first frame after $((painted - launched)) ms, resident $((kb / 1024)) MiB once connected"
done
sorted=$(printf '%s\n' "${starts[@]}" | sort -n)
median=$(echo "$sorted" | sed -n "$(((runs + 1) / 2))p")
worst_rss=$(printf '%s\n' "${rss[@]}" | sort -n | tail -n1)
echo "cold start to first painted frame: median ${median} ms (target < 400 ms)"
echo "resident memory once connected: at most $((worst_rss / 1024)) MiB (target < 80 MB)"
[ "$median" -lt 400 ] && [ "$worst_rss" -lt 80000 ]
