#!/usr/bin/env python3
"""Differential test: runs kvx-count and the reference model kvx_ref.py on
generated texts and parameter files and compares their output byte for byte.

  python3 tests/reference/diff_test.py --kvx-count build/src/cli/kvx-count \
      --data build/data [--cases N] [--seed S] [--keep DIR] [--verbose]

Exit status 1 when any case differs.
"""
import argparse
import difflib
import os
import random
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
REF = os.path.join(HERE, "kvx_ref.py")

# ---------------------------------------------------------------- vocabulary

WORDS = {
    "en": ("the of and to in is it that was for on are with as his they be at one have this from "
           "or had by word but what some we can out other were all there when up use your how said "
           "an each she which do their time if will way about many then them write would like so "
           "these her long make thing see him two has look more day could go come did number sound "
           "no most people my over know water than call first who may down side been now find "
           "cats dogs plays its bus gas ideas does this glass physics Politics maths stats "
           "news lens series species analysis crisis chaos atlas canvas bonus virus status "
           "John London England Monday English Thames Shakespeare").split(),
    "de": ("der die und in den von zu das mit sich des auf für ist im dem nicht ein Die eine als "
           "auch es an werden aus er hat daß sie nach wird bei einer um am sind noch wie einem "
           "über einen so zum war haben nur oder aber vor zur bis mehr durch man sein wurde sei "
           "Straße Größe Fuß weiß heißen Mädchen Ärger Öl Übung Bücher schön hören Käse "
           "Grüße müssen Bäume Häuser Strasse Masse Maße Kaufhaus Kindergarten Weltanschauung").split(),
    "fr": ("le de un être et à il avoir ne je son que se qui ce dans en du elle au pour pas "
           "que vous par sur faire plus dire me on mon lui nous comme mais pouvoir avec tout "
           "y aller voir en bien où sans tu ou leur homme si deux mari moi vouloir te femme "
           "venir quand grand celui si notre devoir là jour prendre même votre rien petit "
           "œuvre Œuvre cœur sœur bœuf œil nœud café Café crème naïve naïf Noël garçon français "
           "été élève île hôtel forêt août Ça déjà très après où À Éric").split(),
    "es": ("el la de que y a en un ser se no haber por con su para como estar tener le lo "
           "todo pero más hacer o poder decir este ir otro ese la si me ya ver porque dar "
           "cuando él muy sin vez mucho saber qué sobre mi alguno mismo yo también hasta "
           "año dos querer entre así primero desde grande eso ni nos llegar pasar tiempo "
           "niño niña España señor mañana corazón canción acción nación jamón pingüino "
           "¿Qué ¡Hola! Ñandú árbol después aquí allí").split(),
    "it": ("il di che è e la per un in non una sono mi si ho lo ma ha le cosa con ti se da "
           "come io questo qui bene hai sei del tu ci no più anche tutto mio al della solo "
           "perché città università però così già più caffè tè virtù gioventù "
           "Perché Città dell'arte l'uomo un'altra c'è quell'anno Niccolò Italia Roma").split(),
    "pt": ("o de a e do da em um para é com não uma os no se na por mais as dos como mas foi "
           "ao ele das tem à seu sua ou ser quando muito há nos já está eu também só pelo "
           "pela até isso ela entre era depois sem mesmo aos ter seus quem nas me esse eles "
           "coração ação nação informação São Paulo João órgão irmã pão mãe avó avô "
           "português você está saúde música país").split(),
}

