#!/usr/bin/env bash
# Times `zelcmd --set CHIP -d IMAGE` of a 64 MiB image to one simulated emulator on a 40 MB/s
# link (zelsim --speed 40) with the progress bar drawn (stderr on a terminal, under script) and
# without it, beside `zelcmd --set CHIP` alone (start-up, chip configuration, image buffers).
# The download phase (the difference) is held to the link's own time, 64 MiB / 40 MB/s.
# zelcmd runs in a private XDG/HOME world; temporary files live under ${TMPDIR:-/tmp}.
#   cmake --build build --target zelcmd zelsim zel_catalogue_configs
#   bench/zelcmd_progress.sh [--bin build/bin] [--runs N (default 5)] [--speed MBPS (default 40)]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/build/bin"
runs=5
speed=40
chip=W25Q512JV          # 64 MiB, 3300 mV
size=$((64 * 1024 * 1024))
while [ $# -gt 0 ]; do
    case $1 in
        --bin) bin=$2; shift 2 ;;
        --runs) runs=$2; shift 2 ;;
        --speed) speed=$2; shift 2 ;;
        *) echo "usage: $0 [--bin FOLDER] [--runs N] [--speed MBPS]" >&2; exit 2 ;;
    esac
done
source "$root/bench/zelcmd_world.sh"
command -v script >/dev/null || { echo "script (util-linux) is needed for the terminal" >&2; exit 1; }
zel_bench_check zelcmd zelsim

zel_bench_world zelcmd-progress-bench
simdir="$work/sim"
cleanup() {
    "$bin/zelsim" --dir "$simdir" stop >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

image="$work/image.bin"
head -c "$size" /dev/urandom > "$image"
"$bin/zelsim" start --dir "$simdir" --speed "$speed" --device gen=2,serial=200000 >/dev/null

world+=(ZELMOR_SIM="$simdir" TERM=xterm)
now() { date +%s.%N; }
# Seconds of one run of the command line given; fails the bench when zelcmd fails.
timed() {
    local start end
    start=$(now)
    "$@" </dev/null >"$work/out.txt" 2>&1 || { echo "failed: $*" >&2; cat "$work/out.txt" >&2; exit 1; }
    end=$(now)
    awk -v a="$end" -v b="$start" 'BEGIN { printf "%.6f\n", a - b }'
}
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

bar=() plain=() setup=() rates=()
for ((r = 0; r < runs; r++)); do
    # Interleaved, so that drift of the shared machine falls on all three.
    bar+=("$(timed script -qec "$(printf '%q ' "${world[@]}" "$bin/zelcmd" --set "$chip" -d "$image")" /dev/null)")
    # The bar's last line times the transfer itself, from its first report to its last.
    rate=$(tr '\r' '\n' <"$work/out.txt" | grep -a "download  100%" | tail -n1 | grep -oE '[0-9.]+ MiB/s' | cut -d' ' -f1)
    [ -n "$rate" ] || { echo "no progress bar drawn" >&2; exit 1; }
    rates+=("$rate")
    plain+=("$(timed "${world[@]}" "$bin/zelcmd" --set "$chip" -d "$image")")
    setup+=("$(timed "${world[@]}" "$bin/zelcmd" --set "$chip")")
done
m_bar=$(printf '%s\n' "${bar[@]}" | median)
m_plain=$(printf '%s\n' "${plain[@]}" | median)
m_setup=$(printf '%s\n' "${setup[@]}" | median)
m_rate=$(printf '%s\n' "${rates[@]}" | median)
awk -v rate="$m_rate" -v bar="$m_bar" -v plain="$m_plain" -v setup="$m_setup" -v size="$size" -v speed="$speed" -v runs="$runs" 'BEGIN {
    ideal = size / (speed * 1e6)
    printf "64 MiB to one emulator at %g MB/s, median of %d runs each\n", speed, runs
    printf "%-44s %8.3f s\n", "zelcmd --set -d, bar drawn (terminal)", bar
    printf "%-44s %8.3f s\n", "zelcmd --set -d, no terminal", plain
    printf "%-44s %8.3f s\n", "zelcmd --set alone (start-up, buffers)", setup
    printf "%-44s %8.3f s\n", "64 MiB / link rate", ideal
    transfer = size / (rate * 1048576)
    printf "%-44s %8.3f s  %+6.1f %% over the link (limit 5 %%): %s\n", "the transfer, as the bar timed it", transfer,
           (transfer / ideal - 1) * 100, transfer <= ideal * 1.05 ? "ok" : "OVER"
    phase = bar - setup
    printf "%-44s %8.3f s  %+6.1f %% over the link (image load included)\n", "download phase with the bar", phase,
           (phase / ideal - 1) * 100
    printf "%-44s %8.3f s  %+6.1f %% of the run without it\n", "the bar itself", bar - plain, (bar / plain - 1) * 100
    printf "%-44s %8.3f s  %+6.1f %% over the link\n", "whole run with the bar", bar, (bar / ideal - 1) * 100
}'
