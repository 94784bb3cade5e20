#!/usr/bin/env bash
# Builds everything and runs every test.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
vx_build_all
cd "$build_dir"
QT_QPA_PLATFORM=offscreen ctest -j2 --output-on-failure