SPECIALS = [
    "doesn't", "couldn't", "it's", "John's", "don't", "can't", "isn't", "rock 'n' roll", "dogs'",
    "it’s", "l’homme", "aujourd'hui", "e-mail", "well--known", "---", "-abc", ".abc", "re-s",
    "self-esteem", "mother-in-law", "--", "a--b", "<!--", "-->", "1999", "abc123def", "3.14",
    "V2", "2nd", "42", "007", "john.doe@example.com", "user_name", "C:\\dir\\file.txt",
    "a/b/c", "http://example.org/path", "U.S.A.", "e.g.", "z.B.", "etc.", "i.e.", "Dr.",
    "XIV", "iv", "MIX", "XL", "I", "vix", "xxx", "XII", "civil", "zzz", "aaa", "aAa", "111",
    "ß", "ÆON", "æon", "Œuvre", "STRASSE", "ÉCOLE", "Ärger", "aerger", "Aerger", "naive",
    "cafe", "CAFE", "Cafe", "resume", "Resume", "résumé", "The", "THE", "ThE", "cats.",
    "a×b", "a÷b", "Šarić", "µm", "ªb", "ºC", "—", "…", "€5", "ž", "Ž", "Ÿves", "ÿ",
    "naïve", "Ørsted", "ł", "Łódź", "ő", "→", "Ā", "Ž", "“quoted”", "«guillemets»",
    "(paren)", "[brackets]", "{braces}", "x+y", "a;b", "q?", "¿", "¡", "#tag", "50%",
    "O'Neill", "'twas", "rock'n'roll", "ÿþabc", "ics", "Ethics", "bass", "boss's", "ss",
    "aren", "en", "n", "dns", "wouldn", "t", "s", "S", "CATS", "IDEAs",
    "Mississippi", "bookkeeper", "aaaaaaaaaaaaaaaaaaaaaaaa",
]


