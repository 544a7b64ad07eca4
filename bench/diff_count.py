#!/usr/bin/env python3
"""Differential run: two kvx-count binaries over the same random texts and
parameter files, with one thread and with two; the listings, messages and
exit statuses must be the same bytes. Usage:
diff_count.py OLD_KVX_COUNT NEW_KVX_COUNT [CASES] [SEED]"""
import io
import os
import random
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True  # nothing left beside the sources
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import gen_text  # noqa: E402

TOKENS = ["--", "---", "<!--", "-->", "<!-- x -->", "&amp;", "&eacute;", "&Eacute;", "&#233;", "&#x41;",
          "&nbsp;", "&bogus;", "& amp;", "/*", "*/", "// note", "<script>x=1</script>", "<style>", "</style>",
          "<p>", "</p>", "<?xml v?>", "<?php echo 1 ?>", "{c}", "#h", "\t", "\u00a0", "Ž", "ž", "Žal", "Ðe", "ðe", "ÉTÉ", "Œuvre", "Straße", "don't", "isn't", "aren", "ISN",
          "physics", "maths", "Stats", "cats'", "bus", "glass", "s", "t", "x-ray", "-dash-", "'q'", "a_b",
          "c:\\dir\\f", "/usr/bin", "a.b.c.", "me@x.org", "2024", "3rd", "xiv", "MMXX", "aaaa", "zz",
          "https://x.org/a?b=c", "…", "€", "—", "’s"]
CONTROLS = ["\b", "\f", "\v", "\x01", "a\bb", "-\b-"]  # rare: many make the text "not text"
LINE_ENDS = ["\n", "\r\n", "\r"]
EXTS = ["txt", "html", "htm", "c", "cpp", "php", "xml", "md", ""]
MARKERS = ["", "{", "}", "#", "<!--", "-->", "--", "/*", "*/", "rem", "[", "]"]
IGNORE = ["", "the and", "der die das", "de", "il la", "the of and to in"]


def text(rnd):
    """Bytes of a random text: generated prose or short lines cut up and
    mixed with awkward tokens, random line ends, blanks and encodings."""
    buf = io.BytesIO()
    kind = rnd.choice(["docs", "prose"])
    getattr(gen_text, kind)(buf, rnd.randint(200, 40000), seed=rnd.randint(0, 10**6))
    lines = buf.getvalue().decode("utf-8").splitlines()
    out = []
    for line in lines:
        r = rnd.random()
        if r < 0.3:
            words = line.split(" ")
            for _ in range(rnd.randint(1, 4)):
                words.insert(rnd.randint(0, len(words)), rnd.choice(TOKENS))
            line = rnd.choice([" ", "", "-"]).join(words) if rnd.random() < 0.9 else "".join(words)
        elif r < 0.35:
            line = rnd.choice(["", " ", "\t \t", "\u00a0", "  \u00a0 x \u00a0", "\x0c"])
        elif r < 0.37:
            line = " ".join(rnd.choice(TOKENS) for _ in range(rnd.randint(500, 3000)))
        if rnd.random() < 0.1:
            line = line.upper()
        if rnd.random() < 0.001:
            at = rnd.randint(0, len(line))
            line = line[:at] + rnd.choice(CONTROLS) + line[at:]
        out.append(line + rnd.choice(LINE_ENDS if rnd.random() < 0.3 else LINE_ENDS[:1]))
    if rnd.random() < 0.05:
        out.append("w" * rnd.choice([64999, 65000, 65001, 70000]) + "s end\n")
    s = "".join(out)
    enc = rnd.random()
    if enc < 0.05:
        return b"\xff\xfe" + s.encode("utf-16-le")
    if enc < 0.08:
        return b"\xfe\xff" + s.encode("utf-16-be")
    b = s.encode("utf-8")
    if enc < 0.15:
        b = b"\xef\xbb\xbf" + b
    elif enc < 0.25:  # Windows-1252 bytes here and there
        b = s.encode("cp1252", errors="replace")
    return b


def quoted(s):
    return '"' + s.replace('"', '""') + '"\r\n'


def params(rnd, common):
    """A random parameter file (its 37 lines) under rules that the text decides."""
    lines = [quoted(""), quoted(""), quoted(rnd.choice(IGNORE))]
    lines += [quoted(rnd.choice(MARKERS)) for _ in range(4)]
    lines += [f"{rnd.randint(0, 7)}\r\n", f"{rnd.randint(0, 6)}\r\n", f"{rnd.randint(0, 7)}\r\n"]
    boxes = [rnd.randint(0, 1) for _ in range(23)]
    boxes[2] = 1 if rnd.random() < 0.3 else 0   # common words
    boxes[19] = 0  # warn on overwrite
    boxes[20] = 0  # save state on quit
    boxes[22] = 0  # output to file not disabled
    for i, b in enumerate(boxes):
        if i == 18:
            lines.append("0\r\n")  # reserved
        lines.append(f"{b}\r\n")
    lines += [f"{rnd.randint(0, 1)}\r\n", f"{rnd.randint(0, 9)}\r\n", quoted(common)]
    assert len(lines) == 37
    return "".join(lines).encode("utf-8")


def run(binary, args, cwd):
    try:
        p = subprocess.run([binary] + args, cwd=cwd, capture_output=True, timeout=60)
    except subprocess.TimeoutExpired:
        return "timed out"
    out = os.path.join(cwd, "out.txt")
    listing = open(out, "rb").read() if os.path.exists(out) else None
    if listing is not None:
        os.remove(out)
    return p.returncode, p.stdout, p.stderr, listing


def main():
    old, new = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    cases = int(sys.argv[3]) if len(sys.argv) > 3 else 300
    rnd = random.Random(int(sys.argv[4]) if len(sys.argv) > 4 else 1)
    failures = runs = listings = 0
    total = 0
    with tempfile.TemporaryDirectory() as d:
        with open(os.path.join(d, "common.txt"), "w") as f:
            f.write("the\nof\nand\nder\nle\nil\nde\nque\n")
        for case in range(cases):
            names = []
            for k in range(rnd.choice([1, 1, 1, 2, 3])):
                ext = rnd.choice(EXTS)
                name = f"in{k}" + ("." + ext if ext else "")
                data = text(rnd)
                total += len(data)
                with open(os.path.join(d, name), "wb") as f:
                    f.write(data)
                names.append(name)
            with open(os.path.join(d, "p.kvx"), "wb") as f:
                f.write(params(rnd, os.path.join(d, "common.txt") if rnd.random() < 0.5 else ""))
            fmt = rnd.choice(["listing", "listing", "csv", "tsv", "json"])
            for jobs in ("1", "2"):
                args = ["-p", "p.kvx", "-j", jobs, "--format", fmt, "-o", "out.txt"] + names
                a, b = run(old, args, d), run(new, args, d)
                runs += 1
                listings += a != "timed out" and bool(a[3])
                if a != b:
                    failures += 1
                    keep = os.path.join(tempfile.gettempdir(), f"diff_count_case{case}_j{jobs}")
                    subprocess.run(["cp", "-r", d, keep])
                    print(f"case {case} -j{jobs}: differs (kept in {keep})", flush=True)
    print(f"{cases} cases, {runs} comparisons ({listings} with a listing) over {total / 1e6:.1f} MB of text: "
          f"{failures} differ")
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
