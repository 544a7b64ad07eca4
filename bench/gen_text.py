#!/usr/bin/env python3
"""Generates benchmark texts: multi-language prose, documentation-like text of
short lines, many different words, or a large file of few different words.
Deterministic for a given seed."""
import random
import sys

VOCAB = {
    "en": "the of and to in is that it was for on are with as his they be at one have this from "
          "or had by word but what some we can out other were all there when up use your how said "
          "an each she which do their time if will way about many then them write would like so "
          "these her long make thing see him two has look more day could go come did number sound "
          "people water country children question important between government because",
    "de": "der die und in den von zu das mit sich des auf für ist im dem nicht ein eine als auch "
          "es an werden aus er hat daß sie nach wird bei einer um am sind noch wie einem über "
          "einen so zum war haben nur oder aber vor zur bis mehr durch man sein wurde sei größer "
          "Straße Mädchen schön Brücke Gemüse Übung Äpfel Öffnung müssen während",
    "fr": "le de un être et à il avoir ne je son que se qui ce dans en du elle au pour pas que vous "
          "par sur faire plus dire me on mon lui nous comme mais pouvoir avec tout y aller voir "
          "bien où sans tu ou leur homme si deux mari moi vouloir te femme venir quand grand celui "
          "été très déjà après français élève château hôpital forêt noël cœur œuvre garçon",
    "es": "el la de que y a en un ser se no haber por con su para como estar tener le lo todo pero "
          "más hacer o poder decir este ir otro ese si me ya ver porque dar cuando él muy sin vez "
          "mucho saber qué sobre mi alguno mismo yo también hasta año dos querer entre así niño "
          "señor mañana corazón canción pequeño según después",
    "it": "il di che è e la un a per in non una sono mi ho lo ma ti le si con cosa se io come da "
          "ci questo qui hai bene era più tu sei mio solo no me quando perché tutto lei fatto "
          "chi della anche lui sì così città università perché già può virtù però",
    "pt": "de a o que e do da em um para é com não uma os no se na por mais as dos como mas foi ao "
          "ele das tem à seu sua ou ser quando muito há nos já está eu também só pelo pela até "
          "isso ela entre era depois sem mesmo aos ter seus coração ação não irmã avô café você",
}
PUNCT = [",", ".", ";", ":", "!", "?", "", "", "", "", "", ""]


def prose(out, target_bytes, seed=1):
    rnd = random.Random(seed)
    langs = {k: v.split() for k, v in VOCAB.items()}
    weights = {k: [1.0 / (i + 1) for i in range(len(v))] for k, v in langs.items()}
    written = 0
    lang = "en"
    while written < target_bytes:
        if rnd.random() < 0.05:
            lang = rnd.choice(list(langs))
        n = rnd.randint(8, 16)
        ws = rnd.choices(langs[lang], weights[lang], k=n)
        ws[0] = ws[0].capitalize()
        line = " ".join(w + rnd.choice(PUNCT) for w in ws) + "\r\n"
        b = line.encode("utf-8")
        out.write(b)
        written += len(b)


COMMANDS = ["git", "make", "cmake", "sudo apt-get install", "pip install", "docker run", "ls -la",
            "grep -rn", "tar xzf", "curl -sSL", "ssh", "chmod 755", "cp -r", "./configure --prefix=/usr",
            "npm run build", "cargo build --release", "kubectl get pods", "systemctl restart"]
ARGS = ["--help", "-v", "--force", "-j4", "build", "install", "origin/main", "HEAD~1", "nginx",
        "libssl-dev", "config.yaml", "--output=out.txt", "-o", "release", "user@example.org", "*.log"]
DIRS = ["usr", "local", "share", "etc", "home", "src", "lib", "bin", "docs", "include", "var", "tmp",
        "build", "config", "test", "opt", "assets", "images", "api", "v2"]
FILES = ["README.md", "main.c", "index.html", "setup.py", "config.json", "Makefile", "app.js",
         "style.css", "install.sh", "notes.txt", "CHANGES", "util.h"]
HOSTS = ["www.example.org", "docs.example.com", "github.com", "en.wikipedia.org", "localhost:8080",
         "mirror.example.net", "api.example.io"]
CODE = ["if (x == NULL) return -1;", "for (int i = 0; i < n; ++i) {", "}", "return 0;",
        "def main(argv):", "    print(f\"{name}: {count}\")", "import os, sys", "x = foo(bar, 42)",
        "#include <stdio.h>", "let v = vec![1, 2, 3];", "SELECT id, name FROM users WHERE id = 7;",
        "    self.items.append(item)", "const char *p = s + 1;", "} else {", "end", "fi", "done",
        "$ echo $HOME", "export PATH=$PATH:~/bin", "<div class=\"note\">", "</p>", "--verbose  more output"]


