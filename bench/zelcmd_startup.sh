#!/usr/bin/env bash
# Times `zelcmd --set CHIP` against one simulated G2 emulator: start-up, API set-up,
# enumeration and the chip configuration, with no image. Prints every run and the best and
# median wall time. zelcmd runs in a private XDG/HOME world so no settings document is touched.
# Build first:
#   cmake --build build --target zelcmd zelsim zel_catalogue_configs
#   bench/zelcmd_startup.sh [--bin build/bin] [--runs N (default 9)] [--chip NAME (default W25Q512JV)]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/build/bin"
runs=9
chip=W25Q512JV          # 64 MiB, 3300 mV: the G2 emulator's FPGA image matches, nothing is asked
while [ $# -gt 0 ]; do
    case $1 in
        --bin) bin=$2; shift 2 ;;
        --runs) runs=$2; shift 2 ;;
        --chip) chip=$2; shift 2 ;;
        *) echo "usage: $0 [--bin FOLDER] [--runs N] [--chip NAME]" >&2; exit 2 ;;
    esac
done
source "$root/bench/zelcmd_world.sh"
zel_bench_check zelcmd zelsim

zel_bench_world zelcmd-startup-bench
simdir="$work/sim"
cleanup() {
    "$bin/zelsim" --dir "$simdir" stop >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

"$bin/zelsim" start --dir "$simdir" --device gen=2,serial=204711 >/dev/null

now() { date +%s.%N; }

times=()
for ((r = 0; r < runs; r++)); do
    start=$(now)
    "${world[@]}" ZELMOR_SIM="$simdir" \
        "$bin/zelcmd" --set "$chip" </dev/null >"$work/out.txt" 2>&1 || {
        echo "zelcmd failed:" >&2
        cat "$work/out.txt" >&2
        exit 1
    }
    end=$(now)
    times+=("$(awk -v a="$end" -v b="$start" 'BEGIN { printf "%.4f", a - b }')")
done
sorted=$(printf '%s\n' "${times[@]}" | sort -g)
printf 'zelcmd --set %s, %d runs (s): %s\n' "$chip" "$runs" "${times[*]}"
printf 'best %.4f s, median %.4f s\n' "$(echo "$sorted" | head -n1)" "$(echo "$sorted" | sed -n "$(((runs + 1) / 2))p")"
