#!/usr/bin/env python3
"""Independent, deliberately literal model of `kvx-count [-p PARAMS] [-o OUTPUT] INPUT`.

Written as a slow, step-by-step re-statement of the counting rules so that its
output can be compared byte for byte with the real program.  Positions inside
the procedures are 1-based where the rules are phrased that way.

Usage: kvx_ref.py [-p PARAMS] [-o OUTPUT] INPUT
Prints the listing to stdout (or OUTPUT) and the result labels to stderr, as
the program does under LC_ALL=C.
"""
import os
import sys

sys.setrecursionlimit(100000)

# ---------------------------------------------------------------- characters

CP1252_EXTRA = {  # 0x80-0x9F of Windows-1252 that have a character
    0x80: 0x20AC, 0x82: 0x201A, 0x83: 0x0192, 0x84: 0x201E, 0x85: 0x2026,
    0x86: 0x2020, 0x87: 0x2021, 0x88: 0x02C6, 0x89: 0x2030, 0x8A: 0x0160,
    0x8B: 0x2039, 0x8C: 0x0152, 0x8E: 0x017D, 0x91: 0x2018, 0x92: 0x2019,
    0x93: 0x201C, 0x94: 0x201D, 0x95: 0x2022, 0x96: 0x2013, 0x97: 0x2014,
    0x98: 0x02DC, 0x99: 0x2122, 0x9A: 0x0161, 0x9B: 0x203A, 0x9C: 0x0153,
    0x9E: 0x017E, 0x9F: 0x0178,
}
UNI_TO_CP = {v: k for k, v in CP1252_EXTRA.items()}


def byte_to_char(b):
    """A single byte read as Windows-1252."""
    if b < 0x80 or b >= 0xA0:
        return chr(b)
    if b in CP1252_EXTRA:
        return chr(CP1252_EXTRA[b])
    return chr(b)  # undefined byte: kept as the C1 control of the same value


def code(c):
    """Windows-1252 code of a character; 63 when it has none."""
    o = ord(c)
    if o < 0x80 or 0xA0 <= o <= 0xFF:
        return o
    if o in UNI_TO_CP:
        return UNI_TO_CP[o]
    return 63


def decode_bytes(data):
    """UTF-16 with mark; else valid UTF-8 sequences as UTF-8, other bytes as cp1252."""
    if data[:2] == b'\xff\xfe':
        return data[2:].decode('utf-16-le', errors='replace')
    if data[:2] == b'\xfe\xff':
        return data[2:].decode('utf-16-be', errors='replace')
    out = []
    i = 0
    n = len(data)
    if data[:3] == b'\xef\xbb\xbf':
        i = 3
    while i < n:
        b = data[i]
        if b < 0x80:
            out.append(chr(b))
            i += 1
            continue
        seq = None
        if 0xC2 <= b <= 0xDF:
            ln = 2
        elif 0xE0 <= b <= 0xEF:
            ln = 3
        elif 0xF0 <= b <= 0xF4:
            ln = 4
        else:
            ln = 0
        if ln and i + ln <= n:
            chunk = data[i:i + ln]
            if all(0x80 <= x <= 0xBF for x in chunk[1:]):
                if ln == 2:
                    cp = ((b & 0x1F) << 6) | (chunk[1] & 0x3F)
                    ok = cp >= 0x80
                elif ln == 3:
                    cp = ((b & 0x0F) << 12) | ((chunk[1] & 0x3F) << 6) | (chunk[2] & 0x3F)
                    ok = cp >= 0x800 and not (0xD800 <= cp <= 0xDFFF)
                else:
                    cp = ((b & 0x07) << 18) | ((chunk[1] & 0x3F) << 12) | \
                         ((chunk[2] & 0x3F) << 6) | (chunk[3] & 0x3F)
                    ok = 0x10000 <= cp <= 0x10FFFF
                if ok:
                    seq = chr(cp)
        if seq is not None:
            out.append(seq)
            i += ln
        else:
            out.append(byte_to_char(b))
            i += 1
    return ''.join(out)


def split_lines(text):
    """CR LF, CR alone and LF alone each end a line."""
    lines = []
    cur = []
    i = 0
    n = len(text)
    while i < n:
        c = text[i]
        if c == '\r':
            lines.append(''.join(cur))
            cur = []
            if i + 1 < n and text[i + 1] == '\n':
                i += 1
        elif c == '\n':
            lines.append(''.join(cur))
            cur = []
        else:
            cur.append(c)
        i += 1
    if cur:
        lines.append(''.join(cur))
    return lines


# ---------------------------------------------------------------- tables

