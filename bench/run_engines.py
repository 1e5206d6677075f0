#!/usr/bin/env python3
"""Times the Disk Map and duplicate-file engines beside the tools users would otherwise pick.

usage: bench/run_engines.py [--bench PATH/TO/dustlet-bench] [--work DIR] [--runs N] [--only B1,B3,B4]

Installs the peer tools from Debian when they are missing (ncdu, gdu, jdupes, rdfind, fdupes),
generates the trees (bench/gen_tree.py, bench/gen_dups.py) under --work, warms the cache with one
untimed run of every command, then takes the median wall time of --runs runs and the peak memory
of each. Every benchmark checks its own answer: byte totals against st_blocks * 512 of the files,
duplicate sets against jdupes. Exits with status 1 when an answer is wrong.

B1  walk of a 1,000,000-file tree: dustlet-bench diskmap (and size, when that subcommand exists)
    against du -s, ncdu -0 -o /dev/null and gdu -n. Goal: 1.5x faster than gdu, below 150 MB.
B3  mixed duplicates: dustlet-bench dups against jdupes -r -q -m, rdfind and fdupes -r -q -m.
    Goal: faster than jdupes, the same duplicate sets (of files of at least 1,000,000 bytes).
B4  1,500 distinct files of 1.0-2.5 MB: goal within 2x of jdupes, no file content read.
"""
import argparse
import os
import re
import shutil
import stat
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
PEERS = {"ncdu": "ncdu", "gdu": "gdu", "jdupes": "jdupes", "rdfind": "rdfind", "fdupes": "fdupes",
         "/usr/bin/time": "time"}
failures = []


def ensure_peers():
    missing = [pkg for tool, pkg in PEERS.items() if shutil.which(tool) is None]
    if not missing:
        return
    sudo = [] if os.geteuid() == 0 else ["sudo"]
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    subprocess.run(sudo + ["apt-get", "update"], check=True, env=env)
    subprocess.run(sudo + ["apt-get", "install", "-y", "--no-install-recommends"] + missing, check=True, env=env)


def run_once(cmd):
    """(seconds, peak RSS in KB, stdout, exit status) of one run. The peak memory comes from
    /usr/bin/time, a small process, so that this interpreter's own pages do not count."""
    with tempfile.NamedTemporaryFile("r", suffix=".rss") as rss:
        start = time.perf_counter()
        p = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", rss.name] + cmd, stdout=subprocess.PIPE,
                           stderr=subprocess.DEVNULL, cwd=tempfile.gettempdir())
        seconds = time.perf_counter() - start
        lines = [l for l in rss.read().splitlines() if l.strip().isdigit()]
    return seconds, int(lines[-1]) if lines else 0, p.stdout.decode("utf-8", "replace"), p.returncode


def timed(name, cmd, runs):
    run_once(cmd)  # warm the cache
    results = [run_once(cmd) for _ in range(runs)]
    seconds = statistics.median(r[0] for r in results)
    rss = max(r[1] for r in results)
    return {"name": name, "seconds": seconds, "rss_kb": rss, "out": results[-1][2], "rc": results[-1][3]}


def report(title, rows, reference, goal=None):
    print("\n" + title)
    ref = next(r for r in rows if r["name"] == reference)
    for r in rows:
        ratio = r["seconds"] / ref["seconds"] if ref["seconds"] > 0 else float("nan")
        print("  %-34s %8.3f s  %8.1f MB  %6.2fx of %s" % (r["name"], r["seconds"], r["rss_kb"] / 1024, ratio, reference))
    if goal:
        print("  " + goal)


def check(ok, what):
    print("  check: %s — %s" % (what, "ok" if ok else "WRONG"))
    if not ok:
        failures.append(what)


def allocated_total(root, include_hidden, regular_only=False):
    """Sum of st_blocks * 512 of every non-folder (or every regular file) below root, links not
    followed."""
    total = 0
    stack = [root]
    while stack:
        d = stack.pop()
        try:
            with os.scandir(d) as it:
                for e in it:
                    if not include_hidden and e.name.startswith("."):
                        continue
                    st = e.stat(follow_symlinks=False)
                    if e.is_dir(follow_symlinks=False):
                        stack.append(e.path)
                    elif not regular_only or stat.S_ISREG(st.st_mode):
                        total += st.st_blocks * 512
        except OSError:
            pass
    return total


def value(out, key):
    m = re.search(r"\b%s[= ](-?\d+)" % key, out)
    return int(m.group(1)) if m else None


