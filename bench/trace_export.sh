#!/usr/bin/env bash
# zeltrace export of raw captures as a sigrok session and as VCD: wall time and peak memory
# (GNU time's maximum resident set) for each size, so bounded memory shows as an RSS that does
# not grow with the capture. The captures are a target booting over and over (trace_records).
#   bench/trace_export.sh [RECORDS...]   (default 1000000 4000000)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/deps.sh
ZEL_TARGETS="zeltrace trace_records" zel_build build-bench -DCMAKE_BUILD_TYPE=Release -DZEL_BUILD_BENCH=ON >/dev/null
bin=$PWD/build-bench/bin
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(1000000 4000000)
work=$(mktemp -d "${TMPDIR:-/tmp}/zelmor-export.XXXXXX")
trap 'rm -rf "$work"' EXIT

printf '| records | format | seconds | peak RSS (MiB) | samples | output (MiB) |\n|---|---|---|---|---|---|\n'
for records in "${sizes[@]}"; do
    "$bin/trace_records" "$work/capture.zeltrace" "$records"
    for format in sr vcd; do
        out=$work/capture.$format
        /usr/bin/time -f '%e %M' -o "$work/time" "$bin/zeltrace" export "$work/capture.zeltrace" "$out" --tables "$bin" >"$work/said"
        read -r seconds rss <"$work/time"
        samples=$(sed -nE 's/.*: ([0-9]+) samples.*/\1/p' "$work/said")
        printf '| %s | .%s | %s | %.1f | %s | %.1f |\n' "$records" "$format" "$seconds" "$(echo "$rss / 1024" | bc -l)" \
            "$samples" "$(echo "$(stat -c %s "$out") / 1048576" | bc -l)"
        rm -f "$out"
    done
done
