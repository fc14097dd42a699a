# Sourced by the zelcmd benches: checks that the programs and the chip's configuration are built,
# and makes the work folder (under ${TMPDIR:-/tmp}) with a private HOME/XDG world, so that a bench
# never touches the user's settings document or desktop notice socket.
#   zel_bench_check PROGRAM...   needs $bin and $chip
#   zel_bench_world NAME         sets $work and the array $world: `"${world[@]}" ZELMOR_SIM=... cmd`

zel_bench_check() {
    local program
    for program in "$@"; do
        [ -x "$bin/$program" ] || { echo "no $bin/$program: build it first" >&2; exit 1; }
    done
    [ -f "$bin/config/ZelmorPro/$chip.cfg" ] ||
        { echo "no $bin/config/ZelmorPro/$chip.cfg: build zel_catalogue_configs" >&2; exit 1; }
}

zel_bench_world() {
    work=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")
    mkdir -p "$work/home" "$work/config" "$work/xdg" "$work/run"
    chmod 700 "$work/run"
    world=(env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_CONFIG_HOME="$work/config"
           XDG_CONFIG_DIRS="$work/xdg" XDG_RUNTIME_DIR="$work/run")
}
