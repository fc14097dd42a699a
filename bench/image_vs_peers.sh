#!/usr/bin/env bash
# Times our image readers against objcopy and srec_cat on the same files: a 16 MiB-data Intel
# HEX file (16-byte records, ~47 MB of text) and a 4 MiB-data S-record file (S3, 32-byte
# records), both in $TMPDIR, else /dev/shm so that the disk stays out of the picture. Every tool converts the
# file to raw binary; each is run once to warm up and then RUNS times (default 7). Prints the
# medians of wall and CPU (user + system) time, the ratio of each peer's median to ours, and the
# resident-memory growth of one load measured in a separate process.
#   bench/image_vs_peers.sh [--bin FOLDER_WITH_image_load] [--runs N]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
bin="$root/build/bin"
runs=7
while [ $# -gt 0 ]; do
    case $1 in
        --bin) bin=$2; shift 2 ;;
        --runs) runs=$2; shift 2 ;;
        *) echo "usage: $0 [--bin FOLDER] [--runs N]" >&2; exit 2 ;;
    esac
done
loader="$bin/image_load"
[ -x "$loader" ] || { echo "no $loader: configure with -DZEL_BUILD_BENCH=ON and build image_load" >&2; exit 1; }
[ "$runs" -ge 5 ] || { echo "at least 5 runs" >&2; exit 2; }
for tool in objcopy srec_cat; do
    command -v "$tool" >/dev/null || { echo "$tool is missing (packages binutils, srecord)" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/dev/shm}/zel-image-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT

echo "generating test files in $work ..."
head -c $((16 << 20)) /dev/urandom >"$work/data16.bin"
head -c $((4 << 20)) /dev/urandom >"$work/data4.bin"
srec_cat "$work/data16.bin" -binary -o "$work/image.hex" -intel -output-block-size=16 -crlf
srec_cat "$work/data4.bin" -binary -o "$work/image.s19" -motorola -address-length=4 -output-block-size=32 -crlf

# Median of the numbers on standard input.
median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# time_tool LABEL EXPECTED_BINARY COMMAND...: runs the command (its output file is $work/out.bin),
# checks the output once, and leaves "wall_ms cpu_ms" medians in $result.
time_tool() {
    local expected=$1; shift
    rm -f "$work/out.bin"
    "$@" >/dev/null 2>&1
    cmp -s "$work/out.bin" "$expected" || { echo "wrong output from: $*" >&2; exit 1; }
    local walls=() cpus=() i line
    local TIMEFORMAT='%3R %3U %3S'
    for ((i = 0; i < runs; i++)); do
        line=$({ time "$@" >/dev/null 2>/dev/null; } 2>&1)
        read -r real user sys <<<"$line"
        walls+=("$(awk -v r="$real" 'BEGIN { printf "%.1f", r * 1000 }')")
        cpus+=("$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.1f", (u + s) * 1000 }')")
    done
    result="$(printf '%s\n' "${walls[@]}" | median) $(printf '%s\n' "${cpus[@]}" | median)"
}

printf '\n%-28s %12s %12s %14s %14s\n' "file / tool ($runs runs)" "wall ms" "cpu ms" "wall vs ours" "cpu vs ours"
for kind in hex s19; do
    if [ $kind = hex ]; then
        file="$work/image.hex" data="$work/data16.bin" bfd=ihex srec=-intel
        title="HEX 16 MiB ($(($(stat -c %s "$file") / 1000000)) MB)"
    else
        file="$work/image.s19" data="$work/data4.bin" bfd=srec srec=-motorola
        title="S19 4 MiB ($(($(stat -c %s "$file") / 1000000)) MB)"
    fi
    echo "$title"
    time_tool "$data" "$loader" "$file" "$work/out.bin"
    read -r ours_wall ours_cpu <<<"$result"
    printf '  %-26s %12s %12s %14s %14s\n' "image_load (ours)" "$ours_wall" "$ours_cpu" "1.00" "1.00"
    for peer in objcopy srec_cat; do
        if [ $peer = objcopy ]; then
            time_tool "$data" objcopy -I $bfd -O binary "$file" "$work/out.bin"
        else
            time_tool "$data" srec_cat "$file" $srec -o "$work/out.bin" -binary
        fi
        read -r wall cpu <<<"$result"
        printf '  %-26s %12s %12s %14s %14s\n' "$peer" "$wall" "$cpu" \
            "$(awk -v a="$wall" -v b="$ours_wall" 'BEGIN { printf "%.2fx", a / b }')" \
            "$(awk -v a="$cpu" -v b="$ours_cpu" 'BEGIN { printf "%.2fx", a / b }')"
    done
done

echo
echo "memory of one load (separate process; growth of VmRSS over the load, peak from VmHWM):"
for file in "$work/image.hex" "$work/image.s19"; do
    printf '  %-12s %s\n' "$(basename "$file")" "$("$loader" --rss "$file")"
done
