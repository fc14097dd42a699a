#!/usr/bin/env bash
# zelcmd's bash completion: every option of the program's help is offered, option values, and
# the chip names after --set from the folder beside the zelcmd being completed, in the build
# tree's layout and the installed one.
#   completion_test.sh COMPLETION_SCRIPT ZELCMD
set -u
source "$1"
zelcmd=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/zelcmd-completion.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/build/config/ZelmorPro" "$work/prefix/bin" "$work/prefix/share/zelmor/config/ZelmorPro"
touch "$work/build/config/ZelmorPro/"{W25Q128JV-IQ,W25Q128JV-IM,MX25L8006E}.cfg
touch "$work/prefix/share/zelmor/config/ZelmorPro/GD25Q16C.cfg"
for exe in "$work/build/zelcmd" "$work/prefix/bin/zelcmd"; do printf '#!/bin/sh\n' >"$exe" && chmod +x "$exe"; done

failures=0
# expect "SORTED REPLIES" WORD...: completes the last word of the command line.
expect() {
    local wanted=$1; shift
    COMP_WORDS=("$@"); COMP_CWORD=$(($# - 1)); COMPREPLY=()
    _zelcmd
    local got
    got=$(printf '%s\n' "${COMPREPLY[@]}" | sort | xargs)
    if [[ $got != "$wanted" ]]; then
        echo "FAIL: '$*' completed to '$got', expected '$wanted'"
        failures=$((failures + 1))
    fi
}

expect "W25Q128JV-IM W25Q128JV-IQ" "$work/build/zelcmd" --stop --set w25q
expect "W25Q128JV-IM W25Q128JV-IQ" "$work/build/zelcmd" --set = W25Q128
PATH="$work/prefix/bin:$PATH" expect "GD25Q16C" zelcmd --set ""
expect "--update-fw" zelcmd --up
expect "1 2" zelcmd -g ""
expect "" zelcmd --device ""

# Every option zelcmd --help lists, and the hidden ones.
COMP_WORDS=(zelcmd -); COMP_CWORD=1; _zelcmd
offered=" ${COMPREPLY[*]} "
for option in $("$zelcmd" --help | grep -oE -- '(^| )--?[A-Za-z0-9][A-Za-z0-9-]*' | sort -u) --serial --version; do
    [[ $offered == *" $option "* ]] || { echo "FAIL: $option is not offered"; failures=$((failures + 1)); }
done
[ "$failures" -eq 0 ] && echo "bash completion: all cases pass"
exit "$failures"
