#!/usr/bin/python3
"""What a screen reader finds of one program on the accessibility bus,
as JSON on standard output: its windows, each a tree of objects with role,
name, a text field's text, states, the names of the objects that label it, and its children
in the order a reader meets them.

  read_accessible.py APPLICATION [SECONDS]

Waits up to SECONDS (10) for the application to show a window. Runs with
the system's Python, which has pyatspi (python3-pyatspi), on the session
bus of DBUS_SESSION_BUS_ADDRESS."""

import json
import sys
import time

import pyatspi


def node(accessible, depth=0):
    states = accessible.getState()
    labelled_by = []
    for relation in accessible.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            labelled_by += [relation.getTarget(i).name for i in range(relation.getNTargets())]
    children = [node(accessible.getChildAtIndex(i), depth + 1) for i in range(accessible.childCount)] \
        if depth < 12 else []
    text = ""
    if accessible.getRoleName() == "text":
        field = accessible.queryText()
        text = field.getText(0, field.characterCount)
    return {
        "text": text,
        "role": accessible.getRoleName(),
        "name": accessible.name,
        "description": accessible.description,
        "showing": states.contains(pyatspi.STATE_SHOWING),
        "focusable": states.contains(pyatspi.STATE_FOCUSABLE),
        "labelled_by": labelled_by,
        "children": children,
    }


def application(name):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        app = desktop.getChildAtIndex(i)
        if app is not None and app.name == name:
            return app
    return None


def main():
    name = sys.argv[1]
    deadline = time.monotonic() + (float(sys.argv[2]) if len(sys.argv) > 2 else 10.0)
    while True:
        app = application(name)
        windows = [app.getChildAtIndex(i) for i in range(app.childCount)] if app else []
        shown = [w for w in windows if w is not None and w.getState().contains(pyatspi.STATE_SHOWING)]
        if shown or time.monotonic() > deadline:
            break
        time.sleep(0.2)
    json.dump([node(window) for window in shown], sys.stdout, ensure_ascii=False, indent=1)
    return 0 if shown else 1


if __name__ == "__main__":
    sys.exit(main())
