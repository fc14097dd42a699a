#!/usr/bin/env bash
# Writes the golden trace texts and the capture they are made from, line by line by hand.
#
# Nothing here decodes: every line below is written out from the writers' documented layouts
# (common/trace/src/TextLayouts.cpp says which strings are given and which are ours), so the C++
# writers are held to text that was not produced by them. Run it from this folder after changing a
# layout on purpose; the tests compare byte for byte.
#
# The capture: a 32 MiB chip (mask 0x1FFFFFF) that starts in 3-byte mode, 17 transactions covering
# every command-record length (1..6 bytes), every continuation length (1..6), the sequence wrap
# 254 -> 1, 4-byte mode entered with 0xB7 and left with 0xE9, a 4-byte opcode (0x13) in 3-byte
# mode, an undecoded quad read (0xEB, IO_Mode 4) through the I/O decoder, an empty record, a broken
# sequence, a valid-bits field of 63 and timestamps above 2^32 ticks.
set -euo pipefail
cd "$(dirname "$0")"

records=()   # one record per entry, as printf escapes
record_count=0

bytes_escaped() {   # bytes_escaped B... -> \xHH for each byte
    local b out=
    for b in "$@"; do out+=$(printf '\\x%02x' "$((b))"); done
    printf '%s' "$out"
}

stamp() {   # stamp TICKS: FF FF and 48 bits of 10 ns ticks, most significant first
    local t=$1 i bytes=(0xFF 0xFF)
    for i in 40 32 24 16 8 0; do bytes+=($(((t >> i) & 0xFF))); done
    records+=("$(bytes_escaped "${bytes[@]}")")
}

rec() {   # rec SEQ FRAGMENT BITS PAYLOAD...: sequence, fragment << 6 | valid bits, payload padded to 6
    local seq=$1 frag=$2 bits=$3; shift 3
    local payload=("$@")
    while [ "${#payload[@]}" -lt 6 ]; do payload+=(0); done
    records+=("$(bytes_escaped "$seq" $((frag << 6 | bits)) "${payload[@]}")")
}

