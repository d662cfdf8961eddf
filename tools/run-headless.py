#!/usr/bin/env python3
"""Starts Scrivlet under Wine on a virtual display, types a short sample,
saves a screenshot as build/scrivlet.png, prints its path and closes."""

import shutil
import sys
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
from harness import BUILD, IDNO, Session  # noqa: E402

SAMPLE = "Scrivlet shows its text as printed pages. é€"

with Session("headless-run", characters=SAMPLE) as session:
    session.type(SAMPLE)
    session.screenshot_after_change(session.initial, "sample")
    shot = BUILD / "scrivlet.png"
    shutil.copy(session.path("sample"), shot)
    code, boxes = session.close()
    if boxes:
        session.press_button(IDNO)
print(f"No display: Scrivlet ran on a virtual one. Screenshot: {shot}")
