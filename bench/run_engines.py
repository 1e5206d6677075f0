#!/usr/bin/env python3
"""Times the walking, sizing and duplicate-file engines beside the tools users would otherwise pick.

usage: bench/run_engines.py [--bench PATH/TO/dustlet-bench] [--work DIR] [--runs N]
                            [--only B1,B1-size,B-panel,B2,B3,B4,B5] [--cold] [--cold-runs N]
                            [--live-runs N] [--before PATH/TO/OLD/dustlet-bench]

One command for every benchmark: installs the peer tools from Debian when they are missing (du,
gdu, ncdu, jdupes, rdfind, fdupes), makes the trees under --work (bench/gen_tree.py,
bench/gen_dups.py, and a copy of the system's /usr as a real tree; without --work in a new
temporary folder, removed at the end), then runs each benchmark as paired rounds: every round runs
each command once, in turn, so that a change in the machine's load hits all of them alike. It prints the median time of each command, the median of the
per-round ratios against the peer the goal names, whether the goal is met, and the load of the
machine while it ran (a figure taken under load says so). Every benchmark checks its answer; the
script exits with status 1 when an answer is wrong.

The limit a walk can reach on this machine is `dustlet-bench plainwalk` (bench/cmd_plainwalk.cpp):
N threads that only getdents and fstatat, with no records, order or hand-offs; "the plain walk"
below is the faster of it at 8 and at 32 threads in each round.

B1       Disk Map walk (dustlet-bench diskmap) of the 1,000,000-file tree and of the /usr copy
         against du -s, ncdu, gdu -n and the plain walk. Goals: on the 1,000,000-file tree 2.5x
         faster than gdu -n; on both trees within 1.2x of the plain walk. With --cold also cold
         (page cache dropped before every run) against gdu -n and the plain walk: 1.5x faster
         than gdu -n on both trees. Then the walk at --threads 1, 2, 4, 8 and 16 on the
         1,000,000-file tree (goal: 8 threads 1.6x faster than 2) and its peak memory per file
         (goal: at most 48 bytes, the whole process counted). Bytes must equal st_blocks * 512 of
         the visible non-folder entries, each inode once.
B1-size  Scanner::directorySize (dustlet-bench size) on the 1,000,000-file tree and on the /usr
         copy against du -s and gdu -n. Goal: 4x faster than du -s and 1.5x faster than gdu -n;
         with --cold also cold, against gdu -n and the plain walk: 1.5x faster than gdu -n.
         Bytes must equal st_blocks * 512 of the regular files, each inode once.
B-panel  AppModel::scanAll sizing every target of a fresh home with the 1,000,000-file tree as one
         target and 20 small ones (dustlet-bench panel), against dustlet-bench size on the tree
         alone. Goal: the last size within 1.3x of the walk alone.
B2       The Disk Map window filling in while it scans (dustlet-bench diskmap-live, --live-runs
         rounds, default 9), on 100,000 and 1,000,000 files in one folder and on the
         1,000,000-file tree, every round listed. Goals on each: the main thread never late by
         more than 50 ms in any round, the finished map on screen within 1.5x of the bare
         engine's time in every round, and the window's peak memory at most 1.5x the bare
         engine's (also shown less what each program takes before it scans). --before runs an
         earlier build beside this one, round by round, for figures side by side.
B3       Mixed duplicates (generated; sparse copies included): dustlet-bench dups against
         jdupes -r -q -m (rdfind, fdupes for comparison). Goal: 5x faster than jdupes, the same
         duplicate sets among files of at least 1,000,000 bytes.
B4       1,500 distinct files of 1.0-2.5 MB: whole-process time against jdupes -r -q -m. Goal:
         within 1.5x of jdupes, no file content read.
B5       The /usr copy (sparse copies added): dustlet-bench dups against
         jdupes -r -q -m -X size+=:1000000. Goal: 3x faster, the same duplicate sets.

--cold drops the page cache (echo 3 > /proc/sys/vm/drop_caches, as root) before every timed run
of B1 and B1-size and reports those as cold figures as well.

To run one benchmark on trees kept between runs: bench/run_engines.py --work DIR --only B1 --cold
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
PEERS = {"ncdu": "ncdu", "gdu": "gdu", "jdupes": "jdupes", "rdfind": "rdfind", "fdupes": "fdupes"}
MINIMUM = 1_000_000
failures = []
missed = []


def ensure_peers():
    missing = [pkg for tool, pkg in PEERS.items() if shutil.which(tool) is None]
    if not missing:
        return
    sudo = [] if os.geteuid() == 0 else ["sudo"]
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    if subprocess.run(sudo + ["apt-get", "install", "-y", "--no-install-recommends"] + missing, env=env).returncode:
        subprocess.run(sudo + ["apt-get", "update"], check=True, env=env)
        subprocess.run(sudo + ["apt-get", "install", "-y", "--no-install-recommends"] + missing, check=True, env=env)


def load():
    return "load average %.1f %.1f %.1f on %d cores" % (os.getloadavg() + (os.cpu_count(),))


def under_load():
    return os.getloadavg()[0] > 0.5 * os.cpu_count()


def drop_caches():
    """True when the page cache could be dropped."""
    try:
        subprocess.run(["sync"], check=True)
        with open("/proc/sys/vm/drop_caches", "w") as f:
            f.write("3\n")
        return True
    except OSError:
        return False


def run_once(cmd, cold=False):
    """(seconds, peak RSS in KB or 0, stdout, exit status) of one run of the whole process, with
    no wrapper process timed along. The peak memory is what dustlet-bench reports of itself (the
    child's resource usage would count this interpreter's pages from before the exec)."""
    if cold:
        drop_caches()
    start = time.perf_counter()
    p = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, cwd=tempfile.gettempdir())
    seconds = time.perf_counter() - start
    out = p.stdout.decode("utf-8", "replace")
    rss = value(out, "maxrss_kb") or value(out, "max_rss_kb") or 0
    return seconds, rss, out, p.returncode


def paired(commands, runs, cold=False):
    """Runs every (name, cmd) once per round, rotating the order, after one untimed warm-up run
    each (none when cold). Returns {name: {"times": [...], "outs": [...], "rss_kb", "out", "rc"}}."""
    if not cold:
        for _, cmd in commands:
            run_once(cmd)
    results = {name: {"times": [], "outs": [], "rss_kb": 0, "out": "", "rc": 0} for name, _ in commands}
    for r in range(runs):
        order = commands[r % len(commands):] + commands[:r % len(commands)]
        for name, cmd in order:
            seconds, rss, out, rc = run_once(cmd, cold)
            res = results[name]
            res["times"].append(seconds)
            res["outs"].append(out)
            res["rss_kb"] = max(res["rss_kb"], rss)
            res["out"], res["rc"] = out, rc
    return results


def value(out, key):
    m = re.search(r"\b%s[= ](-?[\d.]+)" % key, out)
    return float(m.group(1)) if m else None


def report(title, results, ours, goals, inner=None):
    """Prints the table and the goals. `goals` is a list of (peer, factor, text): no goal, only the
    ratio, when factor is None; else met when the
    median over rounds of time(peer) / time(ours) is at least `factor` (or, when factor < 0, when
    time(ours) / time(peer) is at most -factor). `inner`, when given, names the key of the
    figure each command prints itself, used in place of the process's wall time."""
    def times(name):
        return [value(o, inner) for o in results[name]["outs"]] if inner else results[name]["times"]

    print("\n%s\n  (%s%s)" % (title, load(), "; TAKEN UNDER LOAD" if under_load() else ""))
    mine = times(ours)
    for name, res in results.items():
        t = times(name)
        peak = "  peak %7.1f MB" % (res["rss_kb"] / 1024) if res["rss_kb"] else ""
        print("  %-40s median %8.3f s  (%s)%s" % (name, statistics.median(t), " ".join("%.3f" % x for x in t), peak))
    for peer, factor, text in goals:
        theirs = times(peer)
        if factor is None:
            ratio = statistics.median(o / p for p, o in zip(theirs, mine))
            print("  %s: %.2fx the time of %s (median of paired ratios; no goal)" % (ours, ratio, peer))
            continue
        if factor >= 0:
            ratio = statistics.median(p / o for p, o in zip(theirs, mine))
            ok = ratio >= factor
            print("  %s: %.2fx faster than %s (median of paired ratios) — goal %s" % (ours, ratio, peer,
                  "met" if ok else "MISSED") + " [%s]" % text)
        else:
            ratio = statistics.median(o / p for p, o in zip(theirs, mine))
            ok = ratio <= -factor
            print("  %s: %.2fx the time of %s (median of paired ratios) — goal %s" % (ours, ratio, peer,
                  "met" if ok else "MISSED") + " [%s]" % text)
        if not ok:
            missed.append("%s: %s" % (title, text))


