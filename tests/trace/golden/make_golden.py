#!/usr/bin/env python3
"""Writes the golden trace texts and the capture they are made from, line by line by hand.

Nothing here decodes: every line below is written out from the writers' documented layouts
(common/trace/src/TextLayouts.cpp says which strings are given and which are ours), so the C++
writers are held to text that was not produced by them. Run it from this folder after changing a
layout on purpose; the tests compare byte for byte.

The capture: a 32 MiB chip (mask 0x1FFFFFF) that starts in 3-byte mode, 17 transactions covering
every command-record length (1..6 bytes), every continuation length (1..6), the sequence wrap
254 -> 1, 4-byte mode entered with 0xB7 and left with 0xE9, a 4-byte opcode (0x13) in 3-byte
mode, an undecoded quad read (0xEB, IO_Mode 4) through the I/O decoder, an empty record, a broken
sequence, a valid-bits field of 63 and timestamps above 2^32 ticks.
"""
import struct

records = []


def stamp(ticks):
    records.append(bytes([0xFF, 0xFF]) + ticks.to_bytes(6, "big"))


def rec(seq, frag, payload, bits=None):
    bits = len(payload) * 8 if bits is None else bits
    records.append(bytes([seq, frag << 6 | bits]) + bytes(payload).ljust(6, b"\0"))


def transaction(ticks, seq, command, *more, bits=None):
    stamp(ticks)
    rec(seq, 0, command, bits)
    for frag, payload in enumerate(more, 1):
        rec(seq, frag % 4, payload)


transaction(100, 250, [0x06])                                   # T1  n=1
transaction(250, 251, [0x05, 0x40])                             # T2  n=2
transaction(1000, 252, [0x01, 0x40, 0x02])                      # T3  n=3
transaction(12345678, 253, [0x20, 0x12, 0x34, 0x56])            # T4  n=4, 3-byte address
transaction(99999999, 254, [0x03, 0x00, 0x10, 0x00, 0xAA],      # T5  n=5, cont 6 and 1
            [0xBB, 0xCC, 0xDD, 0xEE, 0xFF, 0x11], [0x22])
transaction(100000000, 1, [0x0B, 0x01, 0x02, 0x03, 0x00],       # T6  254 -> 1, dummy, 17 bytes
            list(range(0, 6)), list(range(6, 12)), list(range(12, 17)))
transaction(4294967301, 2, [0x9F, 0xEF, 0x40, 0x19, 0xEF, 0x40])  # T7  above 2^32, n=6
transaction(4294968000, 3, [0x13, 0x03, 0x00, 0x10, 0x00],      # T8  4-byte opcode, masked
            [0xDE, 0xAD, 0xBE])
transaction(4294969000, 4, [0xB7])                              # T9  enter 4-byte mode
transaction(4294970000, 5, [0x03, 0x00, 0x00, 0x20, 0x00, 0x55], [0x66, 0x77])   # T10
transaction(4294971000, 6, [0x0B, 0x00, 0x00, 0x30, 0x00, 0xFF], [0x88, 0x99, 0xAA, 0xBB])  # T11
transaction(4294972000, 7, [0xE9])                              # T12 exit 4-byte mode
records.append(bytes(8))                                        # an empty record
transaction(4294973000, 8, [0x02, 0x00, 0x40, 0x00, 0x11, 0x22], [0x33])   # T13
transaction(4294974000, 9, [0xEB, 0x00, 0x12, 0x34, 0xF0, 0xAA],  # T14 undecoded quad read
            [0x00, 0x5A, 0xA5, 0xC3, 0x3C, 0x01])
transaction(4294975000, 11, [0x06])                             # T15 sequence 10 missing
transaction(4294976000, 12, [0x04])                             # T16
transaction(281474976710655, 13, [0x0B, 0x00, 0x50, 0x00, 0xFF, 0x77], bits=63)  # T17

header = b"ZELTRACE" + struct.pack("<HHHBBIIQ", 1, 32, 0, 0, 0, 0x2000000, 0, len(records))
with open("records.zeltrace", "wb") as f:
    f.write(header + b"".join(records))

TS = {1: "0.00000100", 2: "0.00000250", 3: "0.00001000", 4: "0.12345678", 5: "0.99999999",
      6: "1.00000000", 7: "42.94967301", 8: "42.94968000", 9: "42.94969000", 10: "42.94970000",
      11: "42.94971000", 12: "42.94972000", 13: "42.94973000", 14: "42.94974000",
      15: "42.94975000", 16: "42.94976000", 17: "2814749.76710655"}
