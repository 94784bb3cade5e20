#!/usr/bin/env bash
# bbs_csv_cli_test.sh VEXTERM: the BBS list imported and exported from the command line, with no
# window: the report of refused rows, the exit status, a round trip, a refusal while the list
# file is missing, and the time-online report.
set -u
vexterm=$1
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
system="$work/Vexterm"
mkdir -p "$system"
cp "$here/../e2e/VX3_BBS.INI" "$system/"

"$vexterm" --system-folder "$system" --export-bbs "$work/out.csv" > "$work/export.txt" || fail "export failed"
grep -q "^Exported 1 boards to " "$work/export.txt" || fail "export said: $(cat "$work/export.txt")"
[ "$(head -n 1 "$work/out.csv" | tr -d '\r')" = "Name,Address,Port,Sysop,Website,Comment,Protocol" ] || fail "no header row"
grep -q "^Vexterm Demo BBS,127.0.0.1,6502," "$work/out.csv" || fail "the demo board is not exported"

printf 'Name,Address,Port\r\n"Night Owl, the",owl.example.org,6400\r\nNo Address,,23\r\n' > "$work/in.csv"
"$vexterm" --system-folder "$system" --import-bbs "$work/in.csv" > "$work/import.txt"
status=$?
[ "$status" -eq 1 ] || fail "a refused row must give exit status 1, not $status"
grep -q "^Imported 1 board.$" "$work/import.txt" || fail "import said: $(cat "$work/import.txt")"
grep -q "line 3: no address" "$work/import.txt" || fail "the refused row is not reported"

"$vexterm" --system-folder "$system" --export-bbs "$work/again.csv" > /dev/null || fail "second export failed"
grep -q '^"Night Owl, the",owl.example.org,6400,' "$work/again.csv" || fail "the imported board is not in the list"

"$vexterm" --system-folder "$work/empty" --export-bbs "$work/x.csv" > /dev/null 2> "$work/err.txt"
[ $? -eq 2 ] || fail "a folder without a list must give exit status 2"
grep -q "no BBS list" "$work/err.txt" || fail "the missing list is not named: $(cat "$work/err.txt")"
# The time-online report: the header and, with --report-all, every board, also never called.
"$vexterm" --system-folder "$system" --report > "$work/report.txt" || fail "--report failed"
[ "$(head -n 1 "$work/report.txt")" = "Num   Name                         #Connects      Online (h:mm)   MaxBPS" ] ||
    fail "no report header: $(head -n 1 "$work/report.txt")"
[ "$(wc -l < "$work/report.txt")" -eq 1 ] || fail "boards never called are listed without --report-all"
"$vexterm" --system-folder "$system" --report-all > "$work/all.txt" || fail "--report-all failed"
grep -q '^001   Vexterm Demo BBS  .*0:00        0$' "$work/all.txt" || fail "the demo board is not reported: $(cat "$work/all.txt")"
grep -q '^002   Night Owl, the' "$work/all.txt" || fail "the imported board is not reported"
# A new system folder: the import makes the list as the first start would, then adds the boards.
# Texts are stored in Windows-1252 and the report is printed in the terminal's UTF-8.
printf 'Name,Address\r\nCaf\xc3\xa9 5 \xe2\x82\xac,cafe.example.org\r\n' > "$work/euro.csv"
"$vexterm" --system-folder "$work/new" --import-bbs "$work/euro.csv" > "$work/new.txt" 2>&1
status=$?
[ "$status" -eq 0 ] || fail "an import into a new folder gave $status: $(cat "$work/new.txt")"
grep -q "^Imported 1 board.$" "$work/new.txt" || fail "new folder import said: $(cat "$work/new.txt")"
LC_ALL=C grep -qa $'^2=Caf\xe9 5 \x80\r$' "$work/new/VX3_BBS.INI" || fail "the name is not stored in Windows-1252"
"$vexterm" --system-folder "$work/new" --report-all > "$work/new-report.txt" || fail "--report-all on the new list failed"
grep -q '^001   Vexterm Demo BBS' "$work/new-report.txt" || fail "the new list lacks the first start's sample board"
grep -q $'^002   Caf\xc3\xa9 5 \xe2\x82\xac ' "$work/new-report.txt" || fail "the report is not UTF-8: $(cat "$work/new-report.txt")"
# An import that adds nothing did nothing: exit status 2.
printf 'Name,Address\r\nSpaced,host name\r\n' > "$work/none.csv"
"$vexterm" --system-folder "$system" --import-bbs "$work/none.csv" > "$work/none.txt"
status=$?
[ "$status" -eq 2 ] || fail "an import that adds nothing must give exit status 2, not $status"
grep -q "line 2: the host 'host name' holds a blank" "$work/none.txt" || fail "none said: $(cat "$work/none.txt")"
echo "ok: export, import with a refused row, round trip, the report, a new folder, nothing added"
