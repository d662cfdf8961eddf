"""Writing and editing with the keyboard alone, with real key events: Return
and Tab, the movement keys, Shift selections, Backspace and Delete across line
ends, Escape; and the picker worked from the keyboard. After every step the
screen equals a full repaint, and the saved file holds the expected text."""

from harness import case, check, poll
from harness.page import PAGE_WIDTH, TEXT_TOP, UNIT, black, geometry
from test_picker import last_row_shown


@case
def write_and_edit_a_document_with_the_keyboard(s):
    # Short lines: no line is cut by the margin at 32 points.
    steps = [
        ("type three lines with Return and Tab", lambda: s.type("one\n\ttwo\nthree")),
        ("Ctrl+Home, End, Delete joins the first two lines", lambda: s.key("ctrl+Home", "End", "Delete")),
        ("Ctrl+End, Home, Backspace joins the last two", lambda: s.key("ctrl+End", "Home", "BackSpace")),
        ("Shift+End selects to the line's end, Delete removes it", lambda: s.key("shift+End", "Delete")),
        ("Return and a new line", lambda: s.type("\nfour")),
        ("Up, then three Shift+Right select three spaces", lambda: s.key("Up", "shift+Right", "shift+Right", "shift+Right")),
        ("Escape drops the selection, Backspace takes one space", lambda: s.key("Escape", "BackSpace")),
        ("Page Down to the last line, Page Up to the start", lambda: s.key("Next", "Prior")),
        ("Shift+Right three times, then type over the selection", lambda: (s.key("shift+Right", "shift+Right", "shift+Right"), s.type("ONE"))),
        ("Shift+Down crosses the line end, Shift+Up returns", lambda: s.key("End", "shift+Down", "shift+Up")),
    ]
    screen = s.initial
    for number, (name, action) in enumerate(steps, 1):
        with s.step(name):
            action()
            screen = s.expect_true_screen(screen, f"step{number}")
    with s.step("save through the dialog and read the file"):
        text = s.saved_text("scrivlet-e2e-keys.txt")
    check(text == "ONE   two\r\nfour", f"the file holds {text!r}")


@case
def the_picker_from_the_keyboard(s):
    panel_left, page_left = geometry(s)
    up_button = (panel_left, UNIT)  # top-left corner of the Up button
    with s.step("Shift+Tab: the text focus mark goes, a frame appears round Up"):
        s.key("shift+Tab")
        framed = s.screenshot_after_change(s.initial, "framed")
        check(not black(framed, page_left + 10, TEXT_TOP - 2), "the line at TextTop - 2 stayed")
        check(black(framed, up_button[0] + 10, up_button[1] - 1), "no frame above the Up button")
    with s.step("Tab to the first cell, Down three times to row 6, Return inserts '<'"):
        s.key("Tab", "Down", "Down", "Down", "Return")
        inserted = s.expect_true_screen(framed, "inserted")
        band = (page_left, TEXT_TOP, PAGE_WIDTH, 40)
        check(inserted.crop(*band) != framed.crop(*band), "nothing appeared in the text")
    with s.step("hold Down until the last row shows, then Return inserts that row's first character"):
        # Steps of one at the system's repeat rate would take minutes to get there.
        s.hold_key("Down")
        poll("the last row", lambda: last_row_shown(s, s.grab()))
        s.release_key("Down")
        s.key("Return")
        s.screenshot_after_change(inserted, "held")
    with s.step("Shift+Tab gives the keyboard back to the text"):
        s.key("shift+Tab")
        back = s.screenshot("back")
        check(black(back, page_left + 10, TEXT_TOP - 2), "the text focus mark did not return")
        check(not black(back, up_button[0] + 10, up_button[1] - 2), "the frame stayed")
    with s.step("save and read the inserted characters"):
        text = s.saved_text("scrivlet-e2e-picker-keys.txt")
    check(len(text) == 2 and text[0] == "<", f"the file holds {text!r}")
    check(ord(text[1]) == 65530, f"held Down inserted code {ord(text[1])}, not the last row's first")
