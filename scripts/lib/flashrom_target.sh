# flashrom as the target board of a simulated emulator (zelsim's serprog endpoint).
# Sourced by the demo; needs flashrom (Debian package flashrom, /usr/sbin).

# zel_flashrom_read PORT CHIPNAME OUTFILE
#   Reads the emulated chip through 127.0.0.1:PORT into OUTFILE, with CHIPNAME as flashrom names
#   it (data/catalogue/chips.txt, column "flashrom"). Prints flashrom's "Found ..." line; returns
#   flashrom's status (124 when it did not finish within 60 s), printing its output on failure.
zel_flashrom_read() {
    if [ "$#" -ne 3 ]; then
        echo "usage: zel_flashrom_read PORT CHIPNAME OUTFILE" >&2
        return 2
    fi
    local port="$1" chip="$2" out="$3" flashrom output status
    flashrom="$(command -v flashrom || echo /usr/sbin/flashrom)"
    output="$(timeout 60 "$flashrom" -p "serprog:ip=127.0.0.1:$port" -c "$chip" -r "$out" 2>&1)"
    status=$?
    printf '%s\n' "$output" | grep -m1 '^Found '
    if [ "$status" -ne 0 ]; then
        printf '%s\n' "$output" >&2
        echo "flashrom failed (status $status)" >&2
    fi
    return "$status"
}
