"""The real X mouse and the real clipboard. Presses put the caret where the
pixels say, Shift presses select and flip the selection across its anchor, a
press in the text takes the keyboard back from the picker. Copy reaches another
Wine program unit for unit and X as UTF-8, X text pastes with CR LF line ends,
and Cut while another program holds the clipboard open deletes nothing. After
every step the screen equals a full repaint; the saved file holds the text."""

import itertools
import select
import subprocess

from harness import PROBE, TIMEOUT, case, check, poll
from harness.page import PAGE_WIDTH, TEXT_TOP, black, geometry

CARET_LEAST_HEIGHT = 40


def caret(image, page_left):
    """(x, top, height) of the caret: the one black vertical run, one pixel wide
    and at least 40 tall, in the first lines of the text."""
    rows = [image.row(y) for y in range(TEXT_TOP, TEXT_TOP + 4 * CARET_LEAST_HEIGHT)]
    found = []
    for x in range(page_left, page_left + PAGE_WIDTH):
        y = 0
        for dark, run in itertools.groupby(row[3 * x : 3 * x + 3] == b"\0\0\0" for row in rows):
            length = len(list(run))
            middle = TEXT_TOP + y + length // 2
            if dark and length >= CARET_LEAST_HEIGHT and not black(image, x - 1, middle) and not black(image, x + 1, middle):
                found.append((x, TEXT_TOP + y, length))
            y += length
    check(len(found) == 1, f"expected one caret, found {found}")
    return found[0]


@case
def presses_place_the_caret_and_shift_presses_select(s):
    _, page_left = geometry(s)
    with s.step("type two lines; the caret gives the cell width and the line height"):
        s.type("abcdef")
        screen = s.expect_true_screen(s.initial, "first-line")
        x, top, _ = caret(screen, page_left)
        width = (x - page_left) // 6
        check(width > 0 and x == page_left + 6 * width, f"the caret after six characters stands at x {x}")
        s.type("\nghij")
        screen = s.expect_true_screen(screen, "typed")
        line_height = caret(screen, page_left)[1] - top

    def point(line, index, right_half):
        return page_left + index * width + (3 * width // 4 if right_half else width // 4), \
            top + line * line_height + line_height // 2

    def expect_caret(image, line, index, alone=True):
        """Alone: no other caret, no highlight beside it; else just its column."""
        x, y = page_left + index * width, top + line * line_height
        found = caret(image, page_left)[:2] if alone else None
        shown = all(black(image, x, y + dy) for dy in range(CARET_LEAST_HEIGHT)) and not black(image, x + 1, y + 2)
        check(shown and found in (None, (x, y)), f"no caret in front of unit {index} of line {line} (found {found})")

    def highlighted(image, line, index):
        # The top rows of a line's cell hold no ink: there the highlight shows black.
        return black(image, page_left + index * width + width // 2, top + line * line_height + 2)

    with s.step("a press on the right half of c puts the caret in front of it"):
        s.click(*point(0, 2, True))
        screen = s.expect_true_screen(screen, "c")
        expect_caret(screen, 0, 2)
    with s.step("Shift+Tab gives the picker the keyboard; a press on e takes it back"):
        s.key("shift+Tab")
        picker = s.expect_true_screen(screen, "picker")
        check(not black(picker, page_left + 10, TEXT_TOP - 2), "the text focus mark stayed")
        s.click(*point(0, 4, False))
        screen = s.expect_true_screen(picker, "e")
        check(black(screen, page_left + 10, TEXT_TOP - 2), "the text focus mark did not return")
        check(screen.crop(0, 0, screen.width, TEXT_TOP - 3) == s.initial.crop(0, 0, screen.width, TEXT_TOP - 3),
              "the picker's focus frame stayed")
        expect_caret(screen, 0, 4)
    with s.step("Shift and a press on h select from e to it"):
        s.hold_key("shift")
        s.click(*point(1, 1, True))
        s.release_key("shift")
        screen = s.expect_true_screen(screen, "forward")
        expect_caret(screen, 1, 1, alone=False)
        shown = [highlighted(screen, line, index) for line, index in ((0, 3), (0, 4), (0, 5), (1, 0), (1, 1))]
        check(shown == [False, True, True, True, False], f"highlight of d, e, f, g, h: {shown}")
    with s.step("a second Shift press on b, beyond the anchor, flips the selection to b to d"):
        s.hold_key("shift")
        s.click(*point(0, 1, True))
        s.release_key("shift")
        screen = s.expect_true_screen(screen, "flipped")
        shown = [highlighted(screen, line, index) for line, index in ((0, 0), (0, 1), (0, 3), (0, 4), (1, 0))]
        check(shown == [False, True, True, False, False], f"highlight of a, b, d, e, g: {shown}")
    with s.step("a press below the last line drops the selection and puts the caret at the end"):
        s.click(*point(2, 1, False))
        screen = s.expect_true_screen(screen, "end")
        expect_caret(screen, 1, 4)
        check(not any(highlighted(screen, 0, index) for index in range(6)), "the highlight stayed")
    with s.step("save: the presses changed no text"):
        text = s.saved_text("scrivlet-e2e-mouse.txt")
    check(text == "abcdef\r\nghij", f"the file holds {text!r}")


TEXT = "Grüße, €5\nzwei"


@case(characters=TEXT)
def copy_and_paste_cross_to_x_and_cut_needs_the_clipboard(s):
    with s.step("type, then Edit > Select All"):
        s.type(TEXT)
        screen = s.expect_true_screen(s.initial, "typed")
        s.menu("alt+e", "a")
        screen = s.expect_true_screen(screen, "all")
    with s.step("Ctrl+C: Wine programs get the units, X gets UTF-8 without the CR"):
        s.key("ctrl+c")
        check(s.screenshot() == screen, "Copy changed the screen")
        units = s.probe("clipboard")
        check(units == [ord(c) for c in TEXT.replace("\n", "\r\n")], f"the clipboard holds {units}")
        poll("X to see the copied text", lambda: s.x_clipboard() == TEXT)
    with s.step("X takes the clipboard with LF line ends; Ctrl+V pastes them as CR LF over the selection"):
        s.offer_x_text("one\ntwo")  # once Wine offers it as one CR LF two
        s.key("ctrl+v")
        screen = s.expect_true_screen(screen, "pasted")
    with s.step("Select All, and Cut while another program holds the clipboard open"):
        s.menu("alt+e", "a")
        screen = s.expect_true_screen(screen, "all-again")
        holder = subprocess.Popen(["wine", str(PROBE), "hold-clipboard"], env=s.env, stdin=subprocess.PIPE,
                                  stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        s.stack.callback(s.end_process, holder)
        check(select.select([holder.stdout], [], [], TIMEOUT)[0] and holder.stdout.readline().startswith(b'{"held": true}'),
              "the probe did not hold the clipboard")
        s.menu("alt+e", "t")
        s.answer_box("Can Not Cut", "Can not put the text on the Clipboard")
        check(s.screenshot() == screen, "the failed Cut changed the screen")
        s.check_full_repaint(screen, "after the failed Cut")
        holder.stdin.close()
        holder.wait(timeout=TIMEOUT)
    with s.step("save: the pasted text, whole"):
        text = s.saved_text("scrivlet-e2e-clipboard.txt")
    check(text == "one\r\ntwo", f"the file holds {text!r}")