SEPARATOR = "\n********************************\n"
SIXTEEN = "00 01 02 03 04 05 06 07 08 09 0A 0B 0C 0D 0E 0F "
NAMES = {0x06: "Write Enable", 0x05: "Read Status Register", 0x01: "Write Status Register",
         0x20: "Sector Erase 4KB", 0x03: "Read Data", 0x0B: "Fast Read", 0x9F: "Read JEDEC ID",
         0x13: "Read Data (4-byte address)", 0xB7: "Enter 4-Byte Address Mode",
         0xE9: "Exit 4-Byte Address Mode", 0x02: "Page Program", 0xEB: "Quad I/O Fast Read",
         0x04: "Write Disable"}


def sp(n):
    return " " * n


def name(op, pad):
    return NAMES[op].ljust(pad)


def text(header, width, lines):
    out = header + "=" * width + "\n"
    for i, (t, fields) in enumerate(lines):
        out += (("\n" if i else "") + TS[t]).ljust(18 if i else 17) + str(t).ljust(9) + fields
    return out


def write(file, content):
    with open(file, "w", newline="") as f:
        f.write(content)


FULL_OFF = "TIMESTAMP(s)    CNT      CMD     ADDRESS        DATA\n"
FULL_ON = "TIMESTAMP(s)    CNT       CMD                                ADDRESS        DATA\n"
RESULT_OFF = "\nTIMESTAMP(s)    CNT       CMD    ADDRESS          DATA\n"
RESULT_ON = "\nTIMESTAMP(s)    CNT      CMD                                 ADDRESS      DATA\n"
CONT_OFF = "TIMESTAMP(s)    CNT      CMD ADDRESS    DATA\n"
CONT_ON = "TIMESTAMP(s)    CNT      CMD                                 ADDRESS    DATA\n"

# Full trace, translation off: data column 51, 3-byte address at 34, 4-byte at 33, indent 51.
write("full_plain.txt", text(FULL_OFF, 87, [
    (1, "06"),
    (2, "05" + sp(23) + "40"),
    (3, "01" + sp(23) + "40 02"),
    (4, "20" + sp(23) + "12 34 56"),
    (5, "03" + sp(6) + "00 10 00" + sp(9) + "AA" + " BB CC DD EE FF 11 22 "),
    (6, "0B" + sp(6) + "01 02 03" + sp(9) + SIXTEEN + "\n" + sp(51) + "10 "),
    (7, "9F" + sp(23) + "EF 40 19 EF 40"),
    (8, "13" + sp(5) + "01 00 10 00" + " DE AD BE "),
    (9, "B7"),
    (10, "03" + sp(5) + "00 00 20 00" + sp(7) + "55" + " 66 77 "),
    (11, "0B" + sp(5) + "00 00 30 00" + sp(7) + "88 99 AA BB "),
    (12, "E9"),
    (13, "02" + sp(6) + "00 40 00" + sp(9) + "11 22" + " 33 "),
    (14, "EB" + sp(23) + "00 12 34 5a a5 c3 3c 01 "),
    (15, SEPARATOR),
    (16, "04"),
    (17, "0B" + sp(6) + "00 50 00" + sp(9) + "77"),
]))

# Full trace, translation on: names padded as in the result writer, indent 80.
write("full_translated.txt", text(FULL_ON, 119, [
    (1, name(0x06, 49)),
    (2, name(0x05, 49) + "40"),
    (3, name(0x01, 49) + "40 02"),
    (4, name(0x20, 49) + "12 34 56"),
    (5, name(0x03, 35) + "00 10 00      AA" + " BB CC DD EE FF 11 22 "),
    (6, name(0x0B, 35) + "01 02 03      " + SIXTEEN + "\n" + sp(80) + "10 "),
    (7, name(0x9F, 46) + "EF 40 19 EF 40 "),
    (8, name(0x13, 35) + "01 00 10 00" + " DE AD BE "),
    (9, name(0xB7, 49)),
    (10, name(0x03, 35) + "00 00 20 00   55 " + "66 77 "),
    (11, name(0x0B, 35) + "00 00 30 00   " + "88 99 AA BB "),
    (12, name(0xE9, 49)),
    (13, name(0x02, 35) + "00 40 00      11 22 " + "33 "),
    (14, name(0xEB, 49) + "00 12 34 5a a5 c3 3c 01 "),
    (15, SEPARATOR),
    (16, name(0x04, 49)),
    (17, name(0x0B, 35) + "00 50 00      77 "),
]))

