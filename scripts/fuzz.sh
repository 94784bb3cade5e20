#!/usr/bin/env bash
# Runs the libFuzzer targets of tests/fuzz one after the other, each for a while, starting from
# the seeds in tests/fuzz/corpus/<target>/.
#
#   bash scripts/fuzz.sh [--save-corpus] [SECONDS_PER_TARGET] [TARGET...]
#
# SECONDS_PER_TARGET defaults to 60; no TARGET means every target. Each run works on a copy of
# its seeds in build-fuzz/fuzz-corpus/<target>/ and leaves crash, leak and timeout inputs in
# build-fuzz/findings/<target>/ and libFuzzer's output in build-fuzz/fuzz-logs/<target>.log.
# --save-corpus merges the inputs that reached new code back into the seeds in the repository.
# Exits non-zero when any target produced a finding.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VX_BUILD_DIR=${VX_BUILD_DIR:-$root/build-fuzz}
source "$root/scripts/setup.sh"

save_corpus=false
if [ "${1:-}" = "--save-corpus" ]; then
    save_corpus=true
    shift
fi
seconds=60
if [[ "${1:-}" =~ ^[0-9]+$ ]]; then
    seconds=$1
    shift
fi

# Every target the build defines, in its order.
mapfile -t all_targets < <(sed -n 's/^vx_fuzz_target(\([a-z_]*\) .*/\1/p' "$root/tests/fuzz/CMakeLists.txt")
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=("${all_targets[@]}")
for target in "${targets[@]}"; do
    if [[ ! " ${all_targets[*]} " =~ " $target " ]]; then
        echo "unknown target $target (known: ${all_targets[*]})" >&2
        exit 2
    fi
done

# The longest input worth trying: a screenful of codes, a few transfer blocks, a short address.
max_len_of() {
    case $1 in
        fuzz_unscramble | fuzz_host_address) echo 512 ;;
        fuzz_transfer) echo 8192 ;;
        *) echo 4096 ;;
    esac
}

# The core build needs no Qt: only the compiler, its fuzzing runtime (a package of its own on
# Debian) and GoogleTest.
vx_packages=(cmake ninja-build ccache libgtest-dev)
vx_install_missing clang libclang-rt-dev
vx_configure -DCMAKE_CXX_COMPILER=clang++ -DVX_FUZZ=ON -DVX_BUILD_UI=OFF -DVX_BUILD_BENCH=OFF >/dev/null
cmake --build "$build_dir" --target "${targets[@]}" -- -j1

# Undefined behaviour stops the input like a crash does, so it is kept as a finding.
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export ASAN_OPTIONS=detect_leaks=1
# The targets that write list files keep their temporary folder in memory where there is one.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi

summary=()
failed=0
for target in "${targets[@]}"; do
    seeds=$root/tests/fuzz/corpus/$target
    work=$build_dir/fuzz-corpus/$target
    findings=$build_dir/findings/$target
    log=$build_dir/fuzz-logs/$target.log
    rm -rf "$work"
    mkdir -p "$work" "$findings" "$(dirname "$log")"
    [ -d "$seeds" ] && cp "$seeds"/* "$work"/ 2>/dev/null || true
    stamp=$(mktemp)
    echo "== $target: ${seconds}s from $(find "$work" -type f | wc -l) seeds (log: $log)"

    # One process (no -jobs or -workers, which would start a second one and move the output into
    # a file of its own), so a run takes one core.
    status=0
    "$build_dir/tests/fuzz/$target" "$work" \
        -max_total_time="$seconds" -max_len="$(max_len_of "$target")" -timeout=10 \
        -artifact_prefix="$findings/" -print_final_stats=1 >"$log" 2>&1 || status=$?

    # A finding among the seeds stops the run before it prints any coverage: no match is no figure.
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    coverage=$( (grep -o 'cov: [0-9]*' "$log" || true) | tail -1 | cut -d' ' -f2)
    corpus=$(find "$work" -type f | wc -l)
    found=$(find "$findings" -type f -newer "$stamp" \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
    rm -f "$stamp"
    if [ "$found" -eq 0 ] && [ "$status" -ne 0 ]; then
        found=1  # it stopped on something it wrote no input for
    fi
    if [ "$found" -gt 0 ]; then
        failed=1
        echo "   finding in $findings/; the end of the log:"
        tail -n 30 "$log" | sed 's/^/   | /'
    fi
    if $save_corpus; then
        mkdir -p "$seeds"
        "$build_dir/tests/fuzz/$target" -merge=1 "$seeds" "$work" >>"$log" 2>&1 || true
    fi
    summary+=("$(printf '%-22s executions: %10s  cov: %6s  corpus: %5s  findings: %s' \
        "$target" "${executions:-?}" "${coverage:-?}" "$corpus" "$found")")
done

echo "== Summary (${seconds}s per target)"
printf '%s\n' "${summary[@]}"
exit $failed
