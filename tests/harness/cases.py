"""The main of a case script: `SCRIPT list` prints its cases, one a line
(CMake registers a CTest test for each); `SCRIPT [options] CASE` runs one in
namespaces of its own."""

import argparse
import os
import sys

from .namespaces import SKIP, Skipped, enter, require_own_namespaces


def expect(condition, message, *context):
    """A case's check: fails it with the message and what it was about."""
    if not condition:
        raise AssertionError(message + "".join(f"\n  {item!r}" for item in context))


def registry():
    """A table of cases and the decorator that fills it:
    CASES, case = registry()."""
    cases = {}

    def case(function):
        cases[function.__name__] = function
        return function

    return cases, case


def list_cases(cases, argv=None):
    """Answers `list`: True when it did."""
    argv = sys.argv if argv is None else argv
    if len(argv) >= 2 and argv[1] == "list":
        print("\n".join(sorted(cases)))
        return True
    return False


def main(cases, program_option):
    """The whole main of a case script: `list` prints the cases; outside,
    run it again in namespaces of its own; inside, run the case named on
    the command line."""
    if list_cases(cases):
        return 0
    code = enter(sys.argv)
    if code is not None:
        return code
    return run_cases(cases, program_option)


# The locale variables the program chooses its language by (gettext's).
LOCALE_VARIABLES = ("LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG")


def use_german_locale():
    """Every case starts as a user the program speaks German to, whatever
    locale the machine running the tests has; a case for another language
    passes its own variables (`english_locale`)."""
    for name in LOCALE_VARIABLES:
        os.environ.pop(name, None)
    os.environ["LANG"] = "C.UTF-8"


def english_locale():
    """The variables of an English-speaking user, to add to the environment."""
    return {"LANGUAGE": "", "LC_ALL": "", "LC_MESSAGES": "", "LANG": "en_US.UTF-8"}


def run_cases(cases, program_option):
    """The inside half of a case script: refuses to run outside its own
    namespaces, then runs the case named on the command line."""
    require_own_namespaces()
    use_german_locale()
    parser = argparse.ArgumentParser()
    parser.add_argument("--inside", action="store_true")
    parser.add_argument(program_option, required=True)
    parser.add_argument("case", choices=sorted(cases))
    args = parser.parse_args()
    try:
        cases[args.case](args)
    except Skipped as why:
        print(f"SKIPPED: {args.case}: {why}")
        return SKIP
    print(f"{args.case}: passed")
    return 0
