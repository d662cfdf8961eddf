"""File > Print through the real Print dialog to a private CUPS-PDF queue: the
PDF holds the screen's display lines, page by page where the paper breaks them,
on a 6-inch column centred on the paper from 1.5 inches below its top, each page
numbered (N) below its text. A cancelled dialog prints nothing, and with no
printer queue at all the command ends and the program goes on."""

from harness import IDCANCEL, IDOK, case, check, poll
from printing import cups_with_queue, jobs, printed_pdf
from harness.page import TEXT_TOP, geometry

INCH = 72  # points
X_TOLERANCE = 2
GLYPH_BELOW_CELL = 8  # how far below its cell's top a word's box may start (6 pt for the 32-point face)


def open_print_dialog(s):
    s.menu("alt+f", "p")
    poll("the Print dialog", lambda: [box for box in s.dialogs() if box["caption"] == "Print"])


def print_through_the_dialog(s, name):
    open_print_dialog(s)
    s.press_button(IDOK)
    return printed_pdf(s, name)


def check_pages(s, pages, lines, paper):
    """Checks each page's size, number and words' places, and that its rows hold lines in order."""
    # The pitch is 8 inches over the screen's lines a page, 8 inches at 96 dpi over the
    # height of the caret at the top of the empty page; at the queue's 300 dpi.
    x = geometry(s)[1]
    caret = next(y for y in range(TEXT_TOP, s.initial.height) if s.initial.pixel(x, y) != (0, 0, 0)) - TEXT_TOP
    pitch = 2400 // (768 // caret) * INCH / 300
    printed = []
    for number, (width, height, words) in enumerate(pages, 1):
        check((round(width), round(height)) == paper, f"page {number} measures {width} x {height} pt")
        left, top, foot = (width - 6 * INCH) / 2, 1.5 * INCH, height - 1.5 * INCH
        *words, (label, x0, y0, x1, y1) = sorted(words, key=lambda word: word[2])
        check(label == f"({number})" and abs((x0 + x1) / 2 - width / 2) <= X_TOLERANCE
              and 0 <= y0 - (foot + y1 - y0) <= GLYPH_BELOW_CELL, f"page {number}'s number: {label, x0, y0, x1, y1}")
        rows = {}
        for text, x0, y0, _, _ in sorted(words, key=lambda word: word[1]):
            row = round((y0 - top) / pitch)
            check(0 <= y0 - (top + row * pitch) <= GLYPH_BELOW_CELL, f"page {number}: {text!r} at y {y0}")
            check(row in rows or abs(x0 - left) <= X_TOLERANCE, f"page {number}: {text!r} starts a line at x {x0}")
            rows[row] = (rows.get(row, "") + " " + text).strip()
        last = max(rows, default=0)
        full = number == len(pages) or top + (last + 2) * pitch > foot
        check(top + (last + 1) * pitch <= foot and full, f"page {number} breaks after row {last}: {rows}")
        printed += [rows.get(row, "") for row in range(last + 1)]
    check(printed == lines, f"printed lines {printed}, expected {lines}")


@case(before_wine=cups_with_queue("inset A4"))
def print_numbers_pages_and_breaks_them_at_the_paper(s):
    with s.step("the empty document prints one page with only (1), the printable area's offsets subtracted"):
        check_pages(s, print_through_the_dialog(s, "empty"), [""], (595, 842))
    with s.step("type lines for more than one printed page"):
        lines = [f"line {n}" for n in range(1, 22)]
        s.type("\n".join(lines))
        typed = s.screenshot_after_change(s.initial)
    with s.step("Cancel in the Print dialog prints nothing and shows nothing"):
        open_print_dialog(s)
        s.press_button(IDCANCEL)
        check(s.screenshot() == typed and not s.dialogs() and not jobs(s), f"after Cancel: {s.dialogs()}, {jobs(s)}")
    with s.step("print: pages numbered (1), (2), broken where the paper's foot says"):
        pages = print_through_the_dialog(s, "lines")  # and the only PDF: Cancel left none
        check(len(pages) == 2, f"{len(pages)} pages")
        check_pages(s, pages, lines, (595, 842))


@case(before_wine=cups_with_queue("Letter"))
def print_wrapped_lines_as_the_screen_breaks_them(s):
    text = ("Printing keeps the display lines of the screen, so every wrapped line of this paragraph"
            " ends on paper after the same word as it does in the window")
    with s.step("type a paragraph that wraps"):
        s.type(text)
        s.screenshot_after_change(s.initial)
    with s.step("read the screen's lines: Home, Shift+End, Ctrl+C on each"):
        lines = []
        s.key("ctrl+Home")
        while " ".join(lines) != text:
            check(len(lines) < 12, f"the lines {lines} do not make up the paragraph")
            s.key("Home", "shift+End", "ctrl+c")
            lines.append(poll("the line in the clipboard", lambda: (units := s.probe("clipboard"))
                              and (line := "".join(map(chr, units))) not in lines[-1:] and line))
            s.key("Down")
        check(len(lines) > 1, f"the paragraph did not wrap: {lines}")
    with s.step("print on Letter paper: the same lines"):
        check_pages(s, print_through_the_dialog(s, "wrapped"), lines, (612, 792))


@case(before_wine=cups_with_queue(None))
def print_without_a_printer_queue_ends_and_the_program_goes_on(s):
    with s.step("File, Print...: Wine says there is no printer"):
        s.menu("alt+f", "p")
        box = poll("Wine's box", s.dialogs)[0]
        check(box["caption"] != "Can Not Print", f"the program's own box: {box}")
        s.press_button(box["buttons"][0][0])
    with s.step("nothing else shows and the program takes keys"):
        check(s.screenshot() == s.initial and not s.dialogs(), f"after Wine's box: {s.dialogs()}")
        s.type("x")
        s.screenshot_after_change(s.initial)