UPPER = "ABCDEFGHIJKLMNOPQRSTUVWXYZŠŒŸÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖØÙÚÛÜÝÞ"
LOWER = "abcdefghijklmnopqrstuvwxyzšœÿàáâãäåæçèéêëìíîïðñòóôõöøùúûüýþß"
ALL_LETTERS = UPPER + LOWER
ACCENTED = "ŠŸÀÁÂÃÄÅÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖØÙÚÛÜÝšÿàáâãäåçèéêëìíîïñòóôõöøùúûüý"
BASE = "SYAAAAAACEEEEIIIIDNOOOOOOUUUUYsyaaaaaaceeeeiiiinoooooouuuuy"
LIG = "ŒÄÆÖÜäæöüß"
LIG_SP = "OeAeAeOeUeaeaeoeuess"
VOWELS = "AEIOUaeiouÀÁÂÃÄÅÆÈÉÊËÌÍÎÏÒÓÔÕÖØÙÚÛÜàáâãäåæèéêëìíîïòóôõöøùúûü"
STEMS = "aren couldn didn doesn hadn hasn isn shouldn wasn weren wouldn "
ENTITIES = ("&amp;& &nbsp; &#160; &#8212;— &AElig;Æ &Aacute;Á &Acirc;Â &Agrave;À "
            "&Aring;Å &Atilde;Ã &Auml;Ä &Ccedil;Ç &ETH;Ð &Eacute;É &Ecirc;Ê &Egrave;È "
            "&Euml;Ë &Iacute;Í &Icirc;Î &Igrave;Ì &Iuml;Ï &Ntilde;Ñ &Oacute;Ó &Ocirc;Ô "
            "&Ograve;Ò &Oslash;Ø &Otilde;Õ &Ouml;Ö &THORN;Þ &Uacute;Ú &Ucirc;Û &Ugrave;Ù "
            "&Uuml;Ü &Yacute;Ý &aacute;á &acirc;â &aelig;æ &agrave;à &aring;å &atilde;ã "
            "&auml;ä &ccedil;ç &eacute;é &ecirc;ê &egrave;è &eth;ð &euml;ë &iacute;í "
            "&icirc;î &igrave;ì &iuml;ï &ntilde;ñ &oacute;ó &ocirc;ô &ograve;ò &oslash;ø "
            "&otilde;õ &ouml;ö &szlig;ß &thorn;þ &uacute;ú &ucirc;û &ugrave;ù &uuml;ü "
            "&yacute;ý &yuml;ÿ")
assert len(UPPER) == 59 and len(LOWER) == 60 and len(ACCENTED) == 59 and len(BASE) == 59
assert len(VOWELS) == 60 and len(STEMS) == 63 and len(ENTITIES) == 604
ALL_POSSIBLE_EXTRA = "'0123456789-_@:/.\\"
PROHIBITED = "-'.:,()+"
FORBIDDEN_WORD_CHARS = "+;<>\""


def instr(start, s, sub):
    """1-based position of sub in s at or after start; 0 when absent."""
    if start < 1:
        start = 1
    p = s.find(sub, start - 1)
    return p + 1 if p >= 0 else 0


def ordinary_lower(s):
    out = []
    for c in s:
        o = ord(c)
        if code(c) != 63 or c == '?':
            lc = c.lower()
            out.append(lc if len(lc) == 1 else c)
        else:
            out.append(c)
    return ''.join(out)


def ascii_lower(s):
    return ''.join(chr(ord(c) + 32) if 'A' <= c <= 'Z' else c for c in s)


def ascii_upper(s):
    return ''.join(chr(ord(c) - 32) if 'a' <= c <= 'z' else c for c in s)


def has_no_foldable_letters(s):
    for c in s:
        if c in ACCENTED:
            return False
    return True


def lower_case_ext(s):
    if has_no_foldable_letters(s):
        return ordinary_lower(s)
    out = []
    for c in s:
        k = UPPER.find(c)
        out.append(LOWER[k] if k >= 0 else c)
    return ''.join(out)


def expand_ligatures(s):
    out = []
    for c in s:
        k = LIG.find(c)
        out.append(LIG_SP[2 * k:2 * k + 2] if k >= 0 else c)
    return ''.join(out)


def fold_accents(s):
    out = []
    for c in s:
        k = ACCENTED.find(c)
        out.append(BASE[k] if k >= 0 else c)
    return ''.join(out)


def fold_for_sorting(s):
    return fold_accents(expand_ligatures(s))


def trim_control_chars(s):
    while s and code(s[0]) <= 32:
        s = s[1:]
    while s and code(s[-1]) <= 32:
        s = s[:-1]
    return s


def clean_line(s):
    s = s.replace('\x08', '')
    s = s.replace('\r\n', '\r')
    for c in '\t\n\x0c\r\xa0':
        s = s.replace(c, ' ')
    return s


