"""Saving through the real Save As dialog, as a person does it: the menu, a
path typed into the dialog, Enter; the file holds exactly the format's bytes."""

from harness import PREFIX, case, check, poll

TEXT = "Grüße, €5"


@case(characters=TEXT)
def save_through_the_dialog_writes_the_exact_bytes(s):
    target = PREFIX / "drive_c" / "scrivlet-e2e.txt"
    target.unlink(missing_ok=True)
    with s.step("type a text with non-ASCII characters"):
        s.type(TEXT)
        s.screenshot_after_change(s.initial)
    with s.step("File, Save..., type the path, Enter"):
        s.key("alt+f", "s")
        poll("the Save As dialog", lambda: s.dialogs())
        s.type("C:\\scrivlet-e2e.txt")
        s.key("Return")
        poll("the dialog to close and the file to appear", lambda: not s.dialogs() and target.exists())
    expected = b"\xff\xfe" + TEXT.encode("utf-16-le") + b"\x00\x00"
    check(target.read_bytes() == expected, f"the file holds {target.read_bytes()!r}, not {expected!r}")
    with s.step("the saved document closes without a question"):
        code, boxes = s.close()
        check(code == 0 and not boxes, f"closing after the save: exit code {code}, dialogs {boxes}")
    target.unlink()


@case
def open_refuses_a_big_endian_file_with_its_message(s):
    target = PREFIX / "drive_c" / "scrivlet-e2e-be.txt"
    target.write_bytes(b"\xfe\xff\x00A")
    with s.step("File, Open..., type the path, Enter"):
        s.key("alt+f", "o")
        poll("the Open dialog", lambda: s.dialogs())
        s.type("C:\\scrivlet-e2e-be.txt")
        s.key("Return")
        box = poll("the message box", lambda: [b for b in s.dialogs() if b["caption"] == "Can Not Open File"])[0]
    target.unlink()
    check("The selected file is not a Unicode text file" in box["texts"], f"unexpected box {box}")
    with s.step("OK, and the document is as it was"):
        s.press_button(1)
        check(s.screenshot() == s.initial, "the view changed after a refused Open")


@case
def menu_changes_the_point_size_and_about_shows_two_lines(s):
    with s.step("type, then Font Point Size, Eight to Nineteen, 08 Point"):
        s.type("Small print for a change")
        typed = s.screenshot_after_change(s.initial, "typed")
        s.key("alt+p", "e", "p")
        smaller = s.screenshot_after_change(typed, "smaller")
    with s.step("a full repaint shows the same"):
        s.repaint()
        check(s.screenshot("repainted") == smaller, "the point-size change left stale pixels")
    with s.step("About Scrivlet..."):
        s.key("alt+a", "s")
        box = poll("the About box", lambda: [b for b in s.dialogs() if b["caption"] == "Scrivlet"])[0]
        check("Scrivlet\nText Editor Computer Program" in box["texts"], f"unexpected About box {box}")
        s.press_button(1)
