#!/usr/bin/env bash
# Trace capture throughput: the simulated target plays sim/scripts/stream.zts (one numbered read,
# two trace records, a step) at each rate for SECONDS while zelcapture reads the trace through
# the API (CliGetSPITraceData) and checks that sequence numbers and read numbers arrive without
# a gap. A rate is kept when the store overflowed never, the capture has no gap and it holds
# every record the simulator produced.
#   bench/capture.sh [SECONDS] [RECORDS_PER_SECOND...]   (default 30 s; 1M 2M 3M 4M)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/deps.sh
ZEL_TARGETS="zelsim zelinfo zelcapture" zel_build build >/dev/null
bin=$PWD/build/bin
seconds=${1:-30}
shift || true
rates=("$@")
[ ${#rates[@]} -gt 0 ] || rates=(1000000 2000000 3000000 4000000)

source bench/emulating_sim.sh

printf '| records/s asked | s | produced | captured | overflows | gaps | records/s made | kept |\n'
printf '|---|---|---|---|---|---|---|---|\n'
for rate in "${rates[@]}"; do
    steps=$((rate / 2 * seconds))
    out=$simdir/capture.txt
    "$bin/zelcapture" --reset --check-stream --seconds 1 >"$out" 2>/dev/null &
    capturer=$!
    until grep -q capturing "$out" 2>/dev/null; do sleep 0.1; done
    start=$(date +%s.%N)
    sim target-run 0 "$PWD/sim/scripts/stream.zts" $((rate / 2)) "$steps" >/dev/null
    while sim target-status 0 | grep -q running=1; do sleep 0.2; done
    made=$(echo "$(date +%s.%N) - $start" | bc)
    wait "$capturer" || true
    produced=$(sim trace-counters 0 | sed -E 's/.*produced=([0-9]+).*/\1/')
    overflows=$(sim trace-counters 0 | sed -E 's/.*overflows=([0-9]+).*/\1/')
    captured=$(sed -nE 's/^records captured: ([0-9]+).*/\1/p' "$out")
    gaps=$(sed -nE 's/.*sequence gaps ([0-9]+), number gaps ([0-9]+).*/\1+\2/p' "$out")
    kept=no
    [ "$overflows" = 0 ] && [ "$gaps" = "0+0" ] && [ "$captured" = "$produced" ] && kept=yes
    printf '| %s | %s | %s | %s | %s | %s | %.0f | %s |\n' "$rate" "$seconds" "$produced" "$captured" "$overflows" \
        "$gaps" "$(echo "$produced / $made" | bc -l)" "$kept"
done
