#!/usr/bin/env bash
# Builds Vexterm and starts it. Arguments are passed to the program.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
vx_install_missing
vx_configure > /dev/null
cmake --build "$build_dir" --target vexterm vexterm-demo-bbs -- -j2
exec "$build_dir/src/app/vexterm" "$@"
