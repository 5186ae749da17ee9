# Shared by the scripts: paths, the package list and the build folder of the chosen configuration.
# shellcheck shell=bash

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Debian packages the build and the tests need (see README.md for why each is there).
# Every program a test or script calls is here too, so a fresh machine passes as this one does.
PACKAGES=(
    g++ cmake ninja-build ccache pkg-config              # compiler and build
    qt6-base-dev qt6-base-dev-tools libgl-dev            # Qt widgets, moc and uic; GL headers for Qt's CMake
    libgtest-dev libgmock-dev libbenchmark-dev           # tests and benchmarks
    libsqlite3-dev                                       # the catalogue benchmarks' comparison
    libcdio-dev libcdio-paranoia-dev                     # drives and disc images
    libpulse-dev                                         # sound through the desktop's sound server
    libsndfile1-dev libsoxr-dev                          # disc samples: WAVE files, rate conversion
    pulseaudio                                           # the audio test's private sound server
    nlohmann-json3-dev                                   # the catalogue tool's --json; lookup answers
    libdiscid-dev                                        # online lookup: MusicBrainz and freedb disc ids
    libflac-dev                                          # the disc archive: FLAC files, their tags and picture
    xvfb xauth imagemagick                               # scripts/screenshot: virtual display, capture
    dbus-daemon playerctl                                # the MPRIS test: private bus, real client
    at-spi2-core python3-pyatspi                         # the screen reader test: accessibility bus, AT-SPI client
    qt6-wayland weston                                   # Wayland: Qt's platform plugin; the test's headless compositor
    appstream desktop-file-utils librsvg2-bin            # install and AutoPlay tests: validators, icon renderer
    fonts-liberation2 fonts-dejavu-core                  # printed reports: substitutes for the report fonts
    poppler-utils                                        # the report tests read PDFs back (pdftotext, pdftoppm)
    locales                                              # the second test run's locale, de_DE.UTF-8 (made by setup)
)

# A locale that writes a decimal comma: CI runs the tests once more under it.
SECOND_LOCALE=de_DE.UTF-8

# Whether the C library can switch to the locale named.
has_locale() {
    LC_ALL="$1" locale 2>&1 | grep -q "Cannot set" && return 1
    return 0
}

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

# Arguments: the targets the caller needs built; none builds everything.
ensure_setup() {
    if setup_needed; then
        "$ROOT/scripts/setup" "$@"
    fi
}

build() {
    local targets=()
    [ $# -eq 0 ] || targets=(--target "$@")
    say "building ${*:-everything} in ${BUILD_DIR#"$ROOT"/}"
    cmake --build "$BUILD_DIR" "${targets[@]}" -- -j"$(nproc)"
}
