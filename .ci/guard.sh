#!/usr/bin/env bash
# Keeps the house as it is built:
# - the core (src/platform … src/session) and cli/ build without Qt, except cli/demo-bbs, the demo
#   board, which is a Qt network program;
# - every folder of src/ is one layer, and a file includes only its own layer or the layers its
#   row of the table below allows (the core bottom-up, then the windows, which mirror it). The
#   build keeps the same order for the core's code: each core folder is its own library, and
#   cmake/Layers.cmake refuses a link to a layer that is not below it (at configure time) and a
#   call into one (the per-layer link checks, at build time). The BELOW lists of src/CMakeLists.txt
#   are the core rows of this table; change both together;
# - all code runs on one thread and continues work with timers, never with waits or a nested
#   event loop.
set -u
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root" || exit 2
status=0

# Layer order. Each row: a folder of src/, then what its files may include besides their own
# folder. The core is listed bottom-up; ui/ folders may include every core layer and the ui/
# folders listed before them.
layer_table=$(cat <<'TABLE'
platform      -
screen        -
base          platform screen
log           platform screen base
config        platform screen base log
directory     platform screen base log config
tools         platform screen base log config directory
session       platform screen base log config directory tools
ui/platform   CORE
ui/dialogs    CORE ui/platform
ui/log        CORE ui/platform ui/dialogs
ui/config     CORE ui/platform ui/dialogs ui/log
ui/directory  CORE ui/platform ui/dialogs ui/log ui/config
ui/tools      CORE ui/platform ui/dialogs ui/log ui/config ui/directory
ui/terminal   CORE ui/platform ui/dialogs ui/log ui/config ui/directory ui/tools
ui/frame      CORE ui/platform ui/dialogs ui/log ui/config ui/directory ui/tools ui/terminal
app           CORE UI
TABLE
)
core_layers="platform screen base log config directory tools session"
ui_layers=$(printf '%s\n' "$layer_table" | awk '$1 ~ /^ui\// {printf "%s ", $1}')

# The layer an include path names ("ui/terminal/X.h" -> ui/terminal, "config/X.h" -> config),
# or nothing for paths outside src/ (resources, same-folder includes, tests' support files).
layer_of_include() {
    local path=$1 first rest
    first=${path%%/*}
    [ "$first" = "$path" ] && return
    if [ "$first" = ui ]; then
        rest=${path#ui/}
        [ "$rest" != "${rest%%/*}" ] && echo "ui/${rest%%/*}" || echo ui
        return
    fi
    case " $core_layers app " in *" $first "*) echo "$first" ;; esac
}

allowed_for() {
    local row
    row=$(printf '%s\n' "$layer_table" | awk -v l="$1" '$1 == l {$1 = ""; print}')
    row=${row//CORE/$core_layers}
    row=${row//UI/$ui_layers}
    echo "$1 ${row//-/}"
}

check_layer_includes() {
    local layer=$1 dir=src/$1 allowed file line target
    [ -d "$dir" ] || return 0
    allowed=" $(allowed_for "$layer") "
    while IFS= read -r file; do
        # A core folder's files live directly in it; ui/ and app/ folders are walked as a whole.
        while IFS= read -r line; do
            target=$(layer_of_include "${line#*:}")
            [ -z "$target" ] && continue
            case "$allowed" in *" $target "*) continue ;; esac
            echo "$file:${line%%:*}: $layer includes ${line#*:} (layer $target is not below it)"
            status=1
        done < <(grep -nE '^[[:space:]]*#[[:space:]]*include[[:space:]]*"' "$file" |
                 sed -E 's/^([0-9]+):[^"]*"([^"]+)".*/\1:\2/')
    done < <(find "$dir" -maxdepth 1 -type f \( -name '*.h' -o -name '*.cpp' \) | sort)
}

while read -r layer _; do
    [ -n "$layer" ] && check_layer_includes "$layer"
done <<< "$layer_table"

# Every folder of src/ must have a row, so a new folder cannot slip past the table.
while IFS= read -r dir; do
    layer=${dir#src/}
    printf '%s\n' "$layer_table" | awk -v l="$layer" '$1 == l {found = 1} END {exit !found}' && continue
    [ "$layer" = ui ] && continue
    echo "$dir: a folder of src/ without a row in the layer table of .ci/guard.sh"
    status=1
done < <(find src -mindepth 1 -type d -not -path 'src/ui/*/*' | sort)

# Files directly in src/ui/ belong in one of its layer folders.
loose=$(find src/ui -maxdepth 1 -type f \( -name '*.h' -o -name '*.cpp' \) 2>/dev/null)
if [ -n "$loose" ]; then
    echo "Windows outside a layer folder of src/ui/:"
    echo "$loose"
    status=1
fi

# cli/ builds on the core only.
hits=$(grep -rnE '#[[:space:]]*include[[:space:]]*"(ui|app)/' cli --include='*.h' --include='*.cpp' || true)
if [ -n "$hits" ]; then
    echo "cli/ includes the windows:"
    echo "$hits"
    status=1
fi

qt_checked=""
for d in $core_layers; do [ -d "src/$d" ] && qt_checked="$qt_checked src/$d"; done
[ -d cli ] && qt_checked="$qt_checked cli"
qt_allowed_dirs="cli/demo-bbs"
if [ -n "$qt_checked" ]; then
    # shellcheck disable=SC2086
    hits=$(grep -rnE '#[[:space:]]*include[[:space:]]*[<"](Q[A-Za-z]+|Qt[A-Za-z]*/)' $qt_checked --include='*.h' --include='*.cpp' || true)
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

[ "$status" -eq 0 ] && echo "source guard: layers include downwards; core is Qt-free; no nested event loops or sleeps"
exit "$status"
