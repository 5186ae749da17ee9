# Shared by the scripts: paths, the package list and the build folder of the chosen configuration.
# shellcheck shell=bash

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Debian packages the build and the tests need (see README.md for why each is there).
PACKAGES=(
    g++ cmake ninja-build ccache pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libgtest-dev libgmock-dev libbenchmark-dev libsqlite3-dev
    libcdio-dev libcdio-paranoia-dev libpulse-dev pulseaudio
    nlohmann-json3-dev
    xvfb xauth imagemagick
    dbus-daemon playerctl appstream desktop-file-utils
)

if [ "${SONATRIX_SANITIZE:-0}" = 1 ]; then
    BUILD_DIR="$ROOT/build-asan"
    CMAKE_ARGS=(-DCMAKE_BUILD_TYPE=Debug -DSONATRIX_SANITIZE=ON -DSONATRIX_BENCH=OFF)
else
    BUILD_DIR="$ROOT/build"
    CMAKE_ARGS=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
fi
STAMP="$BUILD_DIR/.setup-stamp"

say() { printf '==> %s\n' "$*" >&2; }

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        say "need root to run: $*"
        return 1
    fi
}

missing_packages() {
    local pkg
    for pkg in "${PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            printf '%s\n' "$pkg"
        fi
    done
}

# What the stamp records: a change of setup or package list makes the build stale.
setup_signature() {
    { cat "$ROOT/scripts/setup" "$ROOT/scripts/common.sh"; printf '%s\n' "${CMAKE_ARGS[@]}"; } |
        sha256sum | cut -d' ' -f1
}

setup_needed() {
    [ -f "$BUILD_DIR/CMakeCache.txt" ] || return 0
    [ -f "$STAMP" ] && [ "$(cat "$STAMP")" = "$(setup_signature)" ] || return 0
    [ -z "$(missing_packages)" ] || return 0
    return 1
}

ensure_setup() {
    if setup_needed; then
        "$ROOT/scripts/setup"
    fi
}

build() {
    say "building in ${BUILD_DIR#"$ROOT"/}"
    cmake --build "$BUILD_DIR" -- -j"$(nproc)"
}
