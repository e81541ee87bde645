#!/usr/bin/env python3
"""Writes the seed files of fuzz_title_reader into seeds/title_reader/ beside this script."""
import os
import struct

def chunk(tag, body):
    return tag + struct.pack(">I", len(body)) + body

def varlen(n):
    out = bytes([n & 0x7F])
    n >>= 7
    while n:
        out = bytes([0x80 | (n & 0x7F)]) + out
        n >>= 7
    return out

def meta(kind, data):
    return b"\x00\xFF" + bytes([kind]) + varlen(len(data)) + data

def track(events):
    return chunk(b"MTrk", events + b"\x00\xFF\x2F\x00")

def header(body=b"\x00\x01\x00\x01\x00\x60"):
    return chunk(b"MThd", body)

NOTE = b"\x00\x90\x3C\x40\x60\x80\x3C\x40"
TEMPO = meta(0x51, b"\x07\xA1\x20")

SEEDS = {
    "hello.mid": header() + track(meta(3, b"Hello") + NOTE),
    "tempo_then_name.mid": header() + track(TEMPO + meta(1, b"text") + meta(3, b"Song") + NOTE),
    "long_name.mid": header() + track(meta(3, b"L" * 144)),
    "shift_jis_name.mid": header() + track(meta(3, b"\x83\x5C\x83\x93\x83\x4F")),
    "no_title.mid": header() + track(NOTE + meta(3, b"Late")),
    "second_track.mid": header(b"\x00\x01\x00\x02\x00\x60") + track(TEMPO) + track(meta(3, b"Two")),
    "long_header.mid": header(b"\x00" * 600) + track(meta(3, b"Hdr")),
}

folder = os.path.join(os.path.dirname(os.path.abspath(__file__)), "seeds", "title_reader")
os.makedirs(folder, exist_ok=True)
for name, data in SEEDS.items():
    with open(os.path.join(folder, name), "wb") as f:
        f.write(data)
