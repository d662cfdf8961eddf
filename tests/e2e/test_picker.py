"""The page view's pixel facts at 96 dpi, and the character picker worked with
the mouse: a cell inserts its character, Down held steps and speeds up."""

import time

from harness import case, check, poll
from harness.page import PAGE_WIDTH, TEXT_TOP, UNIT, black, geometry, near_black, picker_button

def last_row_shown(s, image):
    """Row 6553: its cells 6 to 9, past code 65535, are crossed out."""
    centres = [picker_button(s, 6 + cell, 2) for cell in range(6, 10)]
    return all(near_black(image, x + dx, y + dy) for x, y in centres for dx in (-9, 9) for dy in (-9, 9))


def distinct_pictures(s, area, count):
    """Grabs the client rectangle area until it has shown count different
    pictures, the first included: for a change that runs on by itself, a held
    button. A grab can miss a picture; the wait then runs longer."""
    seen = []

    def enough():
        picture = s.grab().crop(*area)
        if picture not in seen:
            seen.append(picture)
        return len(seen) >= count

    poll(f"{count} different pictures of {area}", enough)


def caret_columns(image, page_left):
    """Columns right of the page's left edge that hold a black run of 40 pixels from TEXT_TOP: the caret."""
    return [x for x in range(page_left, page_left + PAGE_WIDTH)
            if all(black(image, x, y) for y in range(TEXT_TOP, TEXT_TOP + 40))]


@case
def pixel_facts_at_96_dpi(s):
    screen = s.initial
    panel_left, page_left = geometry(s)
    with s.step("the picker frame and its buttons"):
        for x in (panel_left, panel_left + 3 * UNIT, panel_left + 6 * UNIT, panel_left + 16 * UNIT - 1):
            check(all(black(screen, x, y) for y in range(UNIT + 1, 2 * UNIT)), f"no vertical border at x {x}")
        for y in (UNIT, 3 * UNIT - 1):
            check(all(black(screen, x, y) for x in range(panel_left, panel_left + 16 * UNIT)), f"no border at y {y}")
    with s.step("the top border, the text focus mark and the caret"):
        for y in (TEXT_TOP - 1, TEXT_TOP - 2):
            check(all(black(screen, x, y) for x in range(page_left, page_left + PAGE_WIDTH)), f"no line at y {y}")
        check(not black(screen, page_left + 10, TEXT_TOP - 3), "a third line above the text")
        check(caret_columns(screen, page_left) == [page_left], "the caret is not at the page's left edge")
    with s.step("the caret after typed text"):
        s.type("Hello")
        typed = s.screenshot_after_change(screen, "typed")
        columns = caret_columns(typed, page_left)
        check(len(columns) == 1 and columns[0] > page_left + 5 * 10, f"caret columns after typing: {columns}")


@case
def picker_cell_inserts_its_character(s):
    _, page_left = geometry(s)
    with s.step("click the cell of code 33: it shows, and a full repaint shows the same"):
        s.click(*picker_button(s, 6 + 3, 2))
        clicked = s.expect_true_screen(s.initial, "clicked")
    text_band = (page_left, TEXT_TOP, PAGE_WIDTH, 40)
    check(clicked.crop(*text_band) != s.initial.crop(*text_band), "nothing appeared in the text")
    check(not black(clicked, page_left + 10, TEXT_TOP - 2), "the text focus mark stayed: the picker has the keyboard")
    check(black(clicked, page_left + 10, TEXT_TOP - 1), "the top border went away")


@case
def holding_down_accelerates_and_stops_at_release(s):
    panel_left, _ = geometry(s)
    band = (panel_left + 3 * UNIT, UNIT, 13 * UNIT, 2 * UNIT)  # the row label and the cells
    with s.step("hold Down until the row has shown 16 pictures"):
        s.mouse_down(*picker_button(s, 1, 2))
        distinct_pictures(s, band, 16)
        s.mouse_up()
        poll("the program to let the mouse go", lambda: s.probe("focus")["capture"] == 0)
        released = s.screenshot("released")
    with s.step("the row stays where the release left it"):
        # Not a wait but a look: five periods of the autorepeat, which the release stopped.
        time.sleep(0.5)
        check(s.screenshot() == released, "the row kept changing after the release")
    with s.step("26 presses of Up do not bring the row back to 3"):
        # Fifteen steps of one would leave the row at 19 at most, and 26 presses
        # bring that back to 3; ten steps of one, then of ten, take it past 50.
        for _ in range(26):
            s.click(*picker_button(s, 1, 1))
        stepped = s.check_full_repaint(s.screenshot("stepped"), "after the presses")
        check(stepped.crop(*band) != s.initial.crop(*band), "the row went back to 3: no acceleration")
