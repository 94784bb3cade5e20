# Shared by the timed desktop runs. Sourced after $board and $work are set: starts the demo
# board on a free port of 127.0.0.1 and sets $port, or ends the run.
start_demo_board() {
    "$board" --port 0 > "$work/board.out" 2>&1 &
    for _ in $(seq 50); do grep -q '^listening' "$work/board.out" && break; sleep 0.1; done
    port=$(sed -n 's/^listening on 127.0.0.1:\([0-9]*\).*/\1/p' "$work/board.out")
    [ -n "$port" ] || { echo "the demo board did not start"; exit 2; }
}
