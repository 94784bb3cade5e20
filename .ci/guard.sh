#!/usr/bin/env bash
# Fails when the core reaches for Qt, or when any source file nests the event loop or sleeps.
# The core (src/platform, terminal, tools, config, directory) and cli/ must build without Qt,
# except cli/demo-bbs, the demo board, which is a Qt network program;
# all code runs on one thread and continues work with timers, never with waits.
set -u
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root" || exit 2
status=0

core_dirs="src/platform src/terminal src/tools src/config src/directory cli"
qt_allowed_dirs="cli/demo-bbs"
existing=""
for d in $core_dirs; do [ -d "$d" ] && existing="$existing $d"; done
if [ -n "$existing" ]; then
    # shellcheck disable=SC2086
    hits=$(grep -rnE '#[[:space:]]*include[[:space:]]*[<"](Q[A-Za-z]+|Qt[A-Za-z]*/)' $existing --include='*.h' --include='*.cpp' || true)
    for allowed in $qt_allowed_dirs; do
        hits=$(printf '%s\n' "$hits" | grep -v "^$allowed/" || true)
    done
    if [ -n "$hits" ]; then
        echo "Qt include in the core:"
        echo "$hits"
        status=1
    fi
fi

hits=$(grep -rnE 'processEvents|waitFor[A-Z][A-Za-z]*[[:space:]]*\(|QThread::(m|u)?sleep|std::this_thread::sleep_|[^a-z_]u?sleep[[:space:]]*\(|nanosleep' src --include='*.h' --include='*.cpp' || true)
if [ -n "$hits" ]; then
    echo "Nested event loop or sleep in src/:"
    echo "$hits"
    status=1
fi

[ "$status" -eq 0 ] && echo "source guard: core is Qt-free; no nested event loops or sleeps"
exit "$status"
