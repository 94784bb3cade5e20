#!/usr/bin/env bash
# check_man_options.sh PROGRAM PAGE: fails when the manual page and PROGRAM --help disagree on
# the options. Every option --help prints must have its own entry under OPTIONS in the page, and
# the page must not mention an option --help does not print. PAGE is the roff source, plain or
# gzipped; it is formatted with groff, whose warnings fail the check too (lintian reads pages
# the same way). Run by CTest (man_options_*) on the build and by deb_smoke.sh on the package.
set -euo pipefail
[ $# -eq 2 ] || { echo "usage: check_man_options.sh PROGRAM PAGE"; exit 2; }
program=$1
page=$2
name=$(basename "$program")
fail() {
    echo "FAIL: $name: $*"
    exit 1
}
command -v groff > /dev/null || fail "groff is missing (Debian package groff-base)"
[ -r "$page" ] || fail "no manual page $page"

help=$("$program" --help) || fail "$program --help failed"
options() { grep -oE -- '--[a-z][a-z0-9-]*' | sort -u; }
help_options=$(options <<< "$help")
[ -n "$help_options" ] || fail "--help printed no options"

# One line a paragraph (no filling into short lines, no hyphenation), plain ASCII.
warnings=$(mktemp)
trap 'rm -f "$warnings"' EXIT
text=$(zcat -f "$page" | groff -ww -man -Tascii -rLL=2000n -rHY=0 -P-cbou 2> "$warnings")
[ ! -s "$warnings" ] || fail "groff warns about $page: $(cat "$warnings")"
# The OPTIONS section: from its heading to the next heading.
section=$(awk '/^[A-Z]/ { inside = ($0 == "OPTIONS") } inside' <<< "$text")
[ -n "$section" ] || fail "$page has no OPTIONS section"

status=0
for option in $help_options; do
    # An entry's tag starts at the section's indent: "--option", "--option ARG" or, when the
    # tag is short, "--option Text of the entry".
    if ! grep -qE -- "^ {7}$option( |$)" <<< "$section"; then
        echo "FAIL: $name: --help prints $option, but $page has no entry for it under OPTIONS"
        status=1
    fi
done
for option in $(options <<< "$text"); do
    if ! grep -qxF -- "$option" <<< "$help_options"; then
        echo "FAIL: $name: $page mentions $option, which --help does not print"
        status=1
    fi
done
[ $status -eq 0 ] && echo "ok: $name: the options of --help and of $(basename "$page") agree (${help_options//$'\n'/ })"
exit $status
