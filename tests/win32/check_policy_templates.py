#!/usr/bin/env python3
"""The Group Policy templates of resources/policy: well-formed XML; each
policy writes a REG_MULTI_SZ (multiText) under the key and with the value
name that the program reads (win32/os/policy.cpp, campus_policy.h); every
string and presentation the ADMX names is in each language's ADML, and each
multiText has its text box there.

Usage: check_policy_templates.py SOURCE_DIR"""

import os
import re
import sys
import xml.etree.ElementTree as ElementTree

NS = {"p": "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions"}
LANGUAGES = ("de-DE", "en-US")


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def what_the_program_reads(source):
    """(registry key, setting names) as the program's sources spell them."""
    policy_cpp = read(os.path.join(source, "src/platform/win32/os/policy.cpp"))
    key = re.search(r'kPolicyKey = L"([^"]+)"', policy_cpp).group(1).replace("\\\\", "\\")
    header = read(os.path.join(source, "src/check/campus_policy.h"))
    names = set(re.findall(r'k\w+Setting = "(\w+)"', header))
    return key, names


def main():
    source = sys.argv[1]
    folder = os.path.join(source, "resources/policy")
    failures = []

    def expect(condition, message):
        if not condition:
            failures.append(message)

    key, names = what_the_program_reads(source)
    expect(key == r"SOFTWARE\Policies\Hostwarden", f"the program reads {key!r}")
    expect(names == {"CampusDomains", "DynamicPoolPrefixes"}, f"the program's settings: {names}")
    admx = ElementTree.parse(os.path.join(folder, "hostwarden.admx")).getroot()
    written, strings, presentations, boxes = set(), set(), set(), set()
    for policy in admx.iterfind("p:policies/p:policy", NS):
        name = policy.get("name")
        expect(policy.get("class") == "Machine", f"{name}: not a computer setting")
        expect(policy.get("key") == key, f"{name}: key {policy.get('key')!r}, the program reads {key!r}")
        texts = policy.findall("p:elements/*", NS)
        expect(len(texts) == 1 and texts[0].tag.endswith("multiText"), f"{name}: not one multiText (REG_MULTI_SZ)")
        for text in texts:
            written.add(text.get("valueName"))
            expect(text.get("key") in (None, key), f"{name}: its list goes to another key")
            boxes.add(text.get("id"))
        for attribute in ("displayName", "explainText"):
            strings.add(re.fullmatch(r"\$\(string\.(\w+)\)", policy.get(attribute)).group(1))
        presentations.add(re.fullmatch(r"\$\(presentation\.(\w+)\)", policy.get("presentation")).group(1))
    expect(written == names, f"the templates write {written}, the program reads {names}")
    for element in admx.iter():
        for value in element.attrib.values():
            strings.update(re.findall(r"\$\(string\.(\w+)\)", value))
    for language in LANGUAGES:
        adml = ElementTree.parse(os.path.join(folder, language, "hostwarden.adml")).getroot()
        have = {s.get("id") for s in adml.iterfind("p:resources/p:stringTable/p:string", NS)}
        expect(strings <= have, f"{language}: strings missing: {sorted(strings - have)}")
        shown = {p.get("id"): p for p in adml.iterfind("p:resources/p:presentationTable/p:presentation", NS)}
        expect(presentations <= set(shown), f"{language}: presentations missing: {sorted(presentations - set(shown))}")
        refs = {box.get("refId") for p in shown.values() for box in p.iterfind("p:multiTextBox", NS)}
        expect(refs == boxes, f"{language}: text boxes for {sorted(refs)}, lists {sorted(boxes)}")
    for message in failures:
        print("FAIL:", message)
    print("policy templates: " + ("failed" if failures else f"well-formed; {sorted(names)} under {key}"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
