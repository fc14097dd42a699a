#!/usr/bin/env bash
# Times a 256 MiB download through the API against the simulator beside the same bytes sent raw
# on the transport, and a fill-rule download of a 16 MiB image to the 256 MiB chip. Starts its
# own simulator (one G2 emulator) and stops it again. Build first, in a Release folder:
#   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEL_BUILD_BENCH=ON
#   cmake --build build-bench --target bench_download zelsim
#   bench/download_vs_raw.sh [--bin build-bench/bin] [--runs N (default 15)]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/build/bin"
runs=15
while [ $# -gt 0 ]; do
    case $1 in
        --bin) bin=$2; shift 2 ;;
        --runs) runs=$2; shift 2 ;;
        *) echo "usage: $0 [--bin FOLDER] [--runs N]" >&2; exit 2 ;;
    esac
done
for program in bench_download zelsim; do
    [ -x "$bin/$program" ] || { echo "no $bin/$program: configure with -DZEL_BUILD_BENCH=ON and build it" >&2; exit 1; }
done

simdir=$(mktemp -d "${TMPDIR:-/tmp}/zel-download-bench.XXXXXX")
stop_sim() {
    "$bin/zelsim" --dir "$simdir" stop >/dev/null 2>&1 || true
    rm -rf "$simdir"
}
trap stop_sim EXIT

"$bin/zelsim" start --dir "$simdir" --device gen=2 >/dev/null
ZELMOR_SIM=$simdir "$bin/bench_download" --runs "$runs"
