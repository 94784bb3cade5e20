#!/usr/bin/env bash
# Builds the Debian package: a Release build in build-pkg/, then cpack. The build's talk goes to
# standard error; standard output gets only the package's path, for `deb=$(bash scripts/package.sh)`.
# VX_JOBS sets the build's jobs (2 by default, like test.sh).
set -euo pipefail
exec 3>&1 1>&2
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export VX_BUILD_DIR="$root/build-pkg"
source "$root/scripts/setup.sh"
# CPack reads the kind of each installed file with `file` before handing it to dpkg-shlibdeps.
vx_install_missing file
# Debian's hardening flags, as packages built by its own tools get them: stack protector,
# fortified C library calls, and relocations made read-only after they are bound at start.
buildflag() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
vx_configure -DCMAKE_BUILD_TYPE=Release -DVX_BUILD_TESTS=OFF -DVX_BUILD_BENCH=OFF \
    -DCMAKE_CXX_FLAGS="$(buildflag CPPFLAGS) $(buildflag CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(buildflag LDFLAGS)"
cmake --build "$build_dir" -- -j"${VX_JOBS:-2}"
cd "$build_dir"
# An older version's package would be taken for this one.
rm -f vexterm_*.deb
cpack -G DEB
shopt -s nullglob
debs=("$build_dir"/vexterm_*.deb)
if [ ${#debs[@]} -ne 1 ]; then
    echo "package.sh: expected one vexterm_*.deb in $build_dir, found ${#debs[@]}"
    exit 1
fi
echo "Package: ${debs[0]} ($(stat -c %s "${debs[0]}") bytes)"
echo "${debs[0]}" >&3
