#!/usr/bin/python3
"""Reads the message box of a running program through the accessibility
tree, as a screen reader would, and dismisses it with its OK button.

usage: atspi_box.py APP_NAME TIMEOUT_SECONDS
prints one JSON line: {"title", "text", "frames"}, frames being the names of
the program's other top-level windows at that moment; exits 1 when no box
appeared in time."""
import json
import sys
import time

import pyatspi


def find_app(name):
    desktop = pyatspi.Registry.getDesktop(0)
    for i in range(desktop.childCount):
        a = desktop.getChildAtIndex(i)
        if a is not None and a.name == name:
            return a
    return None


def walk(node, depth=0):
    if node is None or depth > 12:
        return
    yield node
    for i in range(node.childCount):
        yield from walk(node.getChildAtIndex(i), depth + 1)


def find_box(app):
    for top in (app.getChildAtIndex(i) for i in range(app.childCount)):
        if top is None:
            continue
        if top.getRole() in (pyatspi.ROLE_ALERT, pyatspi.ROLE_DIALOG):
            return top
    return None


def main():
    name, timeout = sys.argv[1], float(sys.argv[2])
    deadline = time.time() + timeout
    while time.time() < deadline:
        app = find_app(name)
        box = find_box(app) if app else None
        if box is not None:
            labels = [n.name for n in walk(box) if n.getRole() == pyatspi.ROLE_LABEL and n.name]
            buttons = [n for n in walk(box) if n.getRole() == pyatspi.ROLE_PUSH_BUTTON]
            frames = [app.getChildAtIndex(i).name for i in range(app.childCount)
                      if app.getChildAtIndex(i) is not None
                      and app.getChildAtIndex(i).getRole() == pyatspi.ROLE_FRAME]
            print(json.dumps({"title": box.name, "text": "\n".join(labels),
                              "buttons": [b.name for b in buttons], "frames": frames},
                             ensure_ascii=False), flush=True)
            ok = buttons[0].queryAction()
            ok.doAction(0)
            return 0
        time.sleep(0.1)
    desktop = pyatspi.Registry.getDesktop(0)
    seen = [desktop.getChildAtIndex(i).name for i in range(desktop.childCount)
            if desktop.getChildAtIndex(i) is not None]
    app = find_app(name)
    tops = [(t.name, t.getRoleName()) for t in (app.getChildAtIndex(i) for i in range(app.childCount))
            if t is not None] if app else []
    print(json.dumps({"error": "no box", "applications": seen, "windows": tops},
                     ensure_ascii=False), flush=True)
    return 1


sys.exit(main())
