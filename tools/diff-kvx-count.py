#!/usr/bin/env python3
"""Differential run of two kvx-count binaries: random texts (small and large
vocabularies) and random parameter files, with --jobs 1 and 2, listings in
every format, counts files and their merge. Any difference in output, messages
or exit status is printed and fails the run.
Usage: diff-kvx-count.py OLD_BINARY NEW_BINARY [ROUNDS] [SEED]"""
import os
import random
import subprocess
import sys
import tempfile

SMALL = ("the The THE cats cat glass gas bus was is this lives Lives XIV iv mmm aaa a I "
         "don't well-known x_y 3rd 42 élève Élève ÉLÈVE cœur Cœurs straße naïve café cafés "
         "über Über résumé resume zoo zoos a.b at@sign c:d").split()
LETTERS = "abcdefghijklmnopqrstuvwxyzéèüößçñœABCXYZÉÜ"


def text(rnd, path):
    vocab = list(SMALL)
    big = rnd.random() < 0.5
    huge = big and rnd.random() < 0.3  # counts files large enough to be read in parts
    for _ in range(150000 if huge else rnd.choice([10, 1000, 30000]) if big else 20):
        vocab.append("".join(rnd.choices(LETTERS, k=rnd.randint(1, 12))) + rnd.choice(["", "s", "ss"]))
    lines = []
    for _ in range(rnd.randint(18000, 24000) if huge else rnd.randint(0, 3000 if big else 200)):
        ws = rnd.choices(vocab, k=rnd.randint(0, 15))
        lines.append(" ".join(w + rnd.choice(["", ",", ".", " -", "'"]) for w in ws))
    with open(path, "wb") as f:
        f.write(("\r\n" if rnd.random() < 0.3 else "\n").join(lines).encode())


def params(rnd, path):
    boxes = [rnd.randint(0, 1) for _ in range(23)]
    boxes[2] = 0            # common words: none
    boxes[18] = 0           # comment markers off, so files may be split
    boxes[19] = 0           # no overwrite question
    boxes[21] = 1           # no live display
    boxes[22] = 0
    lines = ['""', '""', '"%s"' % rnd.choice(["", "the", "cat glass"]), '""', '""', '""', '""',
             str(rnd.randint(0, 7)), str(rnd.randint(0, 6)), str(rnd.randint(0, 7))]
    lines += [str(b) for b in boxes[:18]] + ["0"] + [str(b) for b in boxes[18:]]
    lines += [str(rnd.randint(0, 1)), str(rnd.randint(0, 9)), '""']
    with open(path, "wb") as f:
        f.write("".join(l + "\r\n" for l in lines).encode())


def run(binary, args, cwd):
    p = subprocess.run([binary] + args, cwd=cwd, capture_output=True, timeout=120)
    out = b""
    for name in sorted(os.listdir(cwd)):
        if name.startswith("out"):
            with open(os.path.join(cwd, name), "rb") as f:
                out += name.encode() + b":" + f.read()
            os.remove(os.path.join(cwd, name))
    return p.returncode, p.stdout, p.stderr, out


def main():
    old, new = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    rounds = int(sys.argv[3]) if len(sys.argv) > 3 else 100
    rnd = random.Random(int(sys.argv[4]) if len(sys.argv) > 4 else 1)
    failures = 0
    with tempfile.TemporaryDirectory() as d:
        for r in range(rounds):
            inputs = [f"t{k}.txt" for k in range(rnd.randint(1, 3))]
            for name in inputs:
                text(rnd, os.path.join(d, name))
            params(rnd, os.path.join(d, "p.kvx"))
            jobs = f"-j{rnd.randint(1, 2)}"
            fmt = rnd.choice(["listing", "csv", "tsv", "json"])
            cases = [["-p", "p.kvx", jobs, "--format", fmt, "-o", "out.txt"] + inputs,
                     ["-p", "p.kvx", jobs, "--counts", "-o", "out.counts"] + inputs]
            for args in cases:
                a, b = run(old, args, d), run(new, args, d)
                if a != b:
                    failures += 1
                    print(f"round {r}: {' '.join(args)} differs", flush=True)
            # Merge: the counts of each input, then of all of them.
            for k, name in enumerate(inputs):
                subprocess.run([old, "-p", "p.kvx", "--counts", "-o", f"c{k}.counts", name], cwd=d,
                               capture_output=True)
            args = ["-p", "p.kvx", "--merge", "--format", fmt, "-o", "out.txt"] + \
                   [f"c{k}.counts" for k in range(len(inputs))]
            a, b = run(old, args, d), run(new, args, d)
            if a != b:
                failures += 1
                print(f"round {r}: merge differs", flush=True)
    print(f"{rounds} rounds, {failures} differences")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
