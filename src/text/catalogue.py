#!/usr/bin/env python3
"""The text catalogue for the build, the translators and the tests.

The German of every text is in catalogue.def beside this file, one line a
text; each other language is a gettext PO file in po/ (msgctxt = the
text's name, msgid = its German, msgstr = the translation).

  catalogue.py english OUT   writes the English texts as C++ string literals,
                             one a line in catalogue.def's order, for
                             catalogue.cpp to include; fails when a text has
                             no English or the English is for another German
  catalogue.py version OUT   writes the version block's texts (Version*) in
                             German and English as #defines for the
                             Windows program's resource script
  catalogue.py pot OUT       writes the translators' template
  catalogue.py check-pot POT fails when the template is not current
"""

import os
import re
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
DEF_FILE = os.path.join(HERE, "catalogue.def")
PO_DIR = os.path.join(HERE, "..", "..", "po")

LINE = re.compile(r'^HW_TEXT\((\w+), ((?:"(?:[^"\\]|\\.)*"\s*)+)\)$')
LITERAL = re.compile(r'"((?:[^"\\]|\\.)*)"')
ESCAPES = {"r": "\r", "n": "\n", '"': '"', "\\": "\\"}


class CatalogueError(Exception):
    pass


def unescape(body, where):
    def one(match):
        letter = match.group(1)
        if letter not in ESCAPES:
            raise CatalogueError(f"{where}: the escape \\{letter} is not one of \\r \\n \\\" \\\\")
        return ESCAPES[letter]
    return re.sub(r"\\(.)", one, body)


def escape(text):
    return (text.replace("\\", "\\\\").replace('"', '\\"').replace("\r", "\\r").replace("\n", "\\n"))


def german_texts(path=DEF_FILE):
    """[(name, German)] in the catalogue's order."""
    texts, names = [], set()
    with open(path, encoding="utf-8") as lines:
        for number, line in enumerate(lines, 1):
            line = line.strip()
            if not line or line.startswith("//"):
                continue
            where = f"{path}:{number}"
            match = LINE.match(line)
            if not match:
                raise CatalogueError(f"{where}: not a HW_TEXT(Name, \"German\") line")
            name = match.group(1)
            if name in names:
                raise CatalogueError(f"{where}: {name} twice")
            names.add(name)
            texts.append((name, "".join(unescape(b, where) for b in LITERAL.findall(match.group(2)))))
    return texts


def read_po(path):
    """{msgctxt: (msgid, msgstr, flags)} of a PO file; the header is left out."""
    entries, entry, field = {}, {}, None

    def finish():
        if "msgid" in entry and entry.get("msgctxt") is not None:
            entries[entry["msgctxt"]] = (entry["msgid"], entry.get("msgstr", ""), entry.get("flags", set()))

    with open(path, encoding="utf-8") as lines:
        for number, line in enumerate(lines, 1):
            line = line.rstrip("\n")
            where = f"{path}:{number}"
            if not line.strip():
                finish()
                entry, field = {}, None
            elif line.startswith("#,"):
                entry.setdefault("flags", set()).update(f.strip() for f in line[2:].split(","))
            elif line.startswith("#"):
                continue
            elif line.startswith('"'):
                if field is None:
                    raise CatalogueError(f"{where}: a string outside an entry")
                entry[field] += unescape(line.strip()[1:-1], where)
            else:
                keyword, _, rest = line.partition(" ")
                if keyword not in ("msgctxt", "msgid", "msgstr"):
                    raise CatalogueError(f"{where}: {keyword} is not used in this catalogue")
                field = keyword
                entry[field] = unescape(rest.strip()[1:-1], where)
    finish()
    return entries


def translated_texts(language, german=None):
    """{name: text} of the language's PO file, every text of the catalogue in
    it, translated, and translated from the German the catalogue has now."""
    german = german if german is not None else german_texts()
    path = os.path.join(PO_DIR, f"{language}.po")
    entries = read_po(path)
    faults, texts = [], {}
    for name, original in german:
        if name not in entries:
            faults.append(f"{name} has no entry")
            continue
        msgid, msgstr, flags = entries[name]
        if msgid != original:
            faults.append(f"{name} translates another German text: {msgid!r}, now {original!r}")
        elif not msgstr or "fuzzy" in flags:
            faults.append(f"{name} is not translated")
        elif placeholders(msgstr) != placeholders(original):
            faults.append(f"{name} has the values {placeholders(msgstr)}, the German {placeholders(original)}")
        texts[name] = msgstr
    unknown = sorted(set(entries) - {name for name, _ in german})
    faults += [f"{name} is no text of the catalogue" for name in unknown]
    if faults:
        raise CatalogueError(f"{path}:\n  " + "\n  ".join(faults))
    return texts


def placeholders(text):
    return sorted(set(re.findall(r"%[1-9]", text)))


def po_string(keyword, text):
    """A PO string, split after each line break as translators expect."""
    parts = re.findall(r"[^\n]*\n|[^\n]+$", text) or [""]
    if len(parts) == 1:
        return f'{keyword} "{escape(parts[0])}"\n'
    return f'{keyword} ""\n' + "".join(f'"{escape(p)}"\n' for p in parts)


def entry(name, msgid, msgstr):
    flags = "#, qt-format\n" if placeholders(msgid) else ""
    return flags + po_string("msgctxt", name) + po_string("msgid", msgid) + po_string("msgstr", msgstr)


POT_HEADER = ('msgid ""\nmsgstr ""\n"Project-Id-Version: hostwarden\\n"\n"MIME-Version: 1.0\\n"\n'
              '"Content-Type: text/plain; charset=UTF-8\\n"\n"Content-Transfer-Encoding: 8bit\\n"\n')


def pot_text():
    return POT_HEADER + "".join("\n" + entry(name, text, "") for name, text in german_texts())


def english_include():
    german = german_texts()
    english = translated_texts("en", german)
    return "".join(f'"{escape(english[name])}",  // {name}\n' for name, _ in german)


def version_header():
    german = german_texts()
    english = translated_texts("en", german)
    lines = ["// Made by catalogue.py from the text catalogue.\n"]
    for name, text in german:
        if name.startswith("Version"):
            lines.append(f'#define HW_{name}_DE "{escape(text)}"\n')
            lines.append(f'#define HW_{name}_EN "{escape(english[name])}"\n')
    return "".join(lines)


def write_if_changed(path, text):
    try:
        with open(path, encoding="utf-8") as old:
            if old.read() == text:
                return
    except FileNotFoundError:
        pass
    with open(path, "w", encoding="utf-8") as out:
        out.write(text)


def main(argv):
    try:
        if len(argv) == 3 and argv[1] == "english":
            write_if_changed(argv[2], english_include())
        elif len(argv) == 3 and argv[1] == "version":
            write_if_changed(argv[2], version_header())
        elif len(argv) == 3 and argv[1] == "pot":
            write_if_changed(argv[2], pot_text())
        elif len(argv) == 3 and argv[1] == "check-pot":
            with open(argv[2], encoding="utf-8") as pot:
                if pot.read() != pot_text():
                    raise CatalogueError(f"{argv[2]} is not current: run {argv[0]} pot {argv[2]}")
        else:
            print(__doc__, file=sys.stderr)
            return 2
    except CatalogueError as fault:
        print(f"catalogue: {fault}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