def replace_double_hyphens(s):
    start = 1
    while True:
        p = instr(start, s, "--")
        if p == 0:
            return s
        before = p > 2 and s[p - 3:p - 1] == "<!"
        after = s[p + 1:p + 2] == ">"
        if not before and not after:
            s = s[:p - 1] + "  " + s[p + 1:]
        start = p + 2


def convert_character_entities(s):
    start = 1
    while True:
        p = instr(start, s, "&")
        if p == 0:
            return s
        q = instr(p, s, ";")
        if q == 0:
            return s
        e = s[p - 1:q]
        if e == "&quot;":
            s = s[:p - 1] + '"' + s[q:]
            start = p + 1
            continue
        k = instr(1, ENTITIES, e)
        if k == 0:
            start = q + 1
        else:
            j = instr(k, ENTITIES, ";")
            s = s[:p - 1] + ENTITIES[j] + s[q:]
            start = p + 1


def is_word_char(c, numerals, extra):
    if c == "":
        return False
    k = code(c)
    if k < 128:
        if 'A' <= c <= 'Z' or 'a' <= c <= 'z':
            return True
        if numerals and '0' <= c <= '9':
            return True
        return c in extra
    return 192 <= k <= 214 or 216 <= k <= 246 or 248 <= k <= 255


def character_entity_length(s):
    if len(s) < 4:
        return 0
    if s.startswith("&#"):
        return 1
    if not s.startswith("&"):
        return 0
    p = instr(1, s, ";")
    if p == 0:
        return 0
    if " " in s[:p - 1] or p > 20:
        return 0
    if not is_word_char(s[1], False, "#"):
        return 0
    return p


def skip_chars_in(s, start, cset):
    if s == "":
        return 0
    if cset == "":
        return 1
    p = max(start, 1)
    while p <= len(s):
        if s[p - 1] not in cset:
            return p
        p += 1
    return len(s) + 1


def find_non_blank(s, start):
    if s == "":
        return 0
    p = max(start, 1)
    while p <= len(s):
        if s[p - 1] != " ":
            return p
        p += 1
    return 0


def remove_chars(s, cset, start=1):
    return s[:start - 1] + ''.join(c for c in s[start - 1:] if c not in cset)


def word_length(s, start, numerals, extra):
    n = 0
    p = start
    while p <= len(s) and n < 65000 and is_word_char(s[p - 1], numerals, extra):
        n += 1
        p += 1
    return n


def trim_final_chars(s, cset):
    if cset == "":
        return s
    while s and s[-1] in cset:
        s = s[:-1]
    return s


def starts_with_vowel(s, lower_only):
    if s == "":
        return False
    table = lower_case_ext(VOWELS) if lower_only else VOWELS
    return s[0] in table


def is_contraction_stem(w):
    return (ascii_lower(w) + " ") in STEMS


# ---------------------------------------------------------------- parameters

class Params:
    def __init__(self):
        self.input_file = ""
        self.output_file = ""
        self.words_to_ignore = ""
        self.start_cm = ["", ""]
        self.end_cm = ["", ""]
        self.short_idx = 1
        self.long_idx = 3
        self.thresh_idx = 0
        self.ignore_short = 1
        self.ignore_infrequent = 0
        self.ignore_common = 0
        self.ignore_repetitions = 1
        self.ignore_romnum = 1
        self.ignore_noletter = 1
        self.case_significant = 0
        self.drop_final_s = 1
        self.hyphens = 1
        self.apostrophes = 0
        self.underscores = 0
        self.colons = 0
        self.backslashes = 0
        self.forwardslashes = 0
        self.periods = 0
        self.atsigns = 0
        self.numerals = 0
        self.commas = 0
        self.allow_cm = 0
        self.warn_overwrite = 1
        self.save_on_quit = 0
        self.suppress = 0
        self.disable_output = 0
        self.word_order = 0
        self.display_format = 0
        self.common_words_file = ""


class Refusal(Exception):
    pass