def check(ok, what):
    print("  check: %s — %s" % (what, "ok" if ok else "WRONG"))
    if not ok:
        failures.append(what)


def entries(root, include_hidden):
    """(path, lstat) of every entry below root that is no folder, links not followed, one file
    system."""
    root_dev = os.lstat(root).st_dev
    stack = [root]
    while stack:
        d = stack.pop()
        try:
            with os.scandir(d) as it:
                for e in it:
                    if not include_hidden and e.name.startswith("."):
                        continue
                    st = e.stat(follow_symlinks=False)
                    if stat.S_ISDIR(st.st_mode):
                        if st.st_dev == root_dev:
                            stack.append(e.path)
                        continue
                    yield e.path, st
        except OSError:
            pass


def allocated_total(root, include_hidden, regular_only):
    """Sum of st_blocks * 512 below root of every non-folder entry (or every regular file), links
    not followed, one file system, each inode counted once."""
    total = 0
    seen = set()
    for _, st in entries(root, include_hidden):
        if regular_only and not stat.S_ISREG(st.st_mode):
            continue
        if st.st_nlink > 1:
            if (st.st_dev, st.st_ino) in seen:
                continue
            seen.add((st.st_dev, st.st_ino))
        total += st.st_blocks * 512
    return total


def has_subcommand(bench, name):
    p = subprocess.run([bench], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    return re.search(r"^\s+%s\b" % name, p.stderr.decode(), re.M) is not None


# ---- trees

def tree_1m(work):
    tree = os.path.join(work, "tree1m")
    subprocess.run([sys.executable, os.path.join(HERE, "gen_tree.py"), tree], check=True)
    return tree


def usr_bytes():
    out = subprocess.run(["du", "-s", "-x", "-B1", "/usr"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
    return int(out.split()[0]) if out.strip() else 0


def tree_usr(work):
    """A copy of the system's /usr (hard links and holes kept), with sparse copies added. When the
    work folder's file system has no room for a full copy but holds /usr as well, the copy is made
    of hard links (cp -al): the same folders, names, sizes and contents, though every file then
    has a second link, so each walker looks up every file in its set of linked inodes."""
    tree = os.path.join(work, "usr")
    for mode in ("full", "links"):
        if os.path.exists(os.path.join(tree, ".copied-usr-%s" % mode)):
            print("the /usr copy in %s is a %s copy" % (tree, "hard-link" if mode == "links" else "full"))
            return tree
    if os.path.exists(tree):
        shutil.rmtree(tree)
    free = shutil.disk_usage(work).free
    needed = usr_bytes() + 4 * 1024 ** 3  # room left for everybody else
    links = free < needed and os.stat(work).st_dev == os.stat("/usr").st_dev
    if free < needed and not links:
        sys.exit("no room for a copy of /usr in %s (%.1f GB free, %.1f GB needed)" % (work, free / 1e9, needed / 1e9))
    mode = "links" if links else "full"
    print("copying /usr to %s (%s) …" % (tree, "hard links: %.1f GB free is too little for a full copy" % (free / 1e9)
                                         if links else "full copy"), flush=True)
    subprocess.run(["cp", "-al" if links else "-a", "--one-file-system", "/usr", tree], check=True)
    marker = os.path.join(tree, ".copied-usr-%s" % mode)
    extra = os.path.join(tree, "dustlet-sparse")
    os.makedirs(extra, exist_ok=True)
    blob = os.urandom(600_000)
    for i in range(4):
        zeros = 1_500_000 + i * 262_144
        with open(os.path.join(extra, "f%d_dense.bin" % i), "wb") as f:
            f.write(blob[:300_000 + i] + bytes(zeros) + blob[300_000:])
        with open(os.path.join(extra, "f%d_holes.bin" % i), "wb") as f:
            f.write(blob[:300_000 + i])
            f.seek(300_000 + i + zeros)
            f.write(blob[300_000:])
    open(marker, "w").close()
    return tree


def tree_flat(work, files):
    """`files` small files in one folder."""
    tree = os.path.join(work, "flat%d" % files)
    subprocess.run([sys.executable, os.path.join(HERE, "gen_tree.py"), tree, str(files), "0"], check=True)
    return tree


def tree_dups(work, kind):
    tree = os.path.join(work, kind)
    subprocess.run([sys.executable, os.path.join(HERE, "gen_dups.py"), tree, kind], check=True)
    return tree


# ---- duplicate sets

def inode_sets(sets, root):
    """Each set as the files of at least MINIMUM bytes it names, keyed by (device, inode),
    leaving out links and hidden items (which the scan does not walk); sets of fewer than two."""
    out = set()
    for files in sets:
        keys = set()
        for p in files:
            rel = os.path.relpath(p, root)
            if any(part.startswith(".") for part in rel.split(os.sep)):
                continue
            try:
                st = os.lstat(p)
            except OSError:
                continue
            if stat.S_ISREG(st.st_mode) and st.st_size >= MINIMUM:
                keys.add((st.st_dev, st.st_ino))
        if len(keys) >= 2:
            out.add(frozenset(keys))
    return out


def jdupes_sets(root, args):
    out = subprocess.run(["jdupes", "-r", "-q"] + args + [root], stdout=subprocess.PIPE,
                         stderr=subprocess.DEVNULL).stdout
    sets = []
    for block in out.split(b"\n\n"):
        files = [os.fsdecode(line) for line in block.split(b"\n") if line.strip()]
        if len(files) >= 2:
            sets.append(files)
    return inode_sets(sets, root)


def our_sets(bench, root):
    with tempfile.NamedTemporaryFile("rb", suffix=".groups") as f:
        subprocess.run([bench, "dups", root, "--groups", f.name], stdout=subprocess.DEVNULL, check=True)
        sets = [[os.fsdecode(p) for p in line.rstrip(b"\n").split(b"\t")] for line in f if line.strip()]
    return inode_sets(sets, root)


# ---- benchmarks

def plain_walks(bench, tree, extra=()):
    return [("plainwalk --threads %d" % n, [bench, "plainwalk", tree, "--threads", str(n)] + list(extra))
            for n in (8, 32)]


PLAIN = "plain walk (faster of 8, 32 threads)"


def add_plain(res):
    """The plain walk's limit in each round: the faster of its runs at 8 and 32 threads."""
    a, b = res["plainwalk --threads 8"]["times"], res["plainwalk --threads 32"]["times"]
    res[PLAIN] = {"times": [min(x, y) for x, y in zip(a, b)], "outs": [], "rss_kb": 0, "out": "", "rc": 0}


def b1(bench, tree, label, runs, cold, gdu_goal):
    commands = [("dustlet-bench diskmap", [bench, "diskmap", tree, "--no-count"])]
    if not cold:
        commands += [("du -s", ["du", "-s", tree]), ("ncdu -0 -o /dev/null", ["ncdu", "-0", "-o", "/dev/null", tree])]
    commands += [("gdu -n", ["gdu", "-n", "-p", tree])] + plain_walks(bench, tree)
    title = "B1 Disk Map walk of %s (%s cache, %d paired rounds)" % (label, "cold" if cold else "warm", runs)
    res = paired(commands, runs, cold)
    add_plain(res)
    goals = []
    if gdu_goal:
        goals.append(("gdu -n", gdu_goal, "%gx faster than gdu -n" % gdu_goal))
    if not cold:
        goals.append((PLAIN, -1.2, "within 1.2x of the plain walk"))
    else:
        goals.append((PLAIN, None, ""))
    report(title, res, "dustlet-bench diskmap", goals)
    dm = res["dustlet-bench diskmap"]
    expected = allocated_total(tree, include_hidden=False, regular_only=False)
    got = value(dm["out"], "bytes")
    check(got == expected, "diskmap bytes %s == st_blocks*512 of the visible entries, each inode once, %d" % (got, expected))
    plain = value(res["plainwalk --threads 8"]["out"], "bytes")
    check(plain == expected, "plain walk bytes %s == %d" % (plain, expected))
    return dm


def count_files(tree):
    return sum(1 for _ in entries(tree, include_hidden=False))


def b1_threads(bench, tree, runs):
    widths = (1, 2, 4, 8, 16)
    commands = [("dustlet-bench diskmap --threads %d" % n, [bench, "diskmap", tree, "--no-count", "--threads", str(n)])
                for n in widths]
    res = paired(commands, runs)
    report("B1 Disk Map walk of the 1,000,000-file tree by width (warm cache, %d paired rounds)" % runs, res,
           "dustlet-bench diskmap --threads 8",
           [("dustlet-bench diskmap --threads 2", 1.6, "8 threads 1.6x faster than 2")])
    base = res["dustlet-bench diskmap --threads 1"]["times"]
    for n in widths[1:]:
        t = res["dustlet-bench diskmap --threads %d" % n]["times"]
        print("  --threads %-2d %.2fx the speed of --threads 1" % (n, statistics.median(b / x for b, x in zip(base, t))))


def b1_memory(bench, tree, dm, work):
    files = count_files(tree)
    empty = os.path.join(work, "empty")
    os.makedirs(empty, exist_ok=True)
    base_kb = value(subprocess.run([bench, "diskmap", empty], stdout=subprocess.PIPE).stdout.decode(), "maxrss_kb") or 0
    peak = dm["rss_kb"] * 1024
    per_file = peak / files
    ok = per_file <= 48
    print("  peak memory %.1f MB for %d files: %.1f bytes per file — goal (at most 48) %s; %.1f bytes per file "
          "beyond the %.1f MB the program takes before it scans" % (peak / 1e6, files, per_file, "met" if ok else "MISSED",
                                                                   (peak - base_kb * 1024) / files, base_kb * 1024 / 1e6))
    if not ok:
        missed.append("B1 memory per file")


def b1_size(bench, tree, label, runs, cold):
    commands = [("dustlet-bench size", [bench, "size", tree])]
    if not cold:
        commands += [("du -s", ["du", "-s", tree])]
    commands += [("gdu -n", ["gdu", "-n", "-p", tree])]
    if cold:
        commands += plain_walks(bench, tree, ("--hidden", "--regular"))
    title = "B1-size folder size of %s (%s cache, %d paired rounds)" % (label, "cold" if cold else "warm", runs)
    res = paired(commands, runs, cold)
    goals = [("gdu -n", 1.5, "1.5x faster than gdu -n")]
    if cold:
        add_plain(res)
        goals.append((PLAIN, None, ""))
    else:
        goals.insert(0, ("du -s", 4.0, "4x faster than du -s"))
    report(title, res, "dustlet-bench size", goals)
    expected = allocated_total(tree, include_hidden=True, regular_only=True)
    got = value(res["dustlet-bench size"]["out"], "bytes")
    check(got == expected, "size bytes %s == st_blocks*512 of the regular files, each inode once, %d" % (got, expected))
    return expected


def live_runs(bench, tree, runs, extra):
    """`runs` runs of diskmap-live on `tree`; each its figures as a dict."""
    out = []
    for _ in range(runs):
        p = subprocess.run([bench, "diskmap-live", tree] + extra, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                           cwd=tempfile.gettempdir())
        text = p.stdout.decode("utf-8", "replace")
        figures = {}
        for line in text.splitlines():
            parts = line.split()
            if len(parts) >= 2:
                try:
                    figures[parts[0]] = float(parts[1])
                except ValueError:
                    pass
        figures["rc"] = p.returncode
        out.append(figures)
    return out


def b2(bench, work, tree, runs, before=None):
    """B2 on the two flat folders and the tree; with `before` (an earlier build's dustlet-bench)
    that build too, its rounds taken in turn with this build's so that both see the same load."""
    print("\nB2 the Disk Map window filling in while it scans (%d rounds each)\n  (%s%s)"
          % (runs, load(), "; TAKEN UNDER LOAD" if under_load() else ""))
    trees = [("100,000 files in one folder", tree_flat(work, 100_000)),
             ("1,000,000 files in one folder", tree_flat(work, 1_000_000)),
             ("the 1,000,000-file tree", tree)]
    builds = [("this build", bench)] + ([("before", before)] if before else [])
    empty = os.path.join(work, "empty")
    os.makedirs(empty, exist_ok=True)

    def goal(ok, text):
        print("  %s — goal %s" % (text, "met" if ok else "MISSED"))
        if not ok:
            missed.append("B2: " + text)

    for name, path in trees:
        timed = {b: [] for b, _ in builds}
        memory = {b: [] for b, _ in builds}
        for _ in range(runs):
            for b, exe in builds:
                timed[b] += live_runs(exe, path, 1, ["--engine", "--busy"])
        # Memory without the warm-up walk of --engine, beside the bare engine's peak.
        for _ in range(3):
            for b, exe in builds:
                memory[b] += live_runs(exe, path, 1, [])
        engine_kb = statistics.median(run_once([bench, "diskmap", path, "--no-count"])[1] for _ in range(3))
        base_kb = run_once([bench, "diskmap", empty])[1]
        print("\n  %s" % name)
        for b, _ in builds:
            rows = timed[b]
            check(all(r["rc"] == 0 for r in rows), "%s, %s: every run drew the finished map" % (name, b))
            for k in ("first", "stall", "busy", "tree-in", "total", "engine"):
                if k in rows[0]:
                    print("    %-10s %-7s median %7.3f  max %7.3f  rounds %s" % (b, k, statistics.median(r[k] for r in rows),
                          max(r[k] for r in rows), " ".join("%.3f" % r[k] for r in rows)))
            ratios = [r["total"] / r["engine"] for r in rows]
            print("    %-10s %-7s median %7.2f  max %7.2f  rounds %s" % (b, "ratio", statistics.median(ratios),
                  max(ratios), " ".join("%.2f" % x for x in ratios)))
            mem = memory[b]
            print("    %-10s %-7s median %7.1f MB (before the scan %.1f MB) rounds %s"
                  % (b, "peak", statistics.median(r["rss"] for r in mem), statistics.median(r["rss-before"] for r in mem),
                     " ".join("%.1f" % r["rss"] for r in mem)))
        rows, mem = timed["this build"], memory["this build"]
        worst = max(r["stall"] for r in rows)
        goal(worst <= 0.05, "%s: longest stall %.3f s in %d rounds (at most 0.050 s in every round)" % (name, worst, runs))
        ratio = max(r["total"] / r["engine"] for r in rows)
        goal(ratio <= 1.5, "%s: finished map at most %.2fx the bare engine's time in every round (at most 1.5x)"
             % (name, ratio))
        window = statistics.median(r["rss"] for r in mem)
        before_scan = statistics.median(r["rss-before"] for r in mem)
        bare, base = engine_kb / 1024, base_kb / 1024
        goal(window / bare <= 1.5, "%s: window peak %.1f MB, %.2fx the bare engine's %.1f MB (at most 1.5x)"
             % (name, window, window / bare, bare))
        print("  less what each takes before it scans: window %.1f MB, engine %.1f MB: %.2fx"
              % (window - before_scan, bare - base, (window - before_scan) / max(bare - base, 0.1)))


def b_panel(bench, tree, runs, expected):
    commands = [
        ("dustlet-bench panel (all targets)", [bench, "panel", tree]),
        ("dustlet-bench size (the tree alone)", [bench, "size", tree]),
    ]
    res = paired(commands, runs)
    report("B-panel all targets of a home with the 1,000,000-file tree in one of them (warm cache, %d paired rounds)"
           % runs, res, "dustlet-bench panel (all targets)",
           [("dustlet-bench size (the tree alone)", -1.3, "the last size within 1.3x of the walk alone")],
           inner="seconds")
    got = value(res["dustlet-bench panel (all targets)"]["out"], "bytes")
    check(got == expected, "the tree's target measures %s == %d" % (got, expected))
    sized, targets = (value(res["dustlet-bench panel (all targets)"]["out"], k) for k in ("sized", "targets"))
    check(sized == targets, "every target sized (%s of %s)" % (sized, targets))


def b3(bench, tree, runs):
    rdfind_out = os.path.join(tempfile.gettempdir(), "dustlet-rdfind-results-%d.txt" % os.getpid())
    commands = [
        ("dustlet-bench dups", [bench, "dups", tree]),
        ("jdupes -r -q -m", ["jdupes", "-r", "-q", "-m", tree]),
        ("rdfind -dryrun true", ["rdfind", "-dryrun", "true", "-outputname", rdfind_out, tree]),
        ("fdupes -r -q -m", ["fdupes", "-r", "-q", "-m", tree]),
    ]
    res = paired(commands, runs)
    report("B3 mixed duplicates, sparse copies included (warm cache, %d paired rounds)" % runs, res,
           "dustlet-bench dups", [("jdupes -r -q -m", 5.0, "5x faster than jdupes -r -q -m")])
    ours, theirs = our_sets(bench, tree), jdupes_sets(tree, [])
    check(ours == theirs, "duplicate sets equal jdupes' among files >= 1,000,000 bytes (%d vs %d sets)"
          % (len(ours), len(theirs)))
    if os.path.exists(rdfind_out):
        os.remove(rdfind_out)


def b4(bench, tree, runs):
    commands = [
        ("dustlet-bench dups", [bench, "dups", tree]),
        ("jdupes -r -q -m", ["jdupes", "-r", "-q", "-m", tree]),
    ]
    res = paired(commands, max(runs, 15))
    report("B4 1,500 distinct files of 1.0-2.5 MB, whole process (warm cache, %d paired rounds)" % max(runs, 15),
           res, "dustlet-bench dups", [("jdupes -r -q -m", -1.5, "within 1.5x of jdupes")])
    read = value(res["dustlet-bench dups"]["out"], "read_bytes")
    check(read is not None and read < MINIMUM, "no file content read (%s bytes read in all)" % read)
    ours, theirs = our_sets(bench, tree), jdupes_sets(tree, [])
    check(ours == theirs == set(), "no duplicates found (%d vs %d sets)" % (len(ours), len(theirs)))


def b5(bench, tree, runs):
    commands = [
        ("dustlet-bench dups", [bench, "dups", tree]),
        ("jdupes -r -q -m -X size+=:1000000", ["jdupes", "-r", "-q", "-m", "-X", "size+=:1000000", tree]),
    ]
    res = paired(commands, runs)
    report("B5 a copy of /usr, sparse copies added (warm cache, %d paired rounds)" % runs, res, "dustlet-bench dups",
           [("jdupes -r -q -m -X size+=:1000000", 3.0, "3x faster than jdupes -X size+=:1000000")])
    ours, theirs = our_sets(bench, tree), jdupes_sets(tree, ["-X", "size+=:1000000"])
    check(ours == theirs, "duplicate sets equal jdupes' among files >= 1,000,000 bytes (%d vs %d sets)"
          % (len(ours), len(theirs)))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--bench", default=os.path.join(ROOT, "build", "default", "bench", "dustlet-bench"))
    ap.add_argument("--work", help="where the trees are made and kept (default: a new temporary folder, removed "
                    "at the end)")
    ap.add_argument("--runs", type=int, default=5)
    ap.add_argument("--cold", action="store_true", help="also time B1 and B1-size with the page cache dropped")
    ap.add_argument("--cold-runs", type=int, default=3)
    ap.add_argument("--live-runs", type=int, default=9, help="rounds of each B2 run (default 9)")
    ap.add_argument("--before", help="B2 also with an earlier build's dustlet-bench (dustlet-bench-gui beside it), "
                    "round by round with this one")
    ap.add_argument("--only", default="B1,B1-size,B-panel,B2,B3,B4,B5")
    args = ap.parse_args()
    if not os.access(args.bench, os.X_OK):
        sys.exit("no %s: build first (cmake --preset default && cmake --build --preset default)" % args.bench)
    ensure_peers()
    if args.work:
        os.makedirs(args.work, exist_ok=True)
        try:
            run_all(args)
        finally:
            print("the trees stay in %s" % args.work)
    else:
        args.work = tempfile.mkdtemp(prefix="dustlet-bench-")
        try:
            run_all(args)
        finally:
            shutil.rmtree(args.work, ignore_errors=True)
    if missed:
        print("GOALS MISSED: " + "; ".join(missed))
    if failures:
        print("WRONG ANSWERS: " + "; ".join(failures))
        sys.exit(1)


def run_all(args):
    only = set(args.only.split(","))
    cold = args.cold
    if cold and not drop_caches():
        print("cold runs skipped: the page cache cannot be dropped here (needs root and a writable /proc/sys)")
        cold = False
    print("machine: %s" % load())
    if only & {"B1", "B1-size", "B-panel", "B2"}:
        tree = tree_1m(args.work)
        usr = tree_usr(args.work) if only & {"B1", "B1-size"} else None
        if "B1" in only:
            dm = b1(args.bench, tree, "the 1,000,000-file tree", args.runs, False, 2.5)
            b1(args.bench, usr, "a copy of /usr", args.runs, False, None)
            if cold:
                b1(args.bench, tree, "the 1,000,000-file tree", args.cold_runs, True, 1.5)
                b1(args.bench, usr, "a copy of /usr", args.cold_runs, True, 1.5)
            b1_threads(args.bench, tree, args.runs)
            b1_memory(args.bench, tree, dm, args.work)
        expected = None
        if "B1-size" in only:
            expected = b1_size(args.bench, tree, "the 1,000,000-file tree", args.runs, False)
            if cold:
                b1_size(args.bench, tree, "the 1,000,000-file tree", args.cold_runs, True)
            b1_size(args.bench, usr, "a copy of /usr", args.runs, False)
            if cold:
                b1_size(args.bench, usr, "a copy of /usr", args.cold_runs, True)
        if "B-panel" in only:
            if expected is None:
                expected = allocated_total(tree, include_hidden=True, regular_only=True)
            b_panel(args.bench, tree, args.runs, expected)
        if "B2" in only:
            b2(args.bench, args.work, tree, args.live_runs, args.before)
    if "B3" in only:
        b3(args.bench, tree_dups(args.work, "mixed"), args.runs)
    if "B4" in only:
        b4(args.bench, tree_dups(args.work, "distinct"), args.runs)
    if "B5" in only:
        b5(args.bench, tree_usr(args.work), args.runs)
    print("\nmachine at the end: %s" % load())


if __name__ == "__main__":
    main()
