#!/usr/bin/python3
"""A screen reader's path: find the player on the accessibility bus, find "Play" by name, press
it, and read the display's time move on from "Elapsed 00:00"."""
import sys
import time

import pyatspi


def fresh(accessible):
    # The client library caches names; the display's time is read anew each time.
    clear = getattr(accessible, "clear_cache", None)
    if clear is not None:
        clear()
    return accessible


def find(root, wanted, depth=0):
    if root is None or depth > 30:
        return None
    try:
        if wanted(root):
            return root
        children = list(root)
    except Exception:  # an object that went away while we looked
        return None
    for child in children:
        found = find(child, wanted, depth + 1)
        if found is not None:
            return found
    return None


def wait_for(what, probe, seconds=30):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        found = probe()
        if found:
            return found
        time.sleep(0.2)
    sys.exit("not found: " + what)


def player():
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.name.lower().startswith("sonatrix"):
            return app
    return None


def name_of(accessible):
    return fresh(accessible).name or ""


app = wait_for("the player on the accessibility bus", player)
display = wait_for(
    'the display at "Elapsed 00:00"',
    lambda: find(fresh(app), lambda a: (a.name or "").startswith("Elapsed 00:00,")))
play = wait_for(
    'an enabled "Play" button',
    lambda: find(fresh(app), lambda a: a.name == "Play" and a.getRole() == pyatspi.ROLE_PUSH_BUTTON
                 and a.getState().contains(pyatspi.STATE_ENABLED)))
action = play.queryAction()
names = [action.getName(i) for i in range(action.nActions)]
action.doAction(names.index("Press") if "Press" in names else 0)
later = wait_for(
    "the display past 00:00",
    lambda: (lambda text: text if text.startswith("Elapsed ") and not text.startswith(
        "Elapsed 00:00,") else None)(name_of(display)))
print(later)