def read_params(path):
    data = open(path, 'rb').read()
    text = decode_bytes(data)
    raw = text.split('\n')
    lines = [l[:-1] if l.endswith('\r') else l for l in raw]
    if len(lines) < 37:
        raise Refusal("params too short")

    def s(i):
        v = lines[i - 1]
        if len(v) >= 2 and v[0] == '"' and v[-1] == '"':
            v = v[1:-1].replace('""', '"')
        return v

    def n(i):
        return int(round(float(lines[i - 1].strip())))

    p = Params()
    p.input_file, p.output_file, p.words_to_ignore = s(1), s(2), s(3)
    p.start_cm[0], p.end_cm[0], p.start_cm[1], p.end_cm[1] = s(4), s(5), s(6), s(7)
    p.short_idx, p.long_idx, p.thresh_idx = n(8), n(9), n(10)
    names = {11: 'ignore_short', 12: 'ignore_infrequent', 13: 'ignore_common',
             14: 'ignore_repetitions', 15: 'ignore_romnum', 16: 'ignore_noletter',
             17: 'case_significant', 18: 'drop_final_s', 19: 'hyphens', 20: 'apostrophes',
             21: 'underscores', 22: 'colons', 23: 'backslashes', 24: 'forwardslashes',
             25: 'periods', 26: 'atsigns', 27: 'numerals', 28: 'commas', 30: 'allow_cm',
             31: 'warn_overwrite', 32: 'save_on_quit', 33: 'suppress', 34: 'disable_output'}
    for i, name in names.items():
        v = n(i)
        if v < 0 or v > 2:
            raise Refusal("bad check value")
        setattr(p, name, v)
    p.word_order, p.display_format = n(35), n(36)
    p.common_words_file = s(37)
    for idx, cnt in ((p.short_idx, 8), (p.long_idx, 7), (p.thresh_idx, 8),
                     (p.word_order, 2), (p.display_format, 10)):
        if idx == -1:
            raise Refusal("Invalid combo box index")
        if idx < -1 or idx >= cnt:
            raise Refusal("bad index")
    return p


def normalise_words_to_ignore(t):
    """Returns (box text, list string)."""
    t = t.strip(' ')
    if t == "":
        return "", ""
    t = lower_case_ext(t)
    t = t.replace(',', ' ')
    while '  ' in t:
        t = t.replace('  ', ' ')
    t = t.strip(' ')
    words = t.split(' ')
    uniq = []
    for w in words:
        if w not in uniq:
            uniq.append(w)
    if len(uniq) > 1:
        uniq = sort_strings(uniq)
    box = ' '.join(uniq)
    return box, ' ' + box + ' '


