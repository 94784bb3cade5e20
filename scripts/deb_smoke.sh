#!/usr/bin/env bash
# deb_smoke.sh DEB: runs lintian on the package (any error fails), installs it as a user would,
# checks what it put where (the manual pages too, with man), starts the installed program for the
# first time on a virtual display against the installed demo board, and removes the package
# again. Needs root (or sudo); leaves the machine without the package.
#
# The first run is the real one: its three questions are answered with the Return key, and "yes"
# to the help page must hand the installed page to the browser (a stand-in xdg-open that writes
# down what it was given, with $BROWSER set as on a desktop that has one). Then the call must reach the board, and SIGTERM must end the program.
set -euo pipefail
[ $# -eq 1 ] && [ -f "$1" ] || { echo "usage: deb_smoke.sh DEB"; exit 2; }
scripts=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
deb=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
sudo=""
[ "$(id -u)" -ne 0 ] && sudo=sudo

work=$(mktemp -d)
system=$(mktemp -d)
board_pid=
xvfb_pid=
installed=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2> /dev/null
    [ -n "$board_pid" ] && kill "$board_pid" 2> /dev/null
    wait 2> /dev/null
    # A failed run must not leave the package behind for the next one to find.
    [ -n "$installed" ] && $sudo dpkg -r vexterm > /dev/null 2>&1
    rm -rf "$work" "$system"
}
trap cleanup EXIT
trap 'echo "FAIL: deb_smoke.sh line $LINENO"' ERR
fail() {
    echo "FAIL: $*"
    [ -f "$system/VX3_log.txt" ] && { echo "--- log"; cat "$system/VX3_log.txt"; }
    [ -f "$work/vexterm.out" ] && { echo "--- vexterm output"; cat "$work/vexterm.out"; }
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
apt_install() {
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "$@"
}
need=()
command -v desktop-file-validate > /dev/null || need+=(desktop-file-utils)
command -v xvfb-run > /dev/null || need+=(xvfb xauth)
command -v xdotool > /dev/null || need+=(xdotool)
command -v lintian > /dev/null || need+=(lintian)
command -v man > /dev/null || need+=(man-db)
command -v groff > /dev/null || need+=(groff-base)
[ ${#need[@]} -eq 0 ] || apt_install "${need[@]}"

# True when dpkg is told not to install PATH here (path-exclude in /etc/dpkg/dpkg.cfg.d/, as
# minimal images do for /usr/share/man and /usr/share/doc) and no path-include takes it back.
excluded_by_dpkg() {
    local path=$1 kind pattern excluded=1
    while read -r kind pattern; do
        # shellcheck disable=SC2053  # the pattern is a glob on purpose, as dpkg reads it
        [[ $path == $pattern ]] || continue
        [ "$kind" = path-exclude ] && excluded=0
        [ "$kind" = path-include ] && excluded=1
    done < <(cat /etc/dpkg/dpkg.cfg /etc/dpkg/dpkg.cfg.d/* 2> /dev/null | grep -E '^path-(exclude|include)[ =]' | tr '=' ' ')
    return $excluded
}
# check_installed PATH: the file must be there, unless dpkg leaves it out on this machine.
check_installed() {
    if [ -f "$1" ]; then
        return 0
    elif excluded_by_dpkg "$1"; then
        echo "note: dpkg leaves out $1 on this machine (path-exclude in /etc/dpkg); only the package's copy was checked"
        return 1
    fi
    fail "$1 is missing"
}

echo "== lintian"
status=0
lintian_out=$(lintian "$deb" 2>&1) || status=$?
echo "${lintian_out:-(no tags)}"
errors=$(grep -c '^E:' <<< "$lintian_out" || true)
echo "lintian: $errors errors, $(grep -c '^W:' <<< "$lintian_out" || true) warnings"
[ "$errors" -eq 0 ] || fail "lintian reports $errors errors"
# Without errors lintian's status is 0; anything else means it could not check the package.
[ $status -eq 0 ] || fail "lintian ended with status $status"

echo "== Package contents"
pages=(vexterm vexterm-render vexterm-demo-bbs)
contents=$(dpkg-deb -c "$deb" | awk '{ print $6 }')
for file in /usr/share/doc/vexterm/copyright /usr/share/doc/vexterm/changelog.gz \
    /usr/share/man/man1/vexterm.1.gz /usr/share/man/man1/vexterm-render.1.gz \
    /usr/share/man/man1/vexterm-demo-bbs.1.gz; do
    grep -qxF ".$file" <<< "$contents" || fail "the package lacks $file"
done
mkdir "$work/deb"
dpkg-deb -x "$deb" "$work/deb"
newest=$(zcat "$work/deb/usr/share/doc/vexterm/changelog.gz" | sed -n '1s/^vexterm (\([^)]*\)) .*/\1/p')
[ "$newest" = "$(dpkg-deb -f "$deb" Version)" ] ||
    fail "the changelog's newest entry is for '$newest', not the package's version"
echo "ok: copyright, changelog (version $(dpkg-deb -f "$deb" Version)) and manual pages in the package"

echo "== Installing $deb ($(stat -c %s "$deb") bytes)"
echo "Depends: $(dpkg-deb -f "$deb" Depends)"
installed=yes
if ! $sudo dpkg -i "$deb"; then
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get -f install -y -qq
fi
[ "$(dpkg-query -W -f='${Status}' vexterm 2> /dev/null)" = "install ok installed" ] || fail "vexterm is not installed"

echo "== Files"
for program in vexterm vexterm-render vexterm-demo-bbs; do
    [ -x "/usr/bin/$program" ] || fail "/usr/bin/$program is missing"
done
check_installed /usr/share/doc/vexterm/copyright || true
check_installed /usr/share/doc/vexterm/changelog.gz || true
desktop=/usr/share/applications/vexterm.desktop
[ -f "$desktop" ] || fail "$desktop is missing"
desktop-file-validate "$desktop" || fail "$desktop does not validate"
for key in "Exec=vexterm %u" "Terminal=false" "MimeType=x-scheme-handler/telnet;x-scheme-handler/atascii;"; do
    grep -qxF "$key" "$desktop" || fail "$desktop lacks $key"
done
icons=/usr/share/icons/hicolor
[ -s "$icons/scalable/apps/vexterm.svg" ] || fail "the scalable icon is missing"
for size in 16 32 48 64 128 256; do
    png="$icons/${size}x${size}/apps/vexterm.png"
    [ -f "$png" ] || fail "$png is missing"
    # The PNG header's width and height, big-endian at bytes 16 and 20.
    read -r width height < <(od -A n -t u1 -j 16 -N 8 "$png" |
        awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4, $5 * 16777216 + $6 * 65536 + $7 * 256 + $8 }')
    [ "$width" = "$size" ] && [ "$height" = "$size" ] || fail "$png is ${width}x$height"
done
share=/usr/share/vexterm
for file in help/vx3_help.htm SP0000.wav VX3_bell.wav; do
    [ -s "$share/$file" ] || fail "$share/$file is missing"
done

echo "== Manual pages"
# The installed programs' --help against the pages as packaged, whether or not dpkg installs them.
for program in "${pages[@]}"; do
    bash "$scripts/check_man_options.sh" "/usr/bin/$program" "$work/deb/usr/share/man/man1/$program.1.gz" ||
        fail "the manual page of $program does not match its --help"
done
for program in "${pages[@]}"; do
    page=/usr/share/man/man1/$program.1.gz
    check_installed "$page" || continue
    [ "$(man -w "$program")" = "$page" ] || fail "man -w $program finds $(man -w "$program" 2>&1), not $page"
    shown=$(man -P cat "$program") || fail "man $program failed"
    grep -qx "NAME" <<< "$shown" && grep -q "^ *$program - " <<< "$shown" || fail "man $program shows no NAME section"
    echo "ok: man $program shows $page"
done

echo "== vexterm --version"
version=$(/usr/bin/vexterm --version) || fail "vexterm --version failed"
echo "$version"
# The package's version is MAJOR.MINOR.BUILD; the program says "vexterm MAJOR.MINOR (build BUILD)".
IFS=. read -r major minor build <<< "$(dpkg-query -W -f='${Version}' vexterm)"
[ "$version" = "vexterm $major.$minor (build $build)" ] || fail "the program's version is not the package's ($major.$minor.$build)"

echo "== First run against the installed demo board"
/usr/bin/vexterm-demo-bbs --port 0 > "$work/board.out" 2>&1 &
board_pid=$!
wait_for 10 grep -q '^listening on 127.0.0.1:' "$work/board.out" || fail "the demo board did not start"
port=$(sed -n '1s/^listening on 127.0.0.1:\([0-9]*\).*/\1/p' "$work/board.out")

mkdir "$work/bin"
printf '#!/bin/sh\nprintf "%%s\\n" "$@" >> "%s"\n' "$work/opened" > "$work/bin/xdg-open"
chmod +x "$work/bin/xdg-open"
# The shell tells the display it was given, then becomes vexterm (same process, so SIGTERM
# reaches the program and not xvfb-run). $BROWSER says the desktop has a browser behind its
# opener: without one the program says so instead of starting the opener.
PATH="$work/bin:$PATH" BROWSER=stand-in-browser env -u QT_QPA_PLATFORM xvfb-run -a -s "-screen 0 1280x1024x24" \
    sh -c 'printf "%s\n%s\n" "$DISPLAY" "$XAUTHORITY" > "$1.tmp" && mv "$1.tmp" "$1"; shift; exec "$@"' \
    sh "$work/display" /usr/bin/vexterm --system-folder "$system" "atascii://127.0.0.1:$port" \
    > "$work/vexterm.out" 2>&1 &
xvfb_pid=$!
wait_for 20 test -s "$work/display" || fail "the virtual display did not start"
{ read -r display; read -r xauthority; } < "$work/display"
export DISPLAY=$display XAUTHORITY=$xauthority
wait_for 10 pgrep -P "$xvfb_pid" -x vexterm > /dev/null || fail "vexterm did not start"
vexterm_pid=$(pgrep -P "$xvfb_pid" -x vexterm)

# The first run's questions come one at a time in boxes titled just "Vexterm": the
# configuration made, the BBS list made, and whether to see the help page (Return says yes).
log="$system/VX3_log.txt"
answered=0
for _ in $(seq 120); do
    grep -q "Connected to 127.0.0.1" "$log" 2> /dev/null && break
    kill -0 "$vexterm_pid" 2> /dev/null || fail "vexterm ended during its first run"
    box=$(xdotool search --onlyvisible --name '^Vexterm$' 2> /dev/null | head -n 1) || true
    if [ -n "$box" ]; then
        # No window manager gives the box the keyboard: it is focused by hand, as in tests/e2e.
        xdotool mousemove --window "$box" 20 20 windowfocus "$box" 2> /dev/null || true
        sleep 0.2
        xdotool key Return
        answered=$((answered + 1))
        wait_for 10 bash -c "! xdotool search --onlyvisible --name '^Vexterm\$' | grep -qx $box" ||
            fail "the question in window $box was not answered by Return"
    fi
    sleep 0.5
done
grep -q "Connected to 127.0.0.1" "$log" 2> /dev/null || fail "no call in the log after $answered answers"
[ "$answered" -eq 3 ] || fail "the first run asked $answered questions, not 3"
wait_for 10 test -s "$work/opened" || fail "the help page was not handed to the browser"
[ "$(cat "$work/opened")" = "$share/help/vx3_help.htm" ] || fail "the browser was given $(cat "$work/opened")"
echo "ok: first run answered, help page $share/help/vx3_help.htm opened, call connected"

kill -TERM "$vexterm_pid"
wait_for 10 bash -c "! kill -0 $vexterm_pid 2> /dev/null" || fail "vexterm did not end after SIGTERM"
status=0
wait "$xvfb_pid" || status=$?
xvfb_pid=
[ "$status" -eq 0 ] || fail "vexterm ended with status $status after SIGTERM"
grep -q "System Unloaded" "$log" || fail "SIGTERM did not run the shutdown"
echo "ok: SIGTERM ended vexterm with status 0"

echo "== Removing"
$sudo dpkg -r vexterm
installed=
[ ! -e /usr/bin/vexterm ] && [ ! -e "$desktop" ] && [ ! -e "$share" ] && [ ! -e /usr/share/man/man1/vexterm.1.gz ] ||
    fail "dpkg -r left files behind"
echo "ok: deb smoke test passed"
