#!/usr/bin/env python3
"""Writes every encoding of the MessagePack test suite as one binary seed file.

usage: message_pack_seeds.py SUITE_JSON OUTDIR"""
import json
import os
import sys

suite_path, out_dir = sys.argv[1], sys.argv[2]
os.makedirs(out_dir, exist_ok=True)
with open(suite_path, encoding="utf-8") as f:
    suite = json.load(f)
count = 0
for group, cases in sorted(suite.items()):
    for case in cases:
        for hex_text in case["msgpack"]:
            data = bytes.fromhex(hex_text.replace("-", ""))
            with open(os.path.join(out_dir, "seed_%04d" % count), "wb") as out:
                out.write(data)
            count += 1
open(os.path.join(out_dir, ".complete"), "w").close()