def sort_strings(a):
    a = list(a)

    def qs(lo, hi):
        if lo >= hi:
            return
        i, j = lo, hi
        pivot = a[lo + (hi - lo) // 2]
        while i <= j:
            while i < hi and a[i] > pivot:
                i += 1
            while j > lo and a[j] < pivot:
                j -= 1
            if i <= j:
                if i < j:
                    a[i], a[j] = a[j], a[i]
                i += 1
                j -= 1
        if lo < j:
            qs(lo, j)
        if i < hi:
            qs(i, hi)
    qs(0, len(a) - 1)
    a.reverse()
    return a


def allowed_extra_chars(p):
    s = ""
    for flag, ch in ((p.hyphens, "-"), (p.apostrophes, "'"), (p.underscores, "_"),
                     (p.colons, ":"), (p.backslashes, "\\"), (p.forwardslashes, "/"),
                     (p.periods, "."), (p.atsigns, "@"), (p.numerals, "0123456789")):
        if flag == 1:
            s += ch
    return s


def check_allowed_extra_chars(box, extra):
    if box == "":
        return None
    for c in box:
        if c in ALL_LETTERS or c == " " or c in extra:
            continue
        msg = "The character " + c + " occurs in some word to ignore\nbut is not "
        if c not in FORBIDDEN_WORD_CHARS:
            msg += "currently set as "
        msg += "a character allowed in a word."
        if c == ",":
            msg += "\n\nWords-to-ignore must be separated by a space, not by a comma."
        return msg
    return None


# ---------------------------------------------------------------- counting

KINDS = {
    "C": [("/*", "*/"), ("//", "")],
    "XML": [("<?xml", "?>"), ("<!--", "-->"), ("<", ">")],
    "HTML": [("&", ";"), ("<script", "/script>"), ("<style", "/style>"), ("<!--", "-->"), ("<", ">")],
    "PHP": [("&", ";"), ("<script", "/script>"), ("<style", "/style>"), ("<!--", "-->"),
            ("<?php", "php"), ("<", ">"), ("/*", "*/"), ("//", "")],
}


class Counter:
    def __init__(self, p):
        self.p = p
        self.start_marker = [""] * 10
        self.end_marker = [""] * 10
        self.num_markers = 0
        self.entities = False
        self.within = -1
        self.reading = False
        self.extra = ""
        self.line = ""
        self.lp = 1
        self.comments_possible = False
        self.words_to_ignore = ""
        self.common = []
        self.total = 0
        self.table = [None]  # slot 0 unused
        self.num_words = 0

    # comment kinds
    def set_comment_markers(self, kind):
        if kind == "User-defined":
            pairs = [(self.p.start_cm[0], self.p.end_cm[0]), (self.p.start_cm[1], self.p.end_cm[1])]
        elif kind in KINDS:
            pairs = KINDS[kind]
        else:
            self.start_marker[0] = self.end_marker[0] = ""
            self.start_marker[1] = self.end_marker[1] = ""
            self.num_markers = 0
            return
        for i, (a, b) in enumerate(pairs):
            self.start_marker[i] = a
            self.end_marker[i] = b
        self.num_markers = len(pairs)

    def comment_markers_ok(self):
        s0, s1 = self.p.start_cm
        e0, e1 = self.p.end_cm
        if s0 == "" and s1 == "":
            return False
        for s, e in ((s0, e0), (s1, e1)):
            if e != "" and s == "":
                return False
        for s, e in ((s0, e0), (s1, e1)):
            if s != "" and s == e:
                return False
        extra = allowed_extra_chars(self.p)
        for s in (s0, s1):
            if s != "" and word_length(s, 1, self.p.numerals == 1, extra) == len(s):
                return False
        return True

    def set_comment_markers_for_extension(self, ext):
        self.entities = False
        if ext == "php":
            self.set_comment_markers("PHP")
            self.entities = True
        elif ext == "xml":
            self.set_comment_markers("XML")
        elif "htm" in ext:
            self.set_comment_markers("HTML")
            self.entities = True
        elif ext == "cpp" or ext == "c":
            self.set_comment_markers("C")
        else:
            if self.p.allow_cm != 0:
                if not self.comment_markers_ok():
                    return False
                self.set_comment_markers("User-defined")
            else:
                self.set_comment_markers("None")
        return True

    # scanner
    def find_start_comment_marker(self):
        if self.num_markers == 0:
            return -1
        for i in range(self.num_markers):
            m = self.start_marker[i]
            if m == "":
                continue
            seg = self.line[self.lp - 1:self.lp - 1 + len(m)]
            if ordinary_lower(seg) == ordinary_lower(m):
                if m == "&" and self.end_marker[i] == ";" and self.entities:
                    if character_entity_length(self.line[self.lp - 1:]) > 0:
                        return i
                    return -1
                return i
        return -1

    def skip_comment(self):
        k = self.within
        end = self.end_marker[k]
        if end == "":
            self.lp = len(self.line) + 1
            self.within = -1
            return
        if self.line[self.lp - 1:self.lp + 1] == "&#" and self.entities:
            self.lp = skip_chars_in(self.line, self.lp + 2, ALL_LETTERS + "0123456789" + ";")
            return
        p = instr(self.lp, ordinary_lower(self.line), ordinary_lower(end))
        if p == 0:
            self.lp = len(self.line) + 1
        else:
            self.lp = p + len(end)
            self.within = -1

    def get_next_word(self):
        n = word_length(self.line, self.lp, False, self.extra)
        w = self.line[self.lp - 1:self.lp - 1 + n]
        if w == "":
            return ""
        self.lp += n
        w = trim_final_chars(w, PROHIBITED)
        if self.p.drop_final_s == 1 and not self.reading:
            lw = ascii_lower(w)
            if lw[-3:] == "ics" and len(w) >= 3 or lw == "maths" or lw == "stats":
                pass
            elif len(w) > 2 and w[-1] == "s" and w[-2:] != "ss" and w[-2:] != "'s" \
                    and not starts_with_vowel(w[-2], True):
                w = w[:-1]
        if self.p.apostrophes == 0 and not self.reading:
            lw = ascii_lower(w)
            if lw == "s" or lw == "t" or is_contraction_stem(w):
                w = ""
        return w

    def scan_line(self):
        self.line = clean_line(self.line)
        if self.reading:
            self.comments_possible = True
        else:
            self.comments_possible = self.num_markers > 0
            self.line = replace_double_hyphens(self.line)
            if self.entities:
                self.line = convert_character_entities(self.line)
        self.lp = 1
        while True:
            if not self.lp < len(self.line):
                return
            if self.comments_possible:
                if self.within == -1:
                    self.within = self.find_start_comment_marker()
                while self.within >= 0:
                    self.skip_comment()
                    if self.lp > len(self.line):
                        return
                    if self.line[self.lp - 1:] == " ":
                        self.within = -1
                        return
                    self.within = self.find_start_comment_marker()
            initial = remove_chars(self.extra, PROHIBITED)
            c = self.line[self.lp - 1] if self.lp <= len(self.line) else ""
            if is_word_char(c, False, initial):
                w = self.get_next_word()
                if w != "":
                    if self.reading:
                        self.add_word_to_list(w)
                    else:
                        self.total += 1
                        self.get_words2(w)
            else:
                self.lp = find_non_blank(self.line, self.lp + 1)
                if self.lp == 0:
                    return

    def get_words2(self, w):
        k = lower_case_ext(w)
        if (" " + k + " ") in self.words_to_ignore:
            return
        if self.p.ignore_common == 1 and search_sorted_strings(k, self.common):
            return
        self.add_word_to_list(w)

    # word table
    def reset_table(self):
        self.table = [None]
        self.num_words = 0

    def find_word(self, key):
        n = self.num_words
        t = self.table
        if n == 0:
            return 0
        if key < t[1][0] or key > t[n][0]:
            return 0
        if n == 1:
            return 1
        lo, hi, mid = 1, n, n // 2
        while True:
            if key == t[mid][0]:
                return mid
            if key < t[mid][0]:
                if mid == lo:
                    return 0
                hi = mid - 1
                mid = mid - (mid - lo + 1) // 2
            else:
                if mid == hi:
                    return 0
                lo = mid + 1
                mid = mid + (hi - mid + 1) // 2

    def store_new_word(self, w):
        # [word, key, freq, rank, next, included]
        rec = [w, lower_case_ext(fold_for_sorting(w)), 1, 0, 0, True]
        if len(self.table) <= self.num_words:
            self.table.append(rec)
        else:
            self.table[self.num_words] = rec

    def insert_new_word(self):
        n = self.num_words
        t = self.table
        w = t[n][0]
        if w > t[n - 1][0]:
            return
        saved = t[n]
        i = 1
        while not (t[i][0] > w):
            i += 1
        for m in range(n - 1, i - 1, -1):
            t[m + 1] = t[m]
        t[i] = saved

    def add_word_to_list(self, w):
        if len(w) > 80:
            return
        if self.num_words == 0:
            self.num_words = 1
            self.store_new_word(w)
            return
        k = self.find_word(w)
        if k:
            self.table[k][2] += 1
            return
        self.num_words += 1
        self.store_new_word(w)
        self.insert_new_word()


def search_sorted_strings(key, a):
    n = len(a)
    if n == 0:
        return False
    if key < a[0] or key > a[n - 1]:
        return False
    if n == 1:
        return True
    lo, hi, mid = 1, n, n // 2
    while True:
        v = a[mid - 1]
        if key == v:
            return True
        if key < v:
            if mid == lo:
                return False
            hi = mid - 1
            mid = mid - (mid - lo + 1) // 2
        else:
            if mid == hi:
                return False
            lo = mid + 1
            mid = mid + (hi - mid + 1) // 2


# ---------------------------------------------------------------- text check

def anomalous(b):
    return b < 32 and b not in (8, 9, 10, 12, 13)


def text_file_kind_tolerant(data, maxb=16384, tol=0.1, allow_unicode=True):
    if len(data) == 0:
        return -2, 32, 0, 0.0
    bad, pos, pct = 32, 0, 0.0
    n_anom = 0
    examined = 0
    lf = cr = False
    off = 0
    while off < len(data):
        block = data[off:off + 16384]
        off += len(block)
        kept = block[:maxb]
        uni = 0
        for i, b in enumerate(kept):
            if b == 10:
                lf = True
            elif b == 13:
                cr = True
            elif allow_unicode and b in (0, 254, 255):
                uni += 1
            elif anomalous(b):
                n_anom += 1
                if bad == 32:
                    bad = b
                    pos = examined + i + 1
        examined += len(kept) - (uni if allow_unicode else 0)
        pct = n_anom * 100 / examined if examined != 0 else 0.0
        if pct > tol:
            return 0, bad, pos, pct
        if examined >= maxb:
            break
    if cr and not lf:
        return 3, bad, pos, pct
    if lf and not cr:
        return 2, bad, pos, pct
    return 1, bad, pos, pct


def text_file_kind_strict(data, maxb=16384):
    if len(data) == 0:
        return -2
    lf = cr = False
    examined = 0
    off = 0
    while off < len(data):
        block = data[off:off + 16384]
        off += len(block)
        kept = block[:max(0, maxb - examined)]
        for b in kept:
            if b == 10:
                lf = True
            elif b == 13:
                cr = True
            elif anomalous(b) or b == 0:
                return 0
        examined += len(kept)
        if examined >= maxb:
            break
    if cr and not lf:
        return 3
    if lf and not cr:
        return 2
    return 1


def fmt_pct(x):
    s = "%.4f" % x
    if s.startswith("0."):
        s = s[1:]
    return s


# ---------------------------------------------------------------- ranking

def sort_word_list(t, lo, hi, start):
    if lo >= hi:
        return

    def key(r):
        return r[1][start - 1:]

    def qsd(lo, hi):
        if lo >= hi:
            return
        i, j = lo, hi
        pivot = key(t[lo + (hi - lo) // 2])
        while i <= j:
            while i < hi and key(t[i]) > pivot:
                i += 1
            while j > lo and key(t[j]) < pivot:
                j -= 1
            if i <= j:
                if i < j:
                    t[i], t[j] = t[j], t[i]
                i += 1
                j -= 1
        if lo < j:
            qsd(lo, j)
        if i < hi:
            qsd(i, hi)
    qsd(lo, hi)
    a, b = lo, hi
    while a < b:
        t[a], t[b] = t[b], t[a]
        a += 1
        b -= 1


def order_equal_keys(t, n):
    for i in range(1, n):
        for j in range(i + 1, n + 1):
            if t[i][1] == t[j][1] and t[i][0] > t[j][0]:
                t[i], t[j] = t[j], t[i]


def is_repetition(w):
    if w == "":
        return False
    return remove_chars(w, w[0]) == ""


def is_roman_numeral(w):
    u = ascii_upper(w.strip(' '))
    if u == "I":
        return False
    return remove_chars(u, "IVX") == ""


LETTER_SET = set("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz") | \
    set(chr(c) for c in range(0xC0, 0x100) if c not in (0xD7, 0xF7)) | set("ŠšŒœŸ")


def lacks_letter(w):
    for c in w:
        if c in LETTER_SET:
            return False
    return True


# ---------------------------------------------------------------- the run

def count(p, input_path, input_data):
    out_lines = []
    err = []
    c = Counter(p)

    box, c.words_to_ignore = normalise_words_to_ignore(p.words_to_ignore)

    # common words, loaded in loading mode
    if p.ignore_common == 1:
        path = p.common_words_file.strip(' ')
        if path == "":
            raise Refusal("no common words file")
        if not os.path.isfile(path):
            raise Refusal("File for common words not found.")
        cdata = open(path, 'rb').read()
        if text_file_kind_strict(cdata) == 0:
            raise Refusal("This is not a text file.")
        c.reading = True
        c.extra = ALL_POSSIBLE_EXTRA
        c.reset_table()
        c.set_comment_markers("C")
        c.within = -1
        for line in split_lines(decode_bytes(cdata)):
            line = line.strip(' ')
            if line != "":
                c.line = lower_case_ext(line) + " "
                c.scan_line()
        c.common = [c.table[i][0] for i in range(1, c.num_words + 1)]
        c.reading = False
    else:
        c.set_comment_markers("C")

    extra = allowed_extra_chars(p)
    msg = check_allowed_extra_chars(box, extra)
    if msg is not None:
        raise Refusal(msg)
    c.extra = extra

    kind, bad, pos, pct = text_file_kind_tolerant(input_data)
    if kind == 0:
        m = input_path + " is not a text file.\n\n"
        if pct > 0.1:
            m += ("This file contains a byte %d at position %d, indicating that it does not "
                  "consist solely of text.\nThe percentage of such anomalous bytes in the first "
                  "16384 bytes is %s%%.\n\n") % (bad, pos, fmt_pct(pct))
        if len(input_data) < 102400:
            m += ("You could try reading it using its associated application, then copying the "
                  "text and pasting it\ninto the textbox (then copy it to the clipboard and "
                  "select 'Clipboard' as the source).")
        raise Refusal(m)

    c.reset_table()
    last = input_path.rsplit('/', 1)[-1]
    ext = last.rsplit('.', 1)[1] if '.' in last else ""
    c.set_comment_markers_for_extension(ext.lower())
    c.within = -1
    for line in split_lines(decode_bytes(input_data)):
        if len(line) >= 2 and ((line[0] == '\xff' and line[1] == '\xfe') or
                               (line[0] == '\xfe' and line[1] == '\xff')):
            line = line[2:]
        line = trim_control_chars(line)
        if line != "":
            if p.case_significant != 1:
                line = lower_case_ext(line)
            c.line = line + " "
            c.scan_line()

    t = c.table
    n = c.num_words
    sort_word_list(t, 1, n, 1)
    if p.case_significant == 1:
        order_equal_keys(t, n)

    # filter
    for i in range(1, n + 1):
        r = t[i]
        r[5] = True
        w = r[0]
        if p.ignore_infrequent == 1 and r[2] < p.thresh_idx + 2:
            r[5] = False
        elif p.ignore_short == 1 and len(w) < p.short_idx + 2:
            r[5] = False
        elif len(w) > 20 + 10 * p.long_idx:
            r[5] = False
        elif p.ignore_repetitions == 1 and len(w) > 1 and is_repetition(w) and not ('0' <= w[0] <= '9'):
            r[5] = False
        elif p.ignore_romnum == 1 and is_roman_numeral(w):
            r[5] = False
        elif p.ignore_noletter == 1 and lacks_letter(w):
            r[5] = False

    # counters
    maxlen = included = maxfreq = excluded = occ = 0
    for i in range(1, n + 1):
        r = t[i]
        if not r[5]:
            excluded += 1
        else:
            included += 1
            occ += r[2]
            if r[2] > maxfreq:
                maxfreq = r[2]
            if len(r[0]) > maxlen:
                maxlen = len(r[0])

    # frequency chain
    for i in range(1, n + 1):
        t[i][3] = 0
        t[i][4] = 0
    first = 0
    rr = 0
    for f in range(maxfreq, 0, -1):
        for i in range(1, n + 1):
            if t[i][5] and t[i][2] == f:
                rr += 1
                t[i][3] = rr
                if rr == 1:
                    first = i
    if first != 0:
        prev = first
        rr = 1
        while True:
            for k in range(1, n + 1):
                if t[k][3] == rr + 1:
                    t[prev][4] = k
                    prev = k
                    break
            if rr == included:
                break
            rr += 1

    # result labels
    def R(x):
        wdt = len(str(c.total)) + 1
        s = " " * wdt + str(x)
        return s[-wdt:]
    labels = ["Number of words in this list:" + R(included)]
    head = ("No. of words ignored (other than common words):"
            if (c.words_to_ignore != "" or p.ignore_common == 1) else "Number of words ignored:")
    labels.append(head + R(excluded))
    if occ > 0:
        labels.append("Number of instances of words in this list:" + R(occ))
    labels.append("Total number of instances of words:" + R(c.total))

    if included == 0:
        if n == 0:
            err.append("No words satisfying the conditions were found.")
        else:
            k = p.short_idx + 1
            l1 = "No words with more than " + str(k) + " letter" + ("s" if k > 1 else "")
            if p.ignore_infrequent != 1:
                l2 = "occur at least once."
            elif p.thresh_idx == 0:
                l2 = "occur at least twice."
            else:
                l2 = "occur at least " + str(p.thresh_idx + 2) + " times."
            err.append(l1)
            err.append(l2)
        err.extend(labels)
        return None, err

    # listing, in the output-file form
    rw = max(len(str(included)), 6)
    fw = max(len(str(maxfreq)), 6)
    ww = max(maxlen, 6)
    fmt = p.display_format
    comma = p.commas == 1

    def line_for(i):
        if i == 0:
            R_, F_, W_ = "Rank".rjust(rw), "Freq".rjust(fw), "Word".ljust(ww)
        else:
            R_ = str(t[i][3]).rjust(rw)
            F_ = str(t[i][2]).rjust(fw)
            W_ = t[i][0].strip(' ').ljust(ww)
        Wp = W_.rstrip(' ')
        if not comma:
            lay = [" " + R_ + "  " + F_ + "  " + Wp, " " + R_ + "  " + W_ + "  " + F_,
                   " " + R_ + "  " + F_, " " + R_ + "  " + Wp, " " + F_ + "  " + R_,
                   "  " + F_ + "  " + Wp, "  " + W_ + " " + R_, "  " + W_ + " " + F_,
                   W_.strip(' '), W_.strip(' ')]
        else:
            lay = ["  " + R_ + ",  " + F_ + ",  " + Wp, "  " + R_ + ",  " + W_ + ",  " + F_,
                   "  " + R_ + ",  " + F_, "  " + R_ + ",  " + Wp, "  " + F_ + ",  " + R_,
                   "  " + F_ + ",  " + Wp, "  " + W_ + ", " + R_, "  " + W_ + ", " + F_,
                   W_.strip(' '), W_.strip(' ')]
        s = lay[fmt]
        if i == 0 and fmt in (0, 3, 5, 8):
            s = s.rstrip(' ') + " (longest has " + str(maxlen) + " characters)"
        if fmt == 8:
            s = s.strip(' ')
        return s

    order = []
    if p.word_order == 1:
        for i in range(1, n + 1):
            if t[i][5]:
                order.append(i)
    else:
        i = first
        for _ in range(included):
            order.append(i)
            i = t[i][4]
    if fmt == 9:
        text = ", ".join(t[i][0].strip(' ') for i in order)
    else:
        text = "".join(line_for(i) + "\r\n" for i in [0] + order)
    err.extend(labels)
    return text, err


def main(argv):
    params = None
    output = None
    args = argv[1:]
    inp = None
    while args:
        a = args.pop(0)
        if a == '-p':
            params = args.pop(0)
        elif a == '-o':
            output = args.pop(0)
        else:
            inp = a
    try:
        p = read_params(params) if params else Params()
        if not os.path.isfile(inp):
            raise Refusal("Input file does not exist.")
        data = open(inp, 'rb').read()
        text, err = count(p, inp, data)
    except Refusal as r:
        sys.stderr.buffer.write((str(r) + "\n").encode('utf-8'))
        return 1
    if text is not None:
        b = text.encode('utf-8')
        if output:
            open(output, 'wb').write(b)
        else:
            sys.stdout.buffer.write(b)
            sys.stdout.flush()
    sys.stderr.buffer.write(("".join(e + "\n" for e in err)).encode('utf-8'))
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
