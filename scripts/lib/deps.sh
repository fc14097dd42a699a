# Debian packages the project needs, installed only when missing (quiet when all are there).
# Sourced by scripts/test, scripts/demo and scripts/fuzz.

ZEL_PACKAGES=(
    g++ cmake ninja-build pkg-config ccache git
    libusb-1.0-0-dev libboost-program-options-dev libspdlog-dev libpugixml-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev
    srecord binutils flashrom
    umockdev libumockdev-dev
    libzip-dev sigrok-cli
    qt6-base-dev xvfb xauth fonts-dejavu-core
    pandoc
)

zel_missing_packages() {
    local pkg missing=()
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
    done
    printf '%s\n' "${missing[@]}"
}

zel_install_packages() {
    local missing
    mapfile -t missing < <(zel_missing_packages "$@" | sed '/^$/d')
    [ "${#missing[@]}" -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# ccache hits across clones in different folders: paths under the checkout are hashed relative
# to it and the working directory is not hashed.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
export CCACHE_NOHASHDIR="${CCACHE_NOHASHDIR:-1}"

# Configures (when needed) and builds one build folder. Extra arguments go to cmake;
# ZEL_TARGETS (space separated) limits the build to those targets.
zel_build() {
    local dir=$1; shift
    local launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" "$@" >/dev/null
    fi
    local targets=()
    for t in ${ZEL_TARGETS:-}; do targets+=(--target "$t"); done
    cmake --build "$dir" -j "$(nproc)" "${targets[@]}"
}
