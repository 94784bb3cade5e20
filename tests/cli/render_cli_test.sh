#!/usr/bin/env bash
# vexterm-render as users and scripts call it: exit statuses, the one-line errors, stdin input
# and image files.
set -u
render=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

printf 'HELLO\x9b' | "$render" --codes > "$work/out" || fail "--codes from stdin exited $?"
[ "$(wc -l < "$work/out")" -eq 25 ] || fail "--codes printed $(wc -l < "$work/out") lines, not 25"
head -n1 "$work/out" | grep -q '^48 45 4C 4C 4F 20 ' || fail "first row: $(head -n1 "$work/out")"
tail -n1 "$work/out" | grep -qx 'cursor 0 1 lastchar 155 beeps 0' || fail "footer: $(tail -n1 "$work/out")"

printf 'HI' > "$work/in.bin"
"$render" --cols 80 --codes "$work/in.bin" | head -n1 | awk '{ exit !(NF == 80) }' || fail "80 columns do not give 80 cells"
"$render" "$work/in.bin" | head -n1 | grep -q '^HI' || fail "default text output"

"$render" --image "$work/screen.png" "$work/in.bin" > "$work/stdout" || fail "--image exited $?"
[ -s "$work/screen.png" ] || fail "no PNG written"
[ ! -s "$work/stdout" ] || fail "--image alone printed text"
head -c 8 "$work/screen.png" | od -An -tx1 | grep -q '89 50 4e 47 0d 0a 1a 0a' || fail "not a PNG signature"
"$render" --image "$work/screen.bmp" "$work/in.bin" && [ "$(head -c 2 "$work/screen.bmp")" = BM ] || fail "BMP"
"$render" --image "$work/screen.pbm" "$work/in.bin" && [ "$(head -c 2 "$work/screen.pbm")" = P4 ] || fail "PBM"

for bad in "--cols 60" "--bogus" "--codes --text" "$work/missing.bin" "--image $work/x.gif $work/in.bin"; do
    # shellcheck disable=SC2086
    "$render" $bad > /dev/null 2> "$work/err" < /dev/null
    status=$?
    [ "$status" -eq 2 ] || fail "'$bad' exited $status, not 2"
    [ "$(wc -l < "$work/err")" -eq 1 ] || fail "'$bad' printed $(wc -l < "$work/err") error lines"
done

"$render" --help | grep -q '^usage: vexterm-render' || fail "--help"

[ "$failures" -eq 0 ] && echo "render_cli: all checks passed"
exit "$failures"
