#!/usr/bin/env python3
"""Whole-run benchmarks of kvx-count against wc -w and the classic
tr | sort | uniq pipeline on the same generated texts. Prints median wall
times, ratios and peak memory. Usage: run_bench.py BUILD_DIR [--quick]"""
import gzip
import os
import statistics
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))


def run(cmd, shell=False, cpu=False):
    """Runs a command; returns (wall seconds, peak RSS of the process in KiB),
    and with cpu the user and system seconds of it and its children."""
    os.sync()  # what the run before wrote is not written back during this one
    start = time.perf_counter()
    p = subprocess.Popen(cmd, shell=shell, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    _, status, usage = os.wait4(p.pid, 0)
    wall = time.perf_counter() - start
    if os.waitstatus_to_exitcode(status) != 0:
        raise SystemExit(f"failed: {cmd}")
    if cpu:
        return wall, usage.ru_maxrss, usage.ru_utime + usage.ru_stime
    return wall, usage.ru_maxrss


def many_words(kvx, data, count, runs):
    """kvx-count against the C-locale pipeline on count different words: the
    median of runs for wall and CPU time, the peak memory per word, and the
    counts file written and merged again."""
    path = os.path.join(data, f"vocab-{count}.txt")
    ensure(path, "vocab", count)
    out = os.path.join(data, "listing.txt")
    counts = os.path.join(data, "vocab.counts")
    pipe = f"export LC_ALL=C; tr -cs 'A-Za-z' '\\n' < '{path}' | sort | uniq -c | sort -rn > /dev/null"
    rows = {"kvx-count": [], "pipeline": [], "--counts": [], "--merge": []}
    for _ in range(runs):  # alternating, as the machine may be shared
        rows["kvx-count"].append(run([kvx, "-o", out, path], cpu=True))
        rows["pipeline"].append(run(pipe, shell=True, cpu=True))
        rows["--counts"].append(run([kvx, "--counts", "-o", counts, path], cpu=True))
        rows["--merge"].append(run([kvx, "--merge", "-o", out, counts], cpu=True))
    med = {k: (statistics.median(r[0] for r in v), statistics.median(r[2] for r in v), max(r[1] for r in v))
           for k, v in rows.items()}
    print(f"\n== {count:.0e} different words ({os.path.getsize(path) / 1e6:.0f} MB), median of {runs}")
    for k, (wall, cpu, rss) in med.items():
        print(f"{k:<12} {wall:7.2f} s   cpu {cpu:6.2f} s   peak {rss / 1024:6.0f} MiB"
              f"   {rss * 1024 / count:5.0f} bytes a word")
    print(f"kvx-count / pipeline   wall {med['kvx-count'][0] / med['pipeline'][0]:5.2f}"
          f"   cpu {med['kvx-count'][1] / med['pipeline'][1]:5.2f}   (target <= 0.5)")
    print(f"--merge / --counts     wall {med['--merge'][0] / med['--counts'][0]:5.2f}   (target <= 1)")
    print(f"--merge / kvx-count    wall {med['--merge'][0] / med['kvx-count'][0]:5.2f}   (target <= 1)")


def median_time(cmd, runs, shell=False):
    times = [run(cmd, shell)[0] for _ in range(runs)]
    return statistics.median(times)


def ensure(path, kind, size):
    if not os.path.exists(path) or os.path.getsize(path) < min(size, 1):
        print(f"generating {os.path.basename(path)} ...", flush=True)
        subprocess.check_call([sys.executable, os.path.join(HERE, "gen_text.py"), kind, path, str(size)])


def compare(kvx, out, path, what, runs, cores, pipeline):
    """kvx-count with one thread and with all cores against wc -w on one file."""
    mb = os.path.getsize(path) / 1e6
    print(f"\n== {mb:.0f} MB {what}, {cores} cores, median of {runs} runs")
    t_one = median_time([kvx, "-j1", "-o", out, path], runs)
    t_all = median_time([kvx, "-o", out, path], runs)
    t_wc = median_time(["wc", "-w", path], runs)
    print(f"wc -w                {t_wc:7.3f} s")
    print(f"kvx-count --jobs 1   {t_one:7.3f} s   ({mb / t_one:6.1f} MB/s)")
    print(f"kvx-count (jobs {cores})   {t_all:7.3f} s   ({mb / t_all:6.1f} MB/s)")
    if pipeline:
        t_pipe = median_time(f"tr -cs A-Za-z '\\n' < '{path}' | tr A-Z a-z | sort | uniq -c | sort -rn > /dev/null",
                             runs, shell=True)
        print(f"tr|sort|uniq         {t_pipe:7.3f} s")
    if pipeline:
        t_uni = median_time([kvx, "-j1", "--letters", "unicode", "-o", out, path], runs)
        print(f"--letters unicode -j1 {t_uni:7.3f} s   ({mb / t_uni:6.1f} MB/s)")
    print(f"ratio --jobs 1 / wc -w       {t_one / t_wc:5.2f}   (target <= 1.5)")
    if pipeline:
        print(f"ratio unicode / western -j1  {t_uni / t_one:5.2f}   (target <= 1.5)")
    print(f"ratio jobs {cores} / wc -w        {t_all / t_wc:5.2f}   (target <= 1.0)")
    print(f"ratio jobs {cores} / --jobs 1     {t_all / t_one:5.2f}   (1/{cores} would be ideal)")
    if pipeline:
        print(f"kvx-count / pipeline         {t_all / t_pipe:5.2f}")


def japanese(kvx, data, out, runs):
    """--letters unicode on one thread over the Japanese prose of the manual
    pages of Debian's manpages-ja (its lines of mostly Japanese text, once)."""
    pages = "/usr/share/man/ja"
    if not os.path.isdir(pages):
        print("\n(no Japanese benchmark: install manpages-ja)")
        return
    path = os.path.join(data, "japanese.txt")
    if not os.path.exists(path):
        lines = []
        for root, _, files in os.walk(pages):
            for f in sorted(files):
                raw = open(os.path.join(root, f), "rb").read()
                text = (gzip.decompress(raw) if f.endswith(".gz") else raw).decode("utf-8", "replace")
                lines += [ln for ln in text.splitlines()
                          if not ln.startswith(".") and sum(ord(c) > 0x3000 for c in ln) * 2 > len(ln)]
        with open(path, "w", encoding="utf-8") as f:
            f.write("\n".join(lines) + "\n")
    mb = os.path.getsize(path) / 1e6
    t = median_time([kvx, "-j1", "--letters", "unicode", "-o", out, path], runs)
    print(f"\n== {mb:.0f} MB of Japanese (manpages-ja), --letters unicode -j1, median of {runs}")
    print(f"kvx-count            {t:7.3f} s   ({mb / t:6.1f} MB/s)   (target >= 30 MB/s)")


def window(build, kvx, data, out, quick):
    """The window's count (on every core, words not shown as found) from its
    count command until its output file is in place, against kvx-count with
    its default jobs on the same file."""
    prog = os.path.join(build, "bench", "kvx_window_bench")
    if not os.path.exists(prog):
        print("\n(no window benchmark: kvx_window_bench not built)")
        return
    size = 45_000_000 if quick else 377_000_000
    path = os.path.join(data, f"prose-{size // 1_000_000}MB.txt")
    ensure(path, "prose", size)
    runs = 1 if quick else 3
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    res = subprocess.run([prog, path, str(runs)], env=env, capture_output=True, text=True)
    if res.returncode != 0:
        raise SystemExit(f"failed: {prog}: {res.stderr.strip()}")
    t_window = float(res.stdout.split()[1])
    t_cli = median_time([kvx, "-o", out, path], runs)
    print(f"\n== the window against kvx-count, {os.path.getsize(path) / 1e6:.0f} MB of prose, median of {runs}")
    print(f"window (Count words to output file)  {t_window:7.3f} s   {res.stdout.strip().split('(', 1)[1][:-1]}")
    print(f"kvx-count (default jobs)             {t_cli:7.3f} s")
    print(f"window / kvx-count                   {t_window / t_cli:5.2f}   (target <= 1.3)")


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
    quick = "--quick" in sys.argv
    kvx = os.path.join(build, "src", "cli", "kvx-count")
    data = os.path.join(build, "bench-data")
    os.makedirs(data, exist_ok=True)
    env_data = os.path.join(build, "data")
    os.environ.setdefault("KVX_DATA_DIR", env_data)
    runs = 3 if quick else 5

    prose = os.path.join(data, "prose-45MB.txt")
    unique = os.path.join(data, "unique-1M.txt")
    few = os.path.join(data, "few-1GB.txt")
    ensure(prose, "prose", 45_000_000)
    docs = os.path.join(data, "docs-40MB.txt")
    ensure(docs, "docs", 40_000_000)
    ensure(unique, "unique", 1_000_000)
    out = os.path.join(data, "listing.txt")
    cores = os.cpu_count()

    for path, what in ((prose, "of prose in six languages"),
                       (docs, "of short lines (commands, paths, URLs, code, six languages)")):
        compare(kvx, out, path, what, runs, cores, pipeline=path == prose)

    japanese(kvx, data, out, runs)

    print("\n== 10^6 different words")
    t_unique, rss_unique = run([kvx, "-o", out, unique])
    print(f"kvx-count        {t_unique:7.3f} s   peak {rss_unique / 1024:.0f} MiB  (target < 10 s)")

    many_words(kvx, data, 1_000_000, 1 if quick else 3)
    if os.environ.get("KVX_BENCH_10M") == "1":
        many_words(kvx, data, 10_000_000, 1 if quick else 3)
    else:
        print("(10^7 different words: set KVX_BENCH_10M=1)")

    if not quick:
        ensure(few, "few", 1_000_000_000)
        print("\n== 1 GB of few different words")
        t_few, rss_few = run([kvx, "-o", out, few])
        print(f"kvx-count        {t_few:7.3f} s   peak {rss_few / 1024:.1f} MiB  (target < 64 MiB)")

    window(build, kvx, data, out, quick)

    bench = os.path.join(build, "bench", "kvx_bench")
    if os.path.exists(bench):
        print("\n== micro-benchmarks")
        subprocess.call([bench, "--benchmark_min_time=0.5"])


if __name__ == "__main__":
    main()