def has_subcommand(bench, name):
    p = subprocess.run([bench], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    return re.search(r"^\s+%s\b" % name, p.stderr.decode(), re.M) is not None


def jdupes_sets(root, minimum):
    out = subprocess.run(["jdupes", "-r", "-q", root], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=True).stdout.decode()
    sets = set()
    for block in out.strip().split("\n\n"):
        files = [line for line in block.splitlines() if line.strip()]
        if len(files) >= 2 and os.path.getsize(files[0]) >= minimum:
            sets.add(frozenset(files))
    return sets


def our_sets(bench, root):
    with tempfile.NamedTemporaryFile("r", suffix=".groups") as f:
        subprocess.run([bench, "dups", root, "--groups", f.name], stdout=subprocess.DEVNULL, check=True)
        return {frozenset(line.rstrip("\n").split("\t")) for line in f if line.strip()}


def b1(bench, work, runs):
    tree = os.path.join(work, "tree1m")
    subprocess.run([sys.executable, os.path.join(HERE, "gen_tree.py"), tree], check=True)
    rows = [timed("dustlet-bench diskmap", [bench, "diskmap", tree, "--no-count"], runs)]
    size_present = has_subcommand(bench, "size")
    if size_present:
        rows.append(timed("dustlet-bench size", [bench, "size", tree], runs))
    else:
        print("\n(dustlet-bench has no size subcommand yet: skipped)")
    rows += [
        timed("du -s", ["du", "-s", tree], runs),
        timed("ncdu -0 -o /dev/null", ["ncdu", "-0", "-o", "/dev/null", tree], runs),
        timed("gdu -n", ["gdu", "-n", "-p", tree], runs),
    ]
    report("B1 walk of a 1,000,000-file tree (warm cache, median of %d)" % runs, rows, "gdu -n",
           "goal: diskmap at least 1.5x faster than gdu -n (ratio <= 0.67), peak memory below 150 MB")
    dm = rows[0]
    expected = allocated_total(tree, include_hidden=False)
    check(value(dm["out"], "bytes") == expected, "diskmap bytes %s == st_blocks*512 of the visible files %d"
          % (value(dm["out"], "bytes"), expected))
    gdu = next(r for r in rows if r["name"] == "gdu -n")
    print("  diskmap speed-up over gdu -n: %.2fx; peak memory %.1f MB"
          % (gdu["seconds"] / dm["seconds"], dm["rss_kb"] / 1024))
    if size_present:
        sz = rows[1]
        got = value(sz["out"], "bytes")
        if got is None:
            m = re.search(r"(\d+)", sz["out"])
            got = int(m.group(1)) if m else None
        everything = allocated_total(tree, include_hidden=True, regular_only=True)
        check(got == everything, "size bytes %s == st_blocks*512 of all regular files %d" % (got, everything))


def dup_bench(title, kind, bench, work, runs, goal, distinct):
    tree = os.path.join(work, kind)
    subprocess.run([sys.executable, os.path.join(HERE, "gen_dups.py"), tree, kind], check=True)
    rdfind_out = os.path.join(tempfile.gettempdir(), "dustlet-rdfind-results.txt")
    rows = [
        timed("dustlet-bench dups", [bench, "dups", tree], runs),
        timed("jdupes -r -q -m", ["jdupes", "-r", "-q", "-m", tree], runs),
        timed("rdfind -dryrun true", ["rdfind", "-dryrun", "true", "-outputname", rdfind_out, tree], runs),
        timed("fdupes -r -q -m", ["fdupes", "-r", "-q", "-m", tree], runs),
    ]
    report(title + " (warm cache, median of %d)" % runs, rows, "jdupes -r -q -m", goal)
    ours = our_sets(bench, tree)
    theirs = jdupes_sets(tree, 1_000_000)
    check(ours == theirs, "duplicate sets equal jdupes' sets of files >= 1,000,000 bytes (%d vs %d sets)"
          % (len(ours), len(theirs)))
    if distinct:
        read = value(rows[0]["out"], "read_bytes")
        check(read is not None and read < 1_000_000, "no file content read (%s bytes read in all)" % read)
    jd = rows[1]
    print("  dups time / jdupes time: %.2f" % (rows[0]["seconds"] / jd["seconds"]))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--bench", default=os.path.join(ROOT, "build", "default", "bench", "dustlet-bench"))
    ap.add_argument("--work", default=os.path.join(tempfile.gettempdir(), "dustlet-bench"))
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--only", default="B1,B3,B4")
    args = ap.parse_args()
    if not os.access(args.bench, os.X_OK):
        sys.exit("no %s: build first (cmake --preset default && cmake --build --preset default)" % args.bench)
    ensure_peers()
    os.makedirs(args.work, exist_ok=True)
    only = set(args.only.split(","))
    if "B1" in only:
        b1(args.bench, args.work, args.runs)
    if "B3" in only:
        dup_bench("B3 mixed duplicates", "mixed", args.bench, args.work, args.runs,
                  "goal: faster than jdupes (ratio < 1), the same duplicate sets", False)
    if "B4" in only:
        dup_bench("B4 1,500 distinct files of 1.0-2.5 MB", "distinct", args.bench, args.work, args.runs,
                  "goal: within 2x of jdupes (ratio <= 2), no file content read", True)
    if failures:
        print("\nWRONG ANSWERS: " + "; ".join(failures))
        sys.exit(1)


if __name__ == "__main__":
    main()