def long_word(rng):
    n = rng.choice([19, 20, 21, 29, 30, 31, 49, 50, 51, 60, 79, 80, 81, 90, 200])
    base = rng.choice(["Donaudampfschifffahrts", "anticonstitutionnellement", "supercalifragilistic",
                       "précipitamment", "Grundstücksverkehrsgenehmigungs"])
    s = (base * (n // len(base) + 1))[:n]
    return s


def make_word(rng, lang):
    r = rng.random()
    if r < 0.78:
        w = rng.choice(WORDS[lang])
        t = rng.random()
        if t < 0.1:
            w = w.capitalize()
        elif t < 0.13:
            w = w.upper()
        return w
    if r < 0.97:
        return rng.choice(SPECIALS)
    return long_word(rng)


SEPS = [" ", " ", " ", " ", " ", ", ", ". ", "; ", ": ", "! ", "? ", "\t", "\u00a0", "  ",
        " - ", " – ", " — ", " (", ") ", "\"", "'", "’", " & ", "/", "\x0c", "\x08", "*", "…"]


def prose_line(rng, lang, nwords):
    parts = []
    for i in range(nwords):
        parts.append(make_word(rng, lang))
        parts.append(rng.choice(SEPS) if rng.random() < 0.35 else " ")
    line = "".join(parts)
    if rng.random() < 0.1:
        line = rng.choice(["  ", "\t", " \t ", "\u00a0"]) + line
    if rng.random() < 0.05:
        line = "\u00ff\u00fe" + line
    if rng.random() < 0.1:
        line = line + rng.choice(["  ", "\t", " \x0c"])
    if rng.random() < 0.004:
        line = line + " \x01 "
    return line


def prose(rng, lang, nlines):
    lines = []
    for _ in range(nlines):
        r = rng.random()
        if r < 0.08:
            lines.append("")
        elif r < 0.1:
            lines.append(rng.choice(["   ", "\t\t", "\x0c"]))
        else:
            lines.append(prose_line(rng, lang, rng.randint(1, 18)))
    return lines


ENTITY_BITS = ["&amp;", "&eacute;", "&Eacute;", "&quot;", "&QUOT;", "&hellip;", "&#233;", "&#160;",
               "&nbsp;", "&#8212;", "&szlig;", "&auml;", "&Ouml;", "&aelig;", "&yuml;", "AT&T",
               "& ", "&lt;", "&gt;", "&copy;", "&#x41;", "&#65;", "&unknownentityname;", "&a b;",
               "caf&eacute;", "na&iuml;ve", "Stra&szlig;e", "&", "&amp;amp;", "&#;", "&#12"]


def html_doc(rng, lang, nlines):
    out = []
    if rng.random() < 0.5:
        out.append("<!DOCTYPE html>")
    out.append(rng.choice(["<html>", "<HTML lang=\"%s\">" % lang]))
    out.append("<head><title>%s</title>" % prose_line(rng, lang, 3))
    if rng.random() < 0.5:
        out += ["<style>", "body { font-family: sans-serif; }", "</style>"]
    out.append("</head><body>")
    for _ in range(nlines):
        r = rng.random()
        if r < 0.45:
            words = prose_line(rng, lang, rng.randint(1, 12)).split(" ")
            for i in range(len(words)):
                if rng.random() < 0.15:
                    words[i] = rng.choice(ENTITY_BITS) + words[i]
            out.append(rng.choice(["<p>", "<P>", "<li>", "", "<td class=\"x\">"]) + " ".join(words)
                       + rng.choice(["</p>", "<br/>", "", "</td>"]))
        elif r < 0.55:
            out.append("<!-- " + prose_line(rng, lang, 4))
            if rng.random() < 0.5:
                out.append(rng.choice(ENTITY_BITS) + " " + prose_line(rng, lang, 3))
            out.append(prose_line(rng, lang, 2) + " -->" + prose_line(rng, lang, 2))
        elif r < 0.62:
            out.append(rng.choice(["<script>", "<SCRIPT type=\"text/javascript\">", "<script src=x>"]))
            out.append("var x = 'hello world'; // comment")
            out.append(rng.choice(["</script>", "</SCRIPT> after script", "x</script>y"]))
        elif r < 0.68:
            out.append("<a href=\"http://example.org/%s\">%s</a> %s" % (
                rng.choice(WORDS[lang]), prose_line(rng, lang, 3), rng.choice(ENTITY_BITS)))
        elif r < 0.72:
            out.append("<!--" + prose_line(rng, lang, 2) + "-->")
        elif r < 0.76:
            out.append("<img alt=\"unclosed tag " + prose_line(rng, lang, 2))
            out.append(prose_line(rng, lang, 3) + "\">" + prose_line(rng, lang, 3))
        else:
            out.append(prose_line(rng, lang, rng.randint(1, 10)))
    out.append("</body></html>")
    return out


def c_source(rng, lang, nlines):
    out = ["/* " + prose_line(rng, lang, 5)]
    out.append(" * " + prose_line(rng, lang, 4) + " */")
    out.append("#include <stdio.h>")
    for _ in range(nlines):
        r = rng.random()
        if r < 0.3:
            out.append("int %s = %d; // %s" % (rng.choice(WORDS["en"]), rng.randint(0, 99),
                                               prose_line(rng, lang, 3)))
        elif r < 0.45:
            out.append("/* " + prose_line(rng, lang, 3))
            out.append(prose_line(rng, lang, 3) + " */ " + prose_line(rng, lang, 2))
        elif r < 0.55:
            out.append("printf(\"%s\\n\"); /* x */ /* y */ z" % prose_line(rng, lang, 3))
        elif r < 0.6:
            out.append("a = b /*/ c */ d; e = f // g /* h")
        else:
            out.append(prose_line(rng, lang, rng.randint(1, 8)))
    return out


def xml_doc(rng, lang, nlines):
    out = [rng.choice(["<?xml version=\"1.0\" encoding=\"UTF-8\"?>", "<?XML version='1.0'?>"])]
    out.append("<root>")
    for _ in range(nlines):
        r = rng.random()
        if r < 0.5:
            out.append("<item id=\"%d\">%s</item>" % (rng.randint(1, 9), prose_line(rng, lang, 5)))
        elif r < 0.6:
            out.append("<!-- " + prose_line(rng, lang, 3))
            out.append(prose_line(rng, lang, 2) + " -->")
        elif r < 0.7:
            out.append("<note>" + rng.choice(ENTITY_BITS) + " " + prose_line(rng, lang, 3) + "</note>")
        else:
            out.append(prose_line(rng, lang, rng.randint(1, 8)))
    out.append("</root>")
    return out


def php_doc(rng, lang, nlines):
    out = ["<?php", "// " + prose_line(rng, lang, 3), "$x = \"%s\";" % prose_line(rng, lang, 3),
           "/* " + prose_line(rng, lang, 3), prose_line(rng, lang, 2) + " */", "?>"]
    out += html_doc(rng, lang, nlines)
    out.append("<?PHP echo 'x'; ?> " + prose_line(rng, lang, 3))
    return out


TORTURE_ALPHABET = (list("abcdefsxivtn") * 3 + list("ABCSXIVT") + list("éèêëàâäæœßÆŒÄÖÜöüçñÿþÐðØ×÷ŠšŽžŸ")
                    + list("-'’_:\\/.@0123456789") * 2 + list("  \t\u00a0\x08\x0c,;!?&#<>*{}[]()%+\"")
                    + ["&amp;", "&eacute;", "&#233;", "&quot;", "--", "<!--", "-->", "/*", "*/", "//",
                       "<script", "/script>", "<?php", "php", "<?xml", "?>", "REM", "ł", "→", "Ā", "€", "…",
                       "&nbsp;", "&#160;", "&#8212;", "'s", "n't", "ics", "ss", "es"])


def torture_line(rng):
    n = rng.randint(1, 60)
    return "".join(rng.choice(TORTURE_ALPHABET) for _ in range(n))


def tie_words(rng, n):
    """Words whose sort keys coincide: accent and case variants of a few stems."""
    variants = {"a": "aàáâãåA", "e": "eéèêëE", "i": "iìíîïI", "o": "oòóôõøO", "u": "uùúûU",
                "c": "cçC", "n": "nñN", "y": "yýÿY"}
    stems = ["cafe", "resume", "naive", "aero", "ouie", "noel", "cure", "anne", "yuca", "oeuvre"]
    out = []
    for _ in range(n):
        st = rng.choice(stems)
        w = "".join(rng.choice(variants.get(ch, ch)) for ch in st)
        if rng.random() < 0.1:
            w = w.replace("ae", "ä").replace("oe", "ö").replace("ue", "ü")
        if rng.random() < 0.05:
            w = w.replace("ss", "ß")
        out.append(w)
    return out


def raw_bytes_noise(rng):
    return rng.choice([b"\x81", b"\x8d", b"\x8f", b"\x90", b"\x9d", b"\xc0\x80", b"\xed\xa0\x80",
                       b"\xe2\x82", b"\xf5\x80\x80\x80", b"\xc3", b"\xe9t\xe9", b"\xff\xfe",
                       b"\xc3\xa9", b"\xf0\x9f\x98\x80", b"\xef\xbb\xbf", b"\x80", b"\xa0",
                       b"\x00", b"\x00\x00", b"\xfe", b"\xff", b"\x0b"])


# ---------------------------------------------------------------- encoding

def to_cp1252_text(s):
    out = []
    for ch in s:
        try:
            ch.encode("cp1252")
            out.append(ch)
        except UnicodeEncodeError:
            out.append("?")
    return "".join(out)


def encode(lines, enc, eol_mode, rng):
    def eol():
        if eol_mode == "mixed":
            return rng.choice(["\r\n", "\n", "\r"])
        return eol_mode
    text = "".join(l + eol() for l in lines)
    if rng.random() < 0.2 and text:
        text = text.rstrip("\r\n")  # no final line end
    if enc == "utf8":
        return text.encode("utf-8")
    if enc == "utf8bom":
        return b"\xef\xbb\xbf" + text.encode("utf-8")
    if enc == "cp1252":
        return to_cp1252_text(text).encode("cp1252")
    if enc == "mixed":  # UTF-8 with stray Windows-1252 bytes
        out = bytearray()
        for ch in text:
            if ord(ch) >= 0x80 and rng.random() < 0.3:
                try:
                    out += ch.encode("cp1252")
                    continue
                except UnicodeEncodeError:
                    pass
            out += ch.encode("utf-8")
        return bytes(out)
    if enc in ("utf16le", "utf16be"):
        # keep characters whose two bytes are not control bytes, mostly
        text = "".join(ch if (ord(ch) < 0x100 or rng.random() < 0.002) else "x" for ch in text)
        text = text.replace("\x08", " ").replace("\x0c", " ")
        if enc == "utf16le":
            return b"\xff\xfe" + text.encode("utf-16-le")
        return b"\xfe\xff" + text.encode("utf-16-be")
    raise ValueError(enc)


# ---------------------------------------------------------------- parameters

MARKER_PAIRS = [("{", "}"), ("#", ""), ("[[", "]]"), ("REM", ""), ("%", "%"), ("", "x"), ("?", ""),
                ("<", ">"), ("(*", "*)"), ("!", ""), ("&", ";"), ("ab", ""), ("", ""), ("/*", "*/"),
                ("--", ""), ("[", "]"), ("{{", "}"), ("1", ""), ("_x", "x_"), ("é", ""), ("<!--", "-->"),
                ('"', ""), ("'", "'"), ("<?", "?>"), ("&#", ";"), ("É", "È"), (" {", "} "), ("/", "/ "),
                ("Š", ""), ("š", "Ž"), ("Œ", "œ"), ("ž", ""), ("Ÿ", ""), ("×", "÷"), ("«", "»")]


def q(s):
    return '"' + s.replace('"', '""') + '"'


def random_params(rng, vocab, common_path):
    def chk():
        r = rng.random()
        return 2 if r < 0.03 else (1 if r < 0.5 else 0)
    ign = []
    if rng.random() < 0.5:
        for _ in range(rng.randint(1, 6)):
            w = rng.choice(vocab)
            if rng.random() < 0.3:
                w = w.upper()
            ign.append(w)
        if rng.random() < 0.15:
            ign.append(rng.choice(["x1", "+", "a_b", "e-mail", "it's", "a.b", "naïve", "C:x", "œuvre", "Žena", "Žena é",
                                   "a\"b", "ÿ", "Ÿves", "x;y", "a/b", "a\\b", "@x", "Ž", "ß"]))
    sep_choices = [" ", "  ", ", ", ",", " , "]
    words_to_ignore = "".join(w + rng.choice(sep_choices) for w in ign)
    if rng.random() < 0.3:
        words_to_ignore = "  " + words_to_ignore
    p0 = rng.choice(MARKER_PAIRS)
    p1 = rng.choice(MARKER_PAIRS) if rng.random() < 0.5 else ("", "")
    f = {}
    f[1], f[2], f[3] = q(""), q(""), q(words_to_ignore.rstrip(",") if rng.random() < 0.5 else words_to_ignore)
    f[4], f[5], f[6], f[7] = q(p0[0]), q(p0[1]), q(p1[0]), q(p1[1])
    f[8], f[9], f[10] = str(rng.choice([0, 0, 1, 1, 1, 2, 3, 7])), str(rng.randint(0, 6)), \
        str(rng.choice([0, 0, 1, 7]))
    for i in range(11, 35):
        f[i] = str(chk())
    f[29] = "0"
    if rng.random() < 0.6:
        f[12] = "0"
    f[13] = str(1 if (common_path and rng.random() < 0.7) else (0 if rng.random() < 0.8 else 2))
    if rng.random() < 0.6:
        f[11] = "1"
    f[35] = str(rng.randint(0, 1))
    f[36] = str(rng.randint(0, 9))
    cp = common_path or ""
    if cp and rng.random() < 0.1:
        cp = "  " + cp + " "
    f[37] = q(cp)
    return f


def params_bytes(f, rng):
    eol = rng.choice(["\r\n", "\r\n", "\n"])
    text = "".join(f[i] + eol for i in range(1, 38))
    if rng.random() < 0.2:
        try:
            return text.encode("cp1252")
        except UnicodeEncodeError:
            pass
    return text.encode("utf-8")


def common_words_file(rng, lang):
    lines = ["/* common words of " + lang + " */"]
    words = WORDS[lang][:60]
    for i in range(0, len(words), 7):
        chunk = words[i:i + 7]
        if rng.random() < 0.3:
            chunk = [w.upper() if rng.random() < 0.3 else w for w in chunk]
        line = " ".join(chunk)
        r = rng.random()
        if r < 0.15:
            line += " // trailing comment with words"
        elif r < 0.25:
            line = "  " + line + " /* inline */ x.y. it's e-mail"
        lines.append(line)
    if rng.random() < 0.3:
        lines += ["/* multi", "line comment */ cats doesn"]
    enc = rng.choice(["utf8", "cp1252", "utf8bom"])
    eol = rng.choice(["\r\n", "\n", "\r"])
    return encode(lines, enc, eol, rng)


# ---------------------------------------------------------------- cases

EXTS = ["txt", "txt", "TXT", "md", "", "html", "htm", "shtml", "xhtml", "HTML", "php", "xml", "c",
        "cpp", "C", "h", "csv"]


def make_case(rng, idx, workdir):
    lang = rng.choice(list(WORDS))
    ext = rng.choice(EXTS)
    nlines = rng.choice([1, 3, 10, 30, 80, 200])
    e = ext.lower()
    if e == "php":
        lines = php_doc(rng, lang, nlines)
    elif e == "xml":
        lines = xml_doc(rng, lang, nlines)
    elif "htm" in e:
        lines = html_doc(rng, lang, nlines)
    elif e in ("c", "cpp", "h"):
        lines = c_source(rng, lang, nlines)
    else:
        lines = prose(rng, lang, nlines)
    kind = rng.random()
    if kind < 0.25:
        lines = [torture_line(rng) for _ in range(rng.randint(1, 60))]
        desc_kind = "torture"
    elif kind < 0.35:
        tw = tie_words(rng, rng.randint(20, 600))
        lines = [" ".join(tw[i:i + 9]) for i in range(0, len(tw), 9)]
        desc_kind = "ties"
    elif kind < 0.37:
        lines = ["x" * 65000 + rng.choice(["abcde", "s", "ab-", ""]) + " tail", "second line " * 3]
        desc_kind = "hugeword"
    elif kind < 0.42:
        lines = lines * rng.randint(5, 40)
        desc_kind = "large"
    else:
        desc_kind = "text"
    if rng.random() < 0.03:
        lines = []
    enc = rng.choices(["utf8", "utf8bom", "cp1252", "mixed", "utf16le", "utf16be"],
                      [40, 8, 25, 10, 10, 5])[0]
    eol = rng.choice(["\r\n", "\r\n", "\n", "\n", "\r", "mixed"])
    data = encode(lines, enc, eol, rng)
    if enc in ("utf8", "cp1252", "mixed") and rng.random() < 0.15:
        parts = data.split(b" ")
        for _ in range(rng.randint(1, 6)):
            i = rng.randrange(len(parts))
            parts[i] = parts[i] + raw_bytes_noise(rng) + (b"word" if rng.random() < 0.5 else b"")
        data = b" ".join(parts)
    if rng.random() < 0.01:
        data = bytes(rng.randrange(256) for _ in range(rng.randint(50, 3000)))
    name = "in%04d" % idx + ("." + ext if ext else "")
    folder = workdir
    if rng.random() < 0.1:
        folder = os.path.join(workdir, rng.choice(["d.html", "x.c", "v1.2"]))
        os.makedirs(folder, exist_ok=True)
    inp = os.path.join(folder, name)
    with open(inp, "wb") as fh:
        fh.write(data)
    params = None
    desc = desc_kind + " lang=%s ext=%s enc=%s eol=%r lines=%d" % (lang, ext or "(none)", enc, eol, len(lines))
    if rng.random() < 0.85:
        common = None
        if rng.random() < 0.35:
            common = os.path.join(workdir, "cw%04d.txt" % idx)
            body = common_words_file(rng, lang)
            r = rng.random()
            if r < 0.03:
                common += ".missing"
            elif r < 0.06:
                body = b"\xff\xfe" + body.decode("latin-1").encode("utf-16-le")
            with open(os.path.join(workdir, "cw%04d.txt" % idx), "wb") as fh:
                fh.write(body)
        f = random_params(rng, WORDS[lang] * 8 + SPECIALS[:20], common)
        params = os.path.join(workdir, "p%04d.kvx" % idx)
        with open(params, "wb") as fh:
            fh.write(params_bytes(f, rng))
    use_o = rng.random() < 0.1
    return inp, params, use_o, desc


def run(cmd, out_path):
    env = dict(os.environ, LC_ALL="C")
    if out_path and os.path.exists(out_path):
        os.remove(out_path)
    r = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env, timeout=300)
    body = r.stdout
    if out_path:
        body = open(out_path, "rb").read() if os.path.exists(out_path) else b"<no file>"
    return r.returncode, body, r.stderr


def show_diff(label, a, b):
    al = a.decode("utf-8", "replace").splitlines(True)
    bl = b.decode("utf-8", "replace").splitlines(True)
    d = list(difflib.unified_diff(bl, al, "reference " + label, "kvx-count " + label, n=2))
    print("".join(repr(x)[1:-1] + "\n" for x in d[:40]))


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--kvx-count", required=True)
    ap.add_argument("--data", default="")
    ap.add_argument("--cases", type=int, default=100)
    ap.add_argument("--seed", type=int, default=1)
    ap.add_argument("--keep", default="")
    ap.add_argument("--verbose", action="store_true")
    a = ap.parse_args()
    rng = random.Random(a.seed)
    workdir = a.keep or tempfile.mkdtemp(prefix="kvxdiff")
    os.makedirs(workdir, exist_ok=True)
    cases = []
    # a fixed case over the installed common-words file
    cw = os.path.join(a.data, "cwds_en.txt") if a.data else ""
    failures = 0
    tally = {"listed": 0, "no words": 0, "refused": 0}
    for idx in range(a.cases):
        inp, params, use_o, desc = make_case(rng, idx, workdir)
        if idx == 0 and cw and os.path.exists(cw):
            f = random_params(rng, WORDS["en"], cw)
            f[13] = "1"
            params = os.path.join(workdir, "p%04d.kvx" % idx)
            with open(params, "wb") as fh:
                fh.write(params_bytes(f, rng))
        args = []
        if params:
            args += ["-p", params]
        outk = outr = None
        if use_o:
            outk = os.path.join(workdir, "outk%04d.txt" % idx)
            outr = os.path.join(workdir, "outr%04d.txt" % idx)
        k = run([a.kvx_count] + args + (["-o", outk] if outk else []) + [inp], outk)
        r = run([sys.executable, REF] + args + (["-o", outr] if outr else []) + [inp], outr)
        ok = k == r
        tally["refused" if k[0] != 0 else ("listed" if k[1] else "no words")] += 1
        if a.verbose:
            print("case %d %s %s" % (idx, "ok" if ok else "DIFF", desc))
        if not ok:
            failures += 1
            print("=== MISMATCH case %d (seed %d): %s" % (idx, a.seed, desc))
            print("input:", inp)
            if params:
                print("params:", open(params, "rb").read().decode("utf-8", "replace").replace("\r", "").replace("\n", " | "))
            if k[0] != r[0]:
                print("exit status: kvx-count %d, reference %d" % (k[0], r[0]))
            if k[1] != r[1]:
                show_diff("listing", k[1], r[1])
            if k[2] != r[2]:
                show_diff("stderr", k[2], r[2])
    if not a.keep:
        shutil.rmtree(workdir, ignore_errors=True)
    print("%d cases, seed %d (%s): %d mismatches" % (
        a.cases, a.seed, ", ".join("%d %s" % (v, k) for k, v in tally.items()), failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
