#!/usr/bin/env bash
# The real Zelmor, started while a process named zelcmd runs for this user, refuses with the
# command-line tool's message (its box stays up until closed; the same line goes to stderr) and
# opens no emulator. Usage: refuses_beside_zelcmd.sh <Zelmor>
set -euo pipefail
zelmor=$1
work=$(mktemp -d "${TMPDIR:-/tmp}/zelmor-refuse.XXXXXX")
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

cp "$(command -v sleep)" "$work/zelcmd"
"$work/zelcmd" 60 &
pids+=($!)

mkdir -p "$work/sim"  # an empty simulator folder: the refusal must come before any device work
ZELMOR_SIM=$work/sim QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work \
    "$zelmor" 2>"$work/stderr" &
pids+=($!)
for _ in $(seq 100); do
    grep -q "Varnik ZelmorPro--CLI is already running! " "$work/stderr" && break
    sleep 0.1
done
grep -q "Varnik ZelmorPro--CLI is already running! " "$work/stderr" || { cat "$work/stderr" >&2; exit 1; }
if [ -e "$work/config/Varnik" ]; then
    echo "Zelmor went on to its settings after refusing" >&2
    exit 1
fi
echo "refused beside zelcmd"
