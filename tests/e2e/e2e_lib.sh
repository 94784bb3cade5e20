# Shared by the end-to-end scripts that drive the real program on a virtual X display with
# xdotool. Sourced after setting: vexterm, board (the demo board), place (vx_widget_place).
# Provides a work folder, a recording demo board, a display of its own, and helpers.
set -u
work=$(mktemp -d)
system="$work/Vexterm"
received="$work/received.bin"
board_pid=
display_pid=
vexterm_pid=
cleanup() {
    [ -n "$vexterm_pid" ] && kill "$vexterm_pid" 2> /dev/null
    [ -n "$board_pid" ] && kill "$board_pid" 2> /dev/null
    [ -n "$display_pid" ] && kill "$display_pid" 2> /dev/null
    wait 2> /dev/null
    rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    [ -f "$received" ] && { echo "--- received"; od -A d -t u1 "$received"; }
    [ -f "$system/VX3_log.txt" ] && { echo "--- log"; cat "$system/VX3_log.txt"; }
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
received_is() { [ "$(od -A n -t u1 -v "$received" 2> /dev/null | tr -s ' \n' ' ' | sed 's/^ //;s/ $//')" = "$1" ]; }

start_board() {  # start_board [BOARD OPTION...]
    "$board" --port 0 --record "$received" "$@" > "$work/board.out" 2>&1 &
    board_pid=$!
    wait_for 10 grep -q '^listening on 127.0.0.1:' "$work/board.out" || fail "the demo board did not start"
    port=$(sed -n 's/^listening on 127.0.0.1:\([0-9]*\).*/\1/p' "$work/board.out")
}

# prepare_system KEY=VALUE...: a system folder with the BBS list of this folder (the demo board
# on $port) and a configuration holding the given [Config] keys.
prepare_system() {
    mkdir -p "$system/Captures" "$system/Screens" "$system/Mojis"
    sed "s/^Port= 6502/Port= $port/" "$e2e_dir/VX3_BBS.INI" > "$system/VX3_BBS.INI"
    {
        printf '[Config]\r\nSysFolder=%s\r\nSysLog=True\r\nTitleBarMsg=False\r\nBeepOnConnect=False\r\n' "$system"
        for setting in "$@"; do printf '%s\r\n' "$setting"; done
        printf '[Capture]\r\nCaptureFolder=%s\r\nCaptureFileName=VX3_capture.txt\r\nScreenDumpPath=%s\r\nMojisDumpPath=%s\r\n' \
            "$system/Captures" "$system/Screens" "$system/Mojis"
    } > "$system/VX3_Cfg.ini"
}

# places NAME...: where the controls lie, laid out as the program lays them out (on a copy).
places() {
    rm -rf "$work/probe"
    cp -r "$system" "$work/probe"
    "$place" --system-folder "$work/probe" "$@" 2> "$work/place.err" || fail "no place: $(cat "$work/place.err")"
}

start_display() {
    # A display of our own; the server picks a free number and tells it. -noreset keeps a keymap
    # set up before the program starts: the server otherwise resets it when its last client leaves.
    Xvfb -displayfd 3 -noreset -screen 0 1920x1080x24 -nolisten tcp 3> "$work/display" > "$work/xvfb.log" 2>&1 &
    display_pid=$!
    wait_for 10 test -s "$work/display" || fail "the virtual display did not start"
    export DISPLAY=:$(head -n 1 "$work/display")
    wait_for 10 xdotool getmouselocation > /dev/null 2>&1 || fail "the virtual display does not answer"
}

start_vexterm() {
    env -u QT_QPA_PLATFORM "$vexterm" --system-folder "$system" "$@" > "$work/vexterm.out" 2> "$work/vexterm.err" &
    vexterm_pid=$!
}

# window NAME-PATTERN: the visible window whose title matches.
window() {
    wait_for 20 xdotool search --onlyvisible --name "$1" > /dev/null || fail "no window '$1'"
    xdotool search --onlyvisible --name "$1" | head -n 1
}

# click WINDOW X Y
click() { xdotool mousemove --window "$1" "$2" "$3" click 1; }

# answer_message KEY: the message box (the smallest visible window) gets the key (Return
# accepts, Escape says no). There is no window manager: the box is given the keyboard focus.
answer_message() {
    local box="" smallest=0 id width height
    for id in $(xdotool search --onlyvisible --name '.'); do
        eval "$(xdotool getwindowgeometry --shell "$id")"
        width=$WIDTH
        height=$HEIGHT
        [ "$width" -gt 1 ] || continue
        if [ -z "$box" ] || [ $((width * height)) -lt "$smallest" ]; then
            box=$id
            smallest=$((width * height))
        fi
    done
    [ -n "$box" ] || fail "no message box"
    xdotool mousemove --window "$box" 20 20
    xdotool windowfocus "$box"
    sleep 0.2
    xdotool key "$1"
    sleep 0.5
}

# wait_screen_still SECONDS: until two pictures of the display taken 0.2 s apart are the same,
# that is the program has drawn what it was asked for (a page from the board, a click's result);
# at most SECONDS. A blinking text cursor can end the wait early: use it where the keys are not
# in a text box.
wait_screen_still() {
    local before="" now tries=$(($1 * 5))
    while [ $tries -gt 0 ]; do
        now=$(import -window root rgb:- 2> /dev/null | md5sum)
        [ -n "$before" ] && [ "$now" = "$before" ] && return 0
        before=$now
        tries=$((tries - 1))
        sleep 0.2
    done
    return 1
}

screenshot() {
    command -v import > /dev/null 2>&1 || return 0
    import -window root "$work/$1" 2> /dev/null && [ -n "${VX_E2E_SHOTS:-}" ] && cp "$work/$1" "$VX_E2E_SHOTS/$1"
    return 0
}
