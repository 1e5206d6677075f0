#!/usr/bin/env python3
"""Writes reproducible trees for the duplicate-file benchmarks.

usage: gen_dups.py DEST mixed      a few hundred 1-9 MB files, a hundred of them copied, same-size
                                   pairs that differ only in the last byte, files with long runs of
                                   zeros each beside a sparse copy (same bytes, fewer blocks),
                                   50,000 small files
       gen_dups.py DEST distinct   1,500 files of 1.0-2.5 MB, every size different, no duplicates

Contents come from a fixed seed, so two runs give the same tree. An existing DEST with a matching
marker is left as it is.
"""
import os
import random
import sys

dest, kind = sys.argv[1], sys.argv[2]
marker = os.path.join(dest, ".generated-%s-2" % kind)
if os.path.exists(marker):
    sys.exit(0)

rng = random.Random(8_2026_12_10)
pool = rng.randbytes(9_600_000)


def content(index, size):
    """Bytes unique to `index`: a header with the index, then a slice of the pool."""
    head = b"%016d" % index
    start = (index * 7919) % (len(pool) - size) if size < len(pool) else 0
    return (head + pool[start:start + size - len(head)])[:size]


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


os.makedirs(dest, exist_ok=True)
if kind == "mixed":
    originals = []
    for i in range(300):
        size = rng.randrange(1_000_000, 9_000_000)
        path = os.path.join(dest, "big", "g%02d" % (i % 30), "file%03d.bin" % i)
        write(path, content(i, size))
        originals.append(path)
    for n, i in enumerate(rng.sample(range(300), 100)):
        with open(originals[i], "rb") as f:
            data = f.read()
        write(os.path.join(dest, "copies", "c%02d" % (n % 10), "copy%03d.bin" % n), data)
    for i in range(40):
        size = rng.randrange(1_000_000, 9_000_000)
        data = content(1000 + i, size)
        write(os.path.join(dest, "pairs", "p%02d_a.bin" % i), data[:-1] + b"\x01")
        write(os.path.join(dest, "pairs", "p%02d_b.bin" % i), data[:-1] + b"\x02")
    for i in range(12):
        # Data, then a run of zeros, then data: written densely, and again with a hole for the
        # zeros. Identical bytes; the copy allocates fewer blocks.
        head, zeros, tail = rng.randrange(100_000, 900_000), rng.randrange(1_048_576, 4_194_304), 300_000
        data = content(2000 + i, head + tail)
        path = os.path.join(dest, "sparse", "s%02d" % i)
        write(path + "_dense.bin", data[:head] + bytes(zeros) + data[head:])
        with open(path + "_holes.bin", "wb") as f:
            f.write(data[:head])
            f.seek(head + zeros)
            f.write(data[head:])
    small = []
    for i in range(50_000):
        path = os.path.join(dest, "small", "s%03d" % (i % 500), "f%05d.dat" % i)
        if small and i % 20 == 0:
            with open(small[rng.randrange(len(small))], "rb") as f:
                data = f.read()
        else:
            data = content(10_000 + i, rng.randrange(100, 16_384))
            small.append(path)
        write(path, data)
elif kind == "distinct":
    sizes = rng.sample(range(1_000_000, 2_500_000), 1500)
    for i, size in enumerate(sizes):
        write(os.path.join(dest, "d%02d" % (i % 40), "file%04d.bin" % i), content(i, size))
else:
    sys.exit("kind must be mixed or distinct")

open(marker, "w").close()
