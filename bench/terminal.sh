#!/usr/bin/env bash
# Hyper-terminal throughput: the simulated target sends 255-byte messages at RATE messages a
# second for SECONDS (default 7,843/s = 2 MB/s for 10 s) while bench_terminal moves them into the
# API's receive queue and drains it, one byte a call and then a block a call.
#   bench/terminal.sh [SECONDS] [RATE]
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/deps.sh
ZEL_TARGETS="zelsim zelinfo" zel_build build >/dev/null
ZEL_TARGETS="bench_terminal" zel_build build-bench -DZEL_BUILD_BENCH=ON >/dev/null
bin=$PWD/build/bin
seconds=${1:-10}
rate=${2:-7843}

source bench/emulating_sim.sh

printf '| drain | MB/s asked | bytes sent | bytes read | messages | all intact | reader ns/byte | MB/s read | failed uploads |\n'
printf '|---|---|---|---|---|---|---|---|---|\n'
for mode in byte block; do
    build-bench/bin/bench_terminal "$bin/zelsim --dir $simdir" "$PWD/sim/scripts/terminal255.zts" "$rate" "$seconds" "$mode"
done
sim terminal 0 | head -1
