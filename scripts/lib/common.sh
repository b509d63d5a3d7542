# Sourced by the commands of scripts/: where things are, the Debian packages they need, and the build.
# Everything here is safe to run again: packages already present are not asked for twice.

VENDRASOL_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# scripts/test and scripts/start share one build folder; another can be named for side work.
BUILD_DIR=${VENDRASOL_BUILD_DIR:-$VENDRASOL_ROOT/build}

# What building and testing the program needs: the compiler, Qt, the Firebird client with its
# embedded engine (tests and the demo open database files without a server) and isql-fb; the
# Boost headers for the message macros of Firebird's firebird/Message.h.
BUILD_PACKAGES=(g++ make cmake ccache qt6-base-dev libgtest-dev libboost-dev
                firebird-dev libfbclient2 firebird3.0-server-core firebird3.0-utils)

say() { printf '\n== %s\n' "$*"; }
fail() { printf 'error: %s\n' "$*" >&2; exit 1; }

require_root() {
    [ "$(id -u)" -eq 0 ] || fail "run this as root: it installs Debian packages"
}

package_installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

# Installs whichever of the named Debian packages are missing; apt is not run when none is.
install_packages() {
    local missing=() package
    for package in "$@"; do
        package_installed "$package" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    require_root
    say "Installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    local log
    log=$(mktemp)
    if ! { apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
        cat "$log" >&2
        rm -f "$log"
        fail "could not install ${missing[*]}"
    fi
    rm -f "$log"
}

# Configures once and builds the named targets (all of them when none is named). A configure that
# failed leaves a cache without a Makefile behind: that one is configured again.
build() {
    say "Building in $BUILD_DIR"
    if [ ! -f "$BUILD_DIR/CMakeCache.txt" ] || [ ! -f "$BUILD_DIR/Makefile" ]; then
        local log
        log=$(mktemp)
        if ! cmake -S "$VENDRASOL_ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$log" 2>&1; then
            cat "$log" >&2
            rm -f "$log"
            fail "cmake could not configure the build"
        fi
        rm -f "$log"
    fi
    local targets=()
    [ $# -gt 0 ] && targets=(--target "$@")
    cmake --build "$BUILD_DIR" -j "${BUILD_JOBS:-2}" "${targets[@]}" || fail "the build failed"
}