# Result of the filter Write Enable, Normal Read, Fast Read, Page Program, Read ID, range
# 0..0x20000, special command EB: every kept transaction starts a fresh sequence, so T15 is a
# command here. Data column 50, address 33, indent 38 (70 translated).
write("result_plain.txt", text(RESULT_OFF, 87, [
    (1, "06"),
    (5, "03" + sp(5) + "00 10 00" + sp(9) + "AA" + " BB CC DD EE FF 11 22 "),
    (6, "0B" + sp(5) + "01 02 03" + sp(9) + SIXTEEN + "\n" + sp(38) + "10 "),
    (7, "9F" + sp(5) + "EF 40 19" + sp(9) + "EF 40 "),
    (10, "03" + sp(5) + "00 00 20 00" + sp(6) + "55 " + "66 77 "),
    (11, "0B" + sp(5) + "00 00 30 00" + sp(6) + "88 99 AA BB "),
    (13, "02" + sp(5) + "00 40 00" + sp(9) + "11 22 " + "33 "),
    (14, "EB" + sp(22) + "00 12 34 5a a5 c3 3c 01 "),
    (15, "06"),
    (17, "0B" + sp(5) + "00 50 00" + sp(9) + "77 "),
]))
write("result_translated.txt", text(RESULT_ON, 119, [
    (1, name(0x06, 49)),
    (5, name(0x03, 35) + "00 10 00      AA" + " BB CC DD EE FF 11 22 "),
    (6, name(0x0B, 35) + "01 02 03      " + SIXTEEN + "\n" + sp(70) + "10 "),
    (7, name(0x9F, 46) + "EF 40 19 EF 40 "),
    (10, name(0x03, 35) + "00 00 20 00   55 " + "66 77 "),
    (11, name(0x0B, 35) + "00 00 30 00   " + "88 99 AA BB "),
    (13, name(0x02, 35) + "00 40 00      11 22 " + "33 "),
    (14, name(0xEB, 49) + "00 12 34 5a a5 c3 3c 01 "),
    (15, name(0x06, 49)),
    (17, name(0x0B, 35) + "00 50 00      77 "),
]))

# Continuous writer (all ours): opcode 26, address 29, data 40, indent 40; translated: names
# padded to 35 before an address and 46 before data, address 61, data 72, indent 72.
write("continuous_plain.txt", text(CONT_OFF, 87, [
    (1, "06"),
    (2, "05" + sp(12) + "40"),
    (3, "01" + sp(12) + "40 02"),
    (4, "20 12 34 56"),
    (5, "03 00 10 00   AA" + " BB CC DD EE FF 11 22 "),
    (6, "0B 01 02 03   " + SIXTEEN + "\n" + sp(40) + "10 "),
    (7, "9F" + sp(12) + "EF 40 19 EF 40"),
    (8, "13 01 00 10 00" + " DE AD BE "),
    (9, "B7"),
    (10, "03 00 00 20 00 55" + " 66 77 "),
    (11, "0B 00 00 30 00 " + "88 99 AA BB "),
    (12, "E9"),
    (13, "02 00 40 00   11 22" + " 33 "),
    (14, "EB" + sp(12) + "00 12 34 5a a5 c3 3c 01 "),
    (15, SEPARATOR),
    (16, "04"),
    (17, "0B 00 50 00   77"),
]))
write("continuous_translated.txt", text(CONT_ON, 119, [
    (1, name(0x06, 46)),
    (2, name(0x05, 46) + "40"),
    (3, name(0x01, 46) + "40 02"),
    (4, name(0x20, 35) + "12 34 56"),
    (5, name(0x03, 35) + "00 10 00   AA" + " BB CC DD EE FF 11 22 "),
    (6, name(0x0B, 35) + "01 02 03   " + SIXTEEN + "\n" + sp(72) + "10 "),
    (7, name(0x9F, 46) + "EF 40 19 EF 40"),
    (8, name(0x13, 35) + "01 00 10 00" + " DE AD BE "),
    (9, name(0xB7, 46)),
    (10, name(0x03, 35) + "00 00 20 00 55" + " 66 77 "),
    (11, name(0x0B, 35) + "00 00 30 00 " + "88 99 AA BB "),
    (12, name(0xE9, 46)),
    (13, name(0x02, 35) + "00 40 00   11 22" + " 33 "),
    (14, name(0xEB, 46) + "00 12 34 5a a5 c3 3c 01 "),
    (15, SEPARATOR),
    (16, name(0x04, 46)),
    (17, name(0x0B, 35) + "00 50 00   77"),
]))
