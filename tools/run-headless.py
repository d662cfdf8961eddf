#!/usr/bin/env python3
"""Starts Scrivlet under Wine on a virtual display, types a short sample,
saves a screenshot of the whole window (caption and menu bar included) as
build/scrivlet.png, prints its path and closes."""

import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
from harness import BUILD, IDNO, SCREEN, Session  # noqa: E402

SAMPLE = "Scrivlet shows its text as printed pages. é€"

shot = BUILD / "scrivlet.png"
with Session("headless-run", characters=SAMPLE) as session:
    session.type(SAMPLE)
    session.screenshot_after_change(session.initial)
    # The window's rectangle, cut to the screen it may overhang.
    x, y, width, height = session.frame
    left, top = max(x, 0), max(y, 0)
    right, bottom = min(x + width, SCREEN[0]), min(y + height, SCREEN[1])
    session.screenshot(area=(left, top, right - left, bottom - top)).save_png(shot)
    code, boxes = session.close()
    if boxes:
        session.press_button(IDNO)
print(f"No display: Scrivlet ran on a virtual one. Screenshot: {shot}")
