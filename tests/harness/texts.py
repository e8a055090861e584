"""The program's texts, read from its catalogue (src/text/catalogue.def, the
German, and po/en.po, the English), so no test keeps a copy of its own.

    from harness import texts
    texts.german("NameSet")                    # exactly as the program shows it
    texts.english("NotConfirmed", name, addr)  # %1, %2 filled in
    texts.lines(text)                          # as the script modes print it
"""

import os
import re
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src", "text"))
import catalogue  # noqa: E402

_GERMAN = dict(catalogue.german_texts())
_ENGLISH = catalogue.translated_texts("en")


def _filled(text, values):
    return re.sub(r"%([1-9])", lambda m: values[int(m.group(1)) - 1] if int(m.group(1)) <= len(values)
                  else m.group(0), text)


def german(name, *values):
    return _filled(_GERMAN[name], values)


def english(name, *values):
    return _filled(_ENGLISH[name], values)


def lines(text):
    """A message box's text as the script modes print it: one line each,
    each ended by a line break."""
    return "".join(line + "\n" for line in text.split("\r\n"))
