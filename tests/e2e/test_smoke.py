"""First end-to-end cases: the program starts with its window and fonts, draws
typed text, repaints no more than it changed, and closes."""

from harness import IDCANCEL, IDNO, IDYES, case, check


@case
def opens_with_courier_new_monospace_and_closes_unchanged(s):
    with s.step("check the window"):
        check(s.window["title"] == "Scrivlet", f"the window's title is {s.window['title']!r}")
        check(len(s.initial.colors()) > 1, f"the client area is one flat colour: {s.path('start')}")
    with s.step("resolve Courier New at character sets 0 and 136"):
        fonts = s.fonts()
    for font in fonts:
        described = f"Courier New at character set {font['charset']} ({font})"
        check(font["face"] == "Courier New", f"{described} reports another face")
        # The advances, not the pitch flag: a CJK monospace face flags itself variable
        # pitch because its ideographs are twice as wide as its Latin letters.
        check(len(set(font["ascii_widths"])) == 1, f"{described} gives ASCII characters different widths")
    check(fonts[1]["has_cjk"], f"Courier New at character set 136 has no CJK ideographs: {fonts[1]}")
    with s.step("close the unchanged document"):
        code, boxes = s.close()
        check(code == 0 and not boxes, f"closing an unchanged document: exit code {code}, dialogs {boxes}")


# Latin-1, the euro sign, Cyrillic and a character outside the BMP.
@case(characters="é€ж😀")
def typing_ascii_and_beyond_then_closing_asks_to_save(s):
    screen = s.initial
    for number, text in enumerate(("Hello, world 0123", "é€ж😀")):
        with s.step(f"type {text!r}: it shows, and a full repaint shows the same"):
            s.type(text)
            screen = s.expect_true_screen(screen, f"typed{number}")
    with s.step("close the changed document"):
        code, boxes = s.close()
        check(code is None and len(boxes) == 1, f"closing a changed document: exit code {code}, dialogs {boxes}")
        box = boxes[0]
        check(box["caption"] == "Save Current File?", f"unexpected message box {box}")
        check("The current file has changed since the last save.\nDo you wish to save the current file?"
              in box["texts"], f"unexpected text {box}")
        check(sorted(id for id, _ in box["buttons"]) == sorted([IDYES, IDNO, IDCANCEL]), f"unexpected buttons {box}")
    with s.step("answer Cancel: the window stays"):
        s.press_button(IDCANCEL)
        check(s.program.poll() is None and not s.dialogs(), "Cancel did not keep the window")
    with s.step("close again and answer No"):
        code, boxes = s.close()
        check(code is None and len(boxes) == 1, f"the second close: exit code {code}, dialogs {boxes}")
        s.press_button(IDNO)
        code, boxes = s.wait_for_exit_or_dialog()
        check(code == 0 and not boxes, f"after No: exit code {code}, dialogs {boxes}")
