#!/usr/bin/env python3
"""Writes a reproducible tree of small files for the walk benchmarks.

usage: gen_tree.py DEST [FILES] [FOLDERS]   (defaults: 1,000,000 files in 11,000 folders)

Folders nest up to four levels; file sizes (0 to 8 KiB) come from a fixed seed, so two runs
give the same tree. An existing DEST with a matching marker is left as it is.
"""
import os
import random
import sys

dest = sys.argv[1]
files = int(sys.argv[2]) if len(sys.argv) > 2 else 1_000_000
folders = int(sys.argv[3]) if len(sys.argv) > 3 else 11_000
marker = os.path.join(dest, ".generated-%d-%d" % (files, folders))
if os.path.exists(marker):
    sys.exit(0)

rng = random.Random(20261210)
os.makedirs(dest, exist_ok=True)
dirs = [dest]
for i in range(folders):
    parent = dirs[rng.randrange(len(dirs))] if len(dirs) < 50 or rng.random() < 0.7 else dest
    if parent.count(os.sep) - dest.count(os.sep) >= 4:
        parent = dest
    d = os.path.join(parent, "d%05d" % i)
    os.makedirs(d, exist_ok=True)
    dirs.append(d)

blob = b"x" * 8192
for i in range(files):
    d = dirs[i % len(dirs)]
    size = rng.choice((0, 100, 700, 1500, 4096, 5000, 8192))
    with open(os.path.join(d, "f%07d" % i), "wb") as f:
        f.write(blob[:size])

open(marker, "w").close()
