#!/usr/bin/env python3
"""Invariant run: on texts made only of Windows-1252 characters, one
kvx-count binary must find the same words with the same frequencies and the
same result counts under --letters unicode as under the default letters
(only the alphabetical order may differ, by collation). The texts and
parameter files are those of diff_count.py without the right single quote,
which the letters of every script take as the apostrophe, and without the
texts whose Windows-1252 bytes happen to form UTF-8 of another character. Usage:
diff_letters.py KVX_COUNT [CASES] [SEED]"""
import os
import random
import re
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import diff_count  # noqa: E402

diff_count.TOKENS = [t for t in diff_count.TOKENS if "\u2019" not in t]

# A UTF-8 sequence as the reader takes it; Windows-1252 bytes can form one.
UTF8 = re.compile(rb"[\xc2-\xdf][\x80-\xbf]|[\xe0-\xef][\x80-\xbf]{2}|[\xf0-\xf4][\x80-\xbf]{3}")


def windows1252_only(data):
    """Whether the text, read as kvx-count reads it, holds only characters
    that Windows-1252 has."""
    def known(chars):
        return all(c.encode("cp1252", errors="ignore") for c in chars)
    if data[:2] in (b"\xff\xfe", b"\xfe\xff"):
        return known(data[2:].decode("utf-16-le" if data[0] == 0xFF else "utf-16-be", errors="ignore"))
    for m in UTF8.finditer(data):
        try:
            if not known(m.group().decode("utf-8")):
                return False
        except UnicodeDecodeError:
            pass  # read as bytes
    return True


def words(binary, args, cwd):
    """Exit status, messages and {word: frequency} of a tsv listing."""
    try:
        p = subprocess.run([binary] + args, cwd=cwd, capture_output=True, timeout=120)
    except subprocess.TimeoutExpired:
        return "timed out"
    out = os.path.join(cwd, "out.txt")
    table = {}
    if os.path.exists(out):
        for line in open(out, "rb").read().split(b"\n")[1:]:
            if line:
                _, freq, word = line.split(b"\t", 2)
                table[word] = int(freq)
        os.remove(out)
    return p.returncode, p.stderr, table


def main():
    binary = os.path.abspath(sys.argv[1])
    cases = int(sys.argv[2]) if len(sys.argv) > 2 else 100
    rnd = random.Random(int(sys.argv[3]) if len(sys.argv) > 3 else 1)
    failures = total = found = 0
    with tempfile.TemporaryDirectory() as d:
        with open(os.path.join(d, "common.txt"), "w") as f:
            f.write("the\nof\nand\nder\nle\nil\nde\nque\nfür\nété\n")
        for case in range(cases):
            names = []
            for k in range(rnd.choice([1, 1, 1, 2, 3])):
                ext = rnd.choice(diff_count.EXTS)
                name = f"in{k}" + ("." + ext if ext else "")
                data = diff_count.text(rnd)
                while not windows1252_only(data):
                    data = diff_count.text(rnd)
                total += len(data)
                with open(os.path.join(d, name), "wb") as f:
                    f.write(data)
                names.append(name)
            with open(os.path.join(d, "p.kvx"), "wb") as f:
                f.write(diff_count.params(rnd, os.path.join(d, "common.txt") if rnd.random() < 0.5 else ""))
            jobs = rnd.choice(["1", "2"])
            args = ["-p", "p.kvx", "-j", jobs, "--format", "tsv", "-o", "out.txt"] + names
            a = words(binary, args, d)
            b = words(binary, args + ["--letters", "unicode"], d)
            found += 0 if a == "timed out" else sum(a[2].values())
            if a != b:
                failures += 1
                keep = os.path.join(tempfile.gettempdir(), f"diff_letters_case{case}")
                subprocess.run(["cp", "-r", d, keep])
                why = "status or messages" if a[:2] != b[:2] else \
                    sorted(set(a[2].items()) ^ set(b[2].items()))[:3]
                print(f"case {case} ({' '.join(args)}): differs (kept in {keep}): {why}", flush=True)
    print(f"{cases} cases over {total / 1e6:.1f} MB of text, {found} words listed: {failures} differ")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
