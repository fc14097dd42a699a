# Sourced by the trace and terminal benchmarks: starts one simulated emulator in a temporary
# folder (stopped and removed on exit), gives it a 16 MiB chip identity and 3.3 V so that its
# target bus answers, and exports ZELMOR_SIM. Needs $bin (the folder with zelsim and zelinfo);
# sets $simdir and the sim function.
simdir=$(mktemp -d "${TMPDIR:-/tmp}/zelmor-bench.XXXXXX")
trap '"$bin/zelsim" --dir "$simdir" stop >/dev/null 2>&1 || true; rm -rf "$simdir"' EXIT
sim() { "$bin/zelsim" --dir "$simdir" "$@"; }
sim start --dir "$simdir" --device gen=1 >/dev/null
export ZELMOR_SIM=$simdir
for setting in "0x40 0xef" "0x41 0x4018" "0x42 24" "0x44 1" "0x28 1"; do sim set-reg 0 $setting >/dev/null; done
"$bin/zelinfo" --supply 3.3 --device 1 >/dev/null
