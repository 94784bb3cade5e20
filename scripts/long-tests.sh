#!/usr/bin/env bash
# Builds if needed, then runs the heavy cases kept under the CTest label long, one at a time so
# none slows another's timing: the hostile board's gigabyte flood, the save loop killed 200 times
# and the hour-long soak. scripts/test.sh and CI run a small size of each instead. Extra
# arguments go to ctest (e.g. -R soak_hour).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
vx_build_all
cd "$build_dir"
# The long cases are registered for the configuration "long" only, so a plain ctest never
# starts them.
QT_QPA_PLATFORM=offscreen ctest -C long -L long --output-on-failure "$@"
