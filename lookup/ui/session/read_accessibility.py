"""Reads what the running Tarvel shows a screen reader over AT-SPI, for the real-session test.

Usage: read_accessibility.py lines | box | label TEXT
  lines   the result list's lines, one per output line, after the list's child count
  box     the text of the focused text box
  label   whether a label's accessible name is TEXT ("yes"/"no")
Waits, at most 20 s, for the program to appear on the bus."""
import sys
import time

import pyatspi


def application():
    end = time.monotonic() + 20
    while time.monotonic() < end:
        desktop = pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is not None and app.name.lower().startswith("tarvel"):
                return app
        time.sleep(0.2)
    sys.exit("tarvel is not on the accessibility bus")


def find(node, wanted, depth=0):
    if node is None or depth > 30:
        return []
    found = [node] if wanted(node) else []
    for i in range(node.childCount):
        found += find(node.getChildAtIndex(i), wanted, depth + 1)
    return found


def main():
    app = application()
    what = sys.argv[1]
    if what == "lines":
        lists = find(app, lambda n: n.getRole() == pyatspi.ROLE_LIST)
        if not lists:
            sys.exit("no list on the bus")
        shown = lists[0]
        print(shown.childCount)
        for i in range(shown.childCount):
            print(shown.getChildAtIndex(i).name)
    elif what == "box":
        boxes = find(app, lambda n: n.getRole() == pyatspi.ROLE_TEXT
                     and n.getState().contains(pyatspi.STATE_FOCUSED))
        if not boxes:
            sys.exit("no focused text box")
        text = boxes[0].queryText()
        print(text.getText(0, text.characterCount))
    elif what == "label":
        labels = find(app, lambda n: n.getRole() == pyatspi.ROLE_LABEL and n.name == sys.argv[2])
        print("yes" if labels else "no")


main()
