# Shared by run.sh and test.sh: installs what the build needs and configures the build folder.
# Sourced, not run.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${VX_BUILD_DIR:-$root/build}

# Debian/Ubuntu packages the build and the tests need.
vx_packages=(
    cmake ninja-build g++ ccache pkg-config
    qt6-base-dev qt6-multimedia-dev libgl-dev libxcb1-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth xdotool x11-xserver-utils x11-utils openbox procps
    libtelnet-dev lrzsz
    busybox-static inetutils-telnetd
    dpkg-dev groff-base
)

vx_install_missing() {
    local missing=() package
    for package in "${vx_packages[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

vx_configure() {
    cmake -S "$root" -B "$build_dir" -G Ninja \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
        "$@"
}

# Installs what is missing, configures and builds everything in the build folder.
vx_build_all() {
    vx_install_missing
    vx_configure
    cmake --build "$build_dir" -- -j2
}
