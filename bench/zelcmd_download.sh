#!/usr/bin/env bash
# Times `zelcmd --set CHIP -d IMAGE` of one 64 MiB image to 1, 2, 4 and 8 simulated emulators
# (one worker per emulator) and prints total time and aggregate throughput per device count.
# Each count gets its own simulator, started and stopped here; zelcmd runs in a private
# XDG/HOME world so no settings document is touched. Build first, ideally in a Release folder:
#   cmake --build build --target zelcmd zelsim
#   bench/zelcmd_download.sh [--bin build/bin] [--runs N (default 3)] [--counts "1 2 4 8"]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/build/bin"
runs=3
counts="1 2 4 8"
chip=W25Q512JV          # 64 MiB, 3300 mV
size=$((64 * 1024 * 1024))
while [ $# -gt 0 ]; do
    case $1 in
        --bin) bin=$2; shift 2 ;;
        --runs) runs=$2; shift 2 ;;
        --counts) counts=$2; shift 2 ;;
        *) echo "usage: $0 [--bin FOLDER] [--runs N] [--counts \"1 2 4 8\"]" >&2; exit 2 ;;
    esac
done
source "$root/bench/zelcmd_world.sh"
zel_bench_check zelcmd zelsim

zel_bench_world zelcmd-download-bench
simdir=""
cleanup() {
    if [ -n "$simdir" ]; then "$bin/zelsim" --dir "$simdir" stop >/dev/null 2>&1 || true; fi
    rm -rf "$work"
}
trap cleanup EXIT

image="$work/image.bin"
head -c "$size" /dev/urandom > "$image"

now() { date +%s.%N; }

printf '%-8s %-6s %12s %12s %16s\n' devices runs "best (s)" "median (s)" "MiB/s (best)"
for n in $counts; do
    simdir="$work/sim$n"
    devices=()
    for ((i = 0; i < n; i++)); do devices+=(--device "gen=2,serial=$((200000 + i))"); done
    "$bin/zelsim" start --dir "$simdir" "${devices[@]}" >/dev/null
    times=()
    for ((r = 0; r < runs; r++)); do
        start=$(now)
        "${world[@]}" ZELMOR_SIM="$simdir" \
            "$bin/zelcmd" --set "$chip" -d "$image" </dev/null >"$work/out.txt" 2>&1 || {
            echo "zelcmd failed with $n devices:" >&2
            cat "$work/out.txt" >&2
            exit 1
        }
        end=$(now)
        times+=("$(awk -v a="$end" -v b="$start" 'BEGIN { printf "%.6f", a - b }')")
    done
    "$bin/zelsim" --dir "$simdir" stop >/dev/null 2>&1 || true
    simdir=""
    sorted=$(printf '%s\n' "${times[@]}" | sort -g)
    best=$(echo "$sorted" | head -n1)
    median=$(echo "$sorted" | sed -n "$(((runs + 1) / 2))p")
    throughput=$(awk -v n="$n" -v t="$best" 'BEGIN { printf "%.3f", n * 64 / t }')
    printf '%-8s %-6s %12.3f %12.3f %16.1f\n' "$n" "$runs" "$best" "$median" "$throughput"
done
