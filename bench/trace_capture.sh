#!/usr/bin/env bash
# zeltrace capture keeping up with the simulated target: the target plays sim/scripts/stream.zts
# (one numbered read, two records, a step) at RATE records a second for SECONDS while
# `zeltrace capture --ring` writes the raw file. Kept when the simulator's store never
# overflowed, the file holds every record the simulator produced and `zeltrace stats` finds no
# sequence break. Also reports the capture's CPU share and peak memory (GNU time).
#   bench/trace_capture.sh [SECONDS] [RECORDS_PER_SECOND]   (default 60 s at 4000000)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/deps.sh
ZEL_TARGETS="zelsim zelinfo zeltrace" zel_build build-bench -DCMAKE_BUILD_TYPE=Release -DZEL_BUILD_BENCH=ON >/dev/null
bin=$PWD/build-bench/bin
seconds=${1:-60}
rate=${2:-4000000}

source bench/emulating_sim.sh
file=$simdir/stream.zeltrace
/usr/bin/time -f '%e %M %P' -o "$simdir/time" "$bin/zeltrace" capture "$file" --ring >"$simdir/said" &
capturer=$!
until grep -q capturing "$simdir/said" 2>/dev/null; do sleep 0.1; done
start=$(date +%s.%N)
sim target-run 0 "$PWD/sim/scripts/stream.zts" $((rate / 2)) $((rate / 2 * seconds)) >/dev/null
while sim target-status 0 | grep -q running=1; do sleep 0.2; done
made=$(echo "$(date +%s.%N) - $start" | bc)
until sim trace-counters 0 | grep -q 'unread=0 '; do sleep 0.1; done
kill -TERM "$(pgrep -P "$capturer")"  # zeltrace itself, below GNU time
wait "$capturer"
counters=$(sim trace-counters 0)
produced=$(sed -E 's/.*produced=([0-9]+).*/\1/' <<<"$counters")
overflows=$(sed -E 's/.*overflows=([0-9]+).*/\1/' <<<"$counters")
captured=$(sed -nE 's/^records captured: ([0-9]+).*/\1/p' "$simdir/said")
stats=$("$bin/zeltrace" stats "$file" | sed -n 's/^records: //p')
breaks=$(sed -E 's/.* ([0-9]+) breaks.*/\1/' <<<"$stats")
inFile=$(sed -E 's/^([0-9]+) .*/\1/' <<<"$stats")
read -r wall rss cpu <"$simdir/time"
kept=no
[ "$overflows" = 0 ] && [ "$breaks" = 0 ] && [ "$captured" = "$produced" ] && [ "$inFile" = "$produced" ] && kept=yes
printf '| records/s asked | s | produced | captured | in file | overflows | breaks | records/s made | zeltrace CPU | peak RSS (MiB) | kept |\n'
printf '|---|---|---|---|---|---|---|---|---|---|---|\n'
printf '| %s | %s | %s | %s | %s | %s | %s | %.0f | %s | %.0f | %s |\n' "$rate" "$seconds" "$produced" "$captured" "$inFile" \
    "$overflows" "$breaks" "$(echo "$produced / $made" | bc -l)" "$cpu" "$(echo "$rss / 1024" | bc -l)" "$kept"
