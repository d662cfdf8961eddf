"""Scrivlet's page view, pixel for pixel, against the same lines drawn the plain
way (plain_text.c: one TextOutW a unit, at cells from its ABC widths) at 8, 32
and 72 points: ASCII, CJK, combining marks, a surrogate pair, and glyphs that
overhang their cells on the left and on the right."""

import json
import select
from pathlib import Path

from harness import OUT, TIMEOUT, Failure, case, check, compile_windows_helper, run
from harness.page import PAGE_WIDTH, TEXT_TOP, geometry

PLAIN_TEXT_SOURCE = Path(__file__).with_name("plain_text.c")
PLAIN_TEXT = OUT / "plain_text.exe"
NAME = "scrivlet-e2e-pixels.txt"  # in the prefix's drive C
POINT_SIZES = (8, 32, 72)
POINT_SIZE_COMMAND = 44000  # + the point size
PAGE_HEIGHT = 768  # 8 inches


def overhanging_units(s):
    """Two units whose A width is negative and two whose C width is, at every size."""
    found = [json.loads(run(["wine", str(PLAIN_TEXT), "--overhangs", str(points)], env=s.env))
             for points in POINT_SIZES]
    negative_a, negative_c = ([unit for unit in found[0][side] if all(unit in f[side] for f in found)]
                              for side in ("negative_a", "negative_c"))
    check(len(negative_a) >= 2 and len(negative_c) >= 2, f"too few overhanging glyphs: {found}")
    return [chr(unit) for unit in negative_a[:2] + negative_c[:2]]


def document_lines(s):
    """An empty first line for the caret, which a point-size change puts at the
    start: it is never compared. Then short lines, none wrapped even at 72 points,
    and few, so that all of them show at 72 points."""
    left_a, right_a, left_c, right_c = overhanging_units(s)
    return [
        "",
        f"{left_a}{left_c}x{right_a}{right_c}",  # overhangs into the neighbouring cells
        "中文字Ag",
        "e\u0301a\u0308\U0001F600",  # combining marks; a surrogate pair, drawn a unit at a time
    ]


@case
def the_page_shows_text_as_plain_textout_draws_it(s):
    with s.step("build plain_text and pick glyphs that overhang at every size"):
        compile_windows_helper(PLAIN_TEXT_SOURCE, PLAIN_TEXT)
        lines = document_lines(s)
    s.drive_c(NAME, b"\xff\xfe" + "\r\n".join(lines).encode("utf-16-le"))
    _, left = geometry(s)
    width, height = s.client[2], s.client[3]
    with s.step("open the document through the Open dialog"):
        s.choose_in_file_dialog("o", f"C:\\{NAME}")
        s.screenshot_after_change(s.initial)
    for points in POINT_SIZES:
        with s.step(f"{points} points: the screen equals a full repaint"):
            s.probe("time-command", str(POINT_SIZE_COMMAND + points))
            shown = s.check_full_repaint(s.screenshot(f"scrivlet-{points}"), f"at {points} points")
        with s.step(f"{points} points: plain_text draws the same lines"):
            arguments = [f"C:\\{NAME}", str(points), str(left), str(TEXT_TOP), str(width), str(height)]
            with s.helper_window(PLAIN_TEXT, arguments, "PlainText") as helper:
                # The line plain_text prints once it has painted.
                check(select.select([helper.stdout], [], [], TIMEOUT)[0], "plain_text did not report its paint")
                report = json.loads(helper.stdout.readline() or "null")
                check(report, "plain_text ended before it painted")
                plain = s.settled_grab(report["client"])
            plain.save_png(s.folder / f"plain-{points}.png")
            line_height = report["line_height"]
            for k in range(1, len(lines)):
                band = (left, TEXT_TOP + k * line_height, PAGE_WIDTH, line_height)
                check((k + 1) * line_height <= PAGE_HEIGHT and band[1] + line_height <= height,
                      f"line {k} is not wholly on the first page and the screen at {points} points")
                mine, theirs = shown.crop(*band), plain.crop(*band)
                if mine != theirs:
                    mine.save_png(s.folder / f"line{k}-{points}-scrivlet.png")
                    theirs.save_png(s.folder / f"line{k}-{points}-plain.png")
                    raise Failure(f"line {k} ({lines[k]!r}) at {points} points differs in the box (x, y,"
                                  f" width, height) {mine.difference(theirs)} from client {band[:2]}")