def docs(out, target_bytes, seed=3):
    """Lines of about 46 characters on average, as in manuals and READMEs:
    short prose in six languages, commands, paths, URLs, code, blank lines,
    headings and list items. LF line ends, a few CR LF."""
    rnd = random.Random(seed)
    langs = {k: v.split() for k, v in VOCAB.items()}
    weights = {k: [1.0 / (i + 1) for i in range(len(v))] for k, v in langs.items()}
    lang = "en"

    def path():
        p = "/".join(rnd.choice(DIRS) for _ in range(rnd.randint(1, 4)))
        return ("/" if rnd.random() < 0.6 else "~/" if rnd.random() < 0.5 else "./") + p + \
            ("/" + rnd.choice(FILES) if rnd.random() < 0.6 else "")

    def url():
        return rnd.choice(["https://", "http://"]) + rnd.choice(HOSTS) + "/" + \
            "/".join(rnd.choice(DIRS) for _ in range(rnd.randint(0, 3))) + \
            rnd.choice(["", "/", ".html", "?q=" + rnd.choice(DIRS), "#section-" + str(rnd.randint(1, 9))])

    def words(n):
        ws = rnd.choices(langs[lang], weights[lang], k=n)
        return " ".join(w + rnd.choice(PUNCT) for w in ws)

    written = 0
    while written < target_bytes:
        if rnd.random() < 0.03:
            lang = rnd.choice(list(langs))
        r = rnd.random()
        if r < 0.40:
            line = words(rnd.randint(12, 22))
            line = line[0].upper() + line[1:]
        elif r < 0.48:
            line = ""
        elif r < 0.53:
            line = rnd.choice(["#", "##", "==", "Usage:", "*"]) + " " + words(rnd.randint(1, 4)).title()
        elif r < 0.63:
            line = rnd.choice(["", "  ", "    ", "$ "]) + rnd.choice(COMMANDS) + " " + \
                " ".join(rnd.choice(ARGS + [path()]) for _ in range(rnd.randint(1, 4)))
        elif r < 0.71:
            line = rnd.choice(["", "- ", "See ", "  "]) + path() + rnd.choice(["", ":", " " + words(3)])
        elif r < 0.78:
            line = rnd.choice(["", "<", "See ", "- "]) + url() + rnd.choice(["", ">", ".", " " + words(2)])
        elif r < 0.90:
            line = "    " * rnd.randint(0, 2) + rnd.choice(CODE)
        else:
            line = rnd.choice(["- ", "* ", "1. ", "\t"]) + words(rnd.randint(5, 10)) + " " + \
                rnd.choice(["`" + path() + "`", "(" + url() + ")", "`" + rnd.choice(COMMANDS) + "`", ""])
        b = (line + ("\r\n" if rnd.random() < 0.05 else "\n")).encode("utf-8")
        out.write(b)
        written += len(b)


def unique(out, count, seed=2):
    rnd = random.Random(seed)
    letters = "abcdefghijklmnopqrstuvwxyz"
    line = []
    for i in range(count):
        w = []
        k = i
        while True:
            w.append(letters[k % 26])
            k //= 26
            if k == 0:
                break
        w = "".join(w) + "zq"
        line.append(w)
        if rnd.random() < 0.3:
            line.append(rnd.choice(["the", "and", "of"]))
        if len(line) >= 10:
            out.write((" ".join(line) + "\r\n").encode())
            line = []
    if line:
        out.write((" ".join(line) + "\r\n").encode())


def vocab(out, count, seed=3):
    """count different random nine-letter words, 20 a line. Below 5*10^6
    words some letters are accented and each word comes about three times,
    in random order; above, each word comes once, in plain ASCII."""
    rnd = random.Random(seed)
    letters = "abcdefghijklmnopqrstuvwxyz"
    if count < 5_000_000:
        letters += "éèàüöäçñ"
    words = ["".join(rnd.choices(letters, k=9)) for _ in range(count)]
    if count < 5_000_000:
        words = words * 3
        rnd.shuffle(words)
    for i in range(0, len(words), 20):
        out.write((" ".join(words[i:i + 20]) + "\n").encode())


def few(out, target_bytes):
    block = ("the quick brown fox jumps over the lazy dog and the cat watches it carefully\r\n"
             * 1000).encode()
    written = 0
    while written < target_bytes:
        out.write(block)
        written += len(block)


if __name__ == "__main__":
    kind, path, size = sys.argv[1], sys.argv[2], int(sys.argv[3])
    with open(path, "wb") as f:
        {"prose": prose, "docs": docs, "unique": unique, "few": few, "vocab": vocab}[kind](f, size)
