#!/usr/bin/env bash
# The largest text-image round trip: a 256 MiB chip of random bytes on one simulated G2 emulator
# is read by zelcmd into an Intel HEX and an S-record file, and each file is downloaded (with
# verify) into a second emulator whose memory was cleared; the two memories must then agree.
# Prints per format the file size, the medians of the read, the download and of image_load
# converting the file alone, and whether the memories agreed in every run. The 256 MiB chip is
# beyond the catalogue, so zelcmd runs from a private program folder holding its configuration.
# Build first, in a Release folder:
#   cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DZEL_BUILD_BENCH=ON -DZEL_BUILD_TESTS=OFF
#   cmake --build build-bench
#   bench/text_round_trip.sh [--bin build-bench/bin] [--runs N (default 3)]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/build/bin"
runs=3
while [ $# -gt 0 ]; do
    case $1 in
        --bin) bin=$(cd "$2" && pwd); shift 2 ;;
        --runs) runs=$2; shift 2 ;;
        *) echo "usage: $0 [--bin FOLDER] [--runs N]" >&2; exit 2 ;;
    esac
done
for program in zelcmd zelsim image_load bench_chip_config; do
    [ -x "$bin/$program" ] || { echo "no $bin/$program: configure with -DZEL_BUILD_BENCH=ON and build it" >&2; exit 1; }
done

size=$((256 << 20))
chip=BENCH256M
work=$(mktemp -d "${TMPDIR:-/tmp}/zel-text-round-trip.XXXXXX")
simdir="$work/sim"
cleanup() {
    "$bin/zelsim" --dir "$simdir" stop >/dev/null 2>&1 || true
    rm -rf "$work"
}
trap cleanup EXIT

# zelcmd takes its chip configurations from beside itself when a config folder is there; its
# libraries it finds in the build folder (run path).
mkdir -p "$work/prog/config/ZelmorPro" "$work/home" "$work/config" "$work/xdg" "$work/run"
chmod 700 "$work/run"
cp "$bin/zelcmd" "$work/prog/"
"$bin/bench_chip_config" "$work/prog/config/ZelmorPro/$chip.cfg" "$size"

"$bin/zelsim" start --dir "$simdir" --device gen=2,serial=1 --device gen=2,serial=2 --time-scale 0.01 >/dev/null

zelcmd() {
    env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_CONFIG_DIRS="$work/xdg" \
        XDG_RUNTIME_DIR="$work/run" ZELMOR_SIM="$simdir" "$work/prog/zelcmd" "$@" </dev/null >"$work/out.txt" 2>&1 || {
        echo "zelcmd $* failed:" >&2
        cat "$work/out.txt" >&2
        exit 1
    }
}
digest() { "$bin/zelsim" --dir "$simdir" digest "$1" 0 "$size"; }
now() { date +%s.%N; }
seconds_since() { awk -v a="$(now)" -v b="$1" 'BEGIN { printf "%.3f", a - b }'; }
median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

echo "filling the first emulator with $((size >> 20)) MiB of random bytes ..."
head -c "$size" /dev/urandom >"$work/chip.bin"
zelcmd --device 1 --set "$chip" -d "$work/chip.bin"
rm -f "$work/chip.bin"
original=$(digest 0)

printf '\n%-8s %10s %12s %16s %16s %10s\n' format "file MB" "read s" "download -v s" "image_load s" "memory"
for format in hex s19; do
    file="$work/chip.$format"
    reads=() downloads=() loads=() same=yes
    for ((i = 0; i < runs; i++)); do
        rm -f "$file"
        start=$(now)
        zelcmd --device 1 --set "$chip" -r "$file"
        reads+=("$(seconds_since "$start")")

        "$bin/zelsim" --dir "$simdir" fill 1 0 "$size" 0 >/dev/null
        start=$(now)
        zelcmd --device 2 --set "$chip" -d "$file" -v
        downloads+=("$(seconds_since "$start")")
        grep -q "Verify Pass" "$work/out.txt" || same=no
        [ "$(digest 1)" = "$original" ] || same=no

        # The project's writers take regular files only, so the conversion lands in the work folder.
        start=$(now)
        "$bin/image_load" "$file" "$work/load.bin"
        loads+=("$(seconds_since "$start")")
        rm -f "$work/load.bin"
    done
    printf '%-8s %10s %12s %16s %16s %10s\n' "$format" "$(($(stat -c %s "$file") / 1000000))" \
        "$(printf '%s\n' "${reads[@]}" | median)" "$(printf '%s\n' "${downloads[@]}" | median)" \
        "$(printf '%s\n' "${loads[@]}" | median)" "$([ $same = yes ] && echo same || echo DIFFERENT)"
    rm -f "$file"
    [ $same = yes ] || { echo "the second emulator's memory differs from the first's" >&2; exit 1; }
done