# transaction TICKS SEQ [bits=N] "COMMAND BYTES" ["CONTINUATION BYTES"...]
transaction() {
    local ticks=$1 seq=$2; shift 2
    local bits=
    if [[ $1 == bits=* ]]; then bits=${1#bits=}; shift; fi
    local command=($1); shift
    stamp "$ticks"
    rec "$seq" 0 "${bits:-$((${#command[@]} * 8))}" "${command[@]}"
    local frag=1 more
    for more in "$@"; do
        local payload=($more)
        rec "$seq" $((frag % 4)) $((${#payload[@]} * 8)) "${payload[@]}"
        frag=$((frag + 1))
    done
}

transaction 100 250 "0x06"                                        # T1  n=1
transaction 250 251 "0x05 0x40"                                   # T2  n=2
transaction 1000 252 "0x01 0x40 0x02"                             # T3  n=3
transaction 12345678 253 "0x20 0x12 0x34 0x56"                    # T4  n=4, 3-byte address
transaction 99999999 254 "0x03 0x00 0x10 0x00 0xAA" \
    "0xBB 0xCC 0xDD 0xEE 0xFF 0x11" "0x22"                        # T5  n=5, cont 6 and 1
transaction 100000000 1 "0x0B 0x01 0x02 0x03 0x00" \
    "0 1 2 3 4 5" "6 7 8 9 10 11" "12 13 14 15 16"                # T6  254 -> 1, dummy, 17 bytes
transaction 4294967301 2 "0x9F 0xEF 0x40 0x19 0xEF 0x40"          # T7  above 2^32, n=6
transaction 4294968000 3 "0x13 0x03 0x00 0x10 0x00" "0xDE 0xAD 0xBE"   # T8  4-byte opcode, masked
transaction 4294969000 4 "0xB7"                                   # T9  enter 4-byte mode
transaction 4294970000 5 "0x03 0x00 0x00 0x20 0x00 0x55" "0x66 0x77"              # T10
transaction 4294971000 6 "0x0B 0x00 0x00 0x30 0x00 0xFF" "0x88 0x99 0xAA 0xBB"    # T11
transaction 4294972000 7 "0xE9"                                   # T12 exit 4-byte mode
records+=("$(bytes_escaped 0 0 0 0 0 0 0 0)")                     # an empty record
transaction 4294973000 8 "0x02 0x00 0x40 0x00 0x11 0x22" "0x33"   # T13
transaction 4294974000 9 "0xEB 0x00 0x12 0x34 0xF0 0xAA" \
    "0x00 0x5A 0xA5 0xC3 0x3C 0x01"                               # T14 undecoded quad read
transaction 4294975000 11 "0x06"                                  # T15 sequence 10 missing
transaction 4294976000 12 "0x04"                                  # T16
transaction 281474976710655 13 bits=63 "0x0B 0x00 0x50 0x00 0xFF 0x77"   # T17

le() {   # le VALUE WIDTH: little-endian bytes
    local v=$1 n=$2 i out=()
    for ((i = 0; i < n; i++)); do out+=($(((v >> (8 * i)) & 0xFF))); done
    bytes_escaped "${out[@]}"
}
{
    printf 'ZELTRACE'
    printf '%b' "$(le 1 2)$(le 32 2)$(le 0 2)$(le 0 1)$(le 0 1)$(le 0x2000000 4)$(le 0 4)$(le "${#records[@]}" 8)"
    for r in "${records[@]}"; do printf '%b' "$r"; done
} >records.zeltrace

declare -A TS=([1]=0.00000100 [2]=0.00000250 [3]=0.00001000 [4]=0.12345678 [5]=0.99999999
    [6]=1.00000000 [7]=42.94967301 [8]=42.94968000 [9]=42.94969000 [10]=42.94970000
    [11]=42.94971000 [12]=42.94972000 [13]=42.94973000 [14]=42.94974000
    [15]=42.94975000 [16]=42.94976000 [17]=2814749.76710655)
SEPARATOR=$'\n********************************\n'
SIXTEEN="00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F "
declare -A NAMES=([0x06]="Write Enable" [0x05]="Read Status Register"
    [0x01]="Write Status Register" [0x20]="Sector Erase 4KB" [0x03]="Read Data"
    [0x0B]="Fast Read" [0x9F]="Read JEDEC ID" [0x13]="Read Data (4-byte address)"
    [0xB7]="Enter 4-Byte Address Mode" [0xE9]="Exit 4-Byte Address Mode" [0x02]="Page Program"
    [0xEB]="Quad I/O Fast Read" [0x04]="Write Disable")

sp() { printf '%*s' "$1" ''; }
name() { printf '%-*s' "$2" "${NAMES[$1]}"; }

# text FILE HEADER WIDTH (CNT FIELDS)...: the header, WIDTH "=", then one line per transaction
text() {
    local file=$1 header=$2 width=$3; shift 3
    {
        printf '%s' "$header"
        printf '=%.0s' $(seq "$width"); printf '\n'
        local first=1
        while [ "$#" -gt 0 ]; do
            local t=$1 fields=$2; shift 2
            if [ "$first" = 1 ]; then printf '%-17s' "${TS[$t]}"; first=0
            else printf '%-18s' $'\n'"${TS[$t]}"; fi
            printf '%-9s%s' "$t" "$fields"
        done
    } >"$file"
}

FULL_OFF=$'TIMESTAMP(s)    CNT      CMD     ADDRESS        DATA\n'
FULL_ON=$'TIMESTAMP(s)    CNT       CMD                                ADDRESS        DATA\n'
RESULT_OFF=$'\nTIMESTAMP(s)    CNT       CMD    ADDRESS          DATA\n'
RESULT_ON=$'\nTIMESTAMP(s)    CNT      CMD                                 ADDRESS      DATA\n'
CONT_OFF=$'TIMESTAMP(s)    CNT      CMD ADDRESS    DATA\n'
CONT_ON=$'TIMESTAMP(s)    CNT      CMD                                 ADDRESS    DATA\n'

# Full trace, translation off: data column 51, 3-byte address at 34, 4-byte at 33, indent 51.
text full_plain.txt "$FULL_OFF" 87 \
    1 "06" \
    2 "05$(sp 23)40" \
    3 "01$(sp 23)40 02" \
    4 "20$(sp 23)12 34 56" \
    5 "03$(sp 6)00 10 00$(sp 9)AA BB CC DD EE FF 11 22 " \
    6 "0B$(sp 6)01 02 03$(sp 9)$SIXTEEN"$'\n'"$(sp 51)10 " \
    7 "9F$(sp 23)EF 40 19 EF 40" \
    8 "13$(sp 5)01 00 10 00 DE AD BE " \
    9 "B7" \
    10 "03$(sp 5)00 00 20 00$(sp 7)55 66 77 " \
    11 "0B$(sp 5)00 00 30 00$(sp 7)88 99 AA BB " \
    12 "E9" \
    13 "02$(sp 6)00 40 00$(sp 9)11 22 33 " \
    14 "EB$(sp 23)00 12 34 5a a5 c3 3c 01 " \
    15 "$SEPARATOR" \
    16 "04" \
    17 "0B$(sp 6)00 50 00$(sp 9)77"

# Full trace, translation on: names padded as in the result writer, indent 80.
text full_translated.txt "$FULL_ON" 119 \
    1 "$(name 0x06 49)" \
    2 "$(name 0x05 49)40" \
    3 "$(name 0x01 49)40 02" \
    4 "$(name 0x20 49)12 34 56" \
    5 "$(name 0x03 35)00 10 00      AA BB CC DD EE FF 11 22 " \
    6 "$(name 0x0B 35)01 02 03      $SIXTEEN"$'\n'"$(sp 80)10 " \
    7 "$(name 0x9F 46)EF 40 19 EF 40 " \
    8 "$(name 0x13 35)01 00 10 00 DE AD BE " \
    9 "$(name 0xB7 49)" \
    10 "$(name 0x03 35)00 00 20 00   55 66 77 " \
    11 "$(name 0x0B 35)00 00 30 00   88 99 AA BB " \
    12 "$(name 0xE9 49)" \
    13 "$(name 0x02 35)00 40 00      11 22 33 " \
    14 "$(name 0xEB 49)00 12 34 5a a5 c3 3c 01 " \
    15 "$SEPARATOR" \
    16 "$(name 0x04 49)" \
    17 "$(name 0x0B 35)00 50 00      77 "

# Result of the filter Write Enable, Normal Read, Fast Read, Page Program, Read ID, range
# 0..0x20000, special command EB: every kept transaction starts a fresh sequence, so T15 is a
# command here. Data column 50, address 33, indent 38 (70 translated).
text result_plain.txt "$RESULT_OFF" 87 \
    1 "06" \
    5 "03$(sp 5)00 10 00$(sp 9)AA BB CC DD EE FF 11 22 " \
    6 "0B$(sp 5)01 02 03$(sp 9)$SIXTEEN"$'\n'"$(sp 38)10 " \
    7 "9F$(sp 5)EF 40 19$(sp 9)EF 40 " \
    10 "03$(sp 5)00 00 20 00$(sp 6)55 66 77 " \
    11 "0B$(sp 5)00 00 30 00$(sp 6)88 99 AA BB " \
    13 "02$(sp 5)00 40 00$(sp 9)11 22 33 " \
    14 "EB$(sp 22)00 12 34 5a a5 c3 3c 01 " \
    15 "06" \
    17 "0B$(sp 5)00 50 00$(sp 9)77 "
text result_translated.txt "$RESULT_ON" 119 \
    1 "$(name 0x06 49)" \
    5 "$(name 0x03 35)00 10 00      AA BB CC DD EE FF 11 22 " \
    6 "$(name 0x0B 35)01 02 03      $SIXTEEN"$'\n'"$(sp 70)10 " \
    7 "$(name 0x9F 46)EF 40 19 EF 40 " \
    10 "$(name 0x03 35)00 00 20 00   55 66 77 " \
    11 "$(name 0x0B 35)00 00 30 00   88 99 AA BB " \
    13 "$(name 0x02 35)00 40 00      11 22 33 " \
    14 "$(name 0xEB 49)00 12 34 5a a5 c3 3c 01 " \
    15 "$(name 0x06 49)" \
    17 "$(name 0x0B 35)00 50 00      77 "

# Continuous writer (all ours): opcode 26, address 29, data 40, indent 40; translated: names
# padded to 35 before an address and 46 before data, address 61, data 72, indent 72.
text continuous_plain.txt "$CONT_OFF" 87 \
    1 "06" \
    2 "05$(sp 12)40" \
    3 "01$(sp 12)40 02" \
    4 "20 12 34 56" \
    5 "03 00 10 00   AA BB CC DD EE FF 11 22 " \
    6 "0B 01 02 03   $SIXTEEN"$'\n'"$(sp 40)10 " \
    7 "9F$(sp 12)EF 40 19 EF 40" \
    8 "13 01 00 10 00 DE AD BE " \
    9 "B7" \
    10 "03 00 00 20 00 55 66 77 " \
    11 "0B 00 00 30 00 88 99 AA BB " \
    12 "E9" \
    13 "02 00 40 00   11 22 33 " \
    14 "EB$(sp 12)00 12 34 5a a5 c3 3c 01 " \
    15 "$SEPARATOR" \
    16 "04" \
    17 "0B 00 50 00   77"
text continuous_translated.txt "$CONT_ON" 119 \
    1 "$(name 0x06 46)" \
    2 "$(name 0x05 46)40" \
    3 "$(name 0x01 46)40 02" \
    4 "$(name 0x20 35)12 34 56" \
    5 "$(name 0x03 35)00 10 00   AA BB CC DD EE FF 11 22 " \
    6 "$(name 0x0B 35)01 02 03   $SIXTEEN"$'\n'"$(sp 72)10 " \
    7 "$(name 0x9F 46)EF 40 19 EF 40" \
    8 "$(name 0x13 35)01 00 10 00 DE AD BE " \
    9 "$(name 0xB7 46)" \
    10 "$(name 0x03 35)00 00 20 00 55 66 77 " \
    11 "$(name 0x0B 35)00 00 30 00 88 99 AA BB " \
    12 "$(name 0xE9 46)" \
    13 "$(name 0x02 35)00 40 00   11 22 33 " \
    14 "$(name 0xEB 46)00 12 34 5a a5 c3 3c 01 " \
    15 "$SEPARATOR" \
    16 "$(name 0x04 46)" \
    17 "$(name 0x0B 35)00 50 00   77"
