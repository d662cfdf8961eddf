"""Saving through the real Save As dialog, as a person does it: the menu, a
path typed into the dialog, Enter; the file holds exactly the format's bytes."""

import contextlib
import getpass
import os
import shutil
import stat
import subprocess

from harness import IDOK, IDYES, OUT, PREFIX, Skipped, case, check, poll

TEXT = "Grüße, €5"


@case(characters=TEXT)
def save_through_the_dialog_writes_the_exact_bytes(s):
    target = PREFIX / "drive_c" / "scrivlet-e2e.txt"
    target.unlink(missing_ok=True)
    with s.step("type a text with non-ASCII characters"):
        s.type(TEXT)
        s.screenshot_after_change(s.initial)
    with s.step("File, Save..., type the path, Enter"):
        s.save_as("C:\\scrivlet-e2e.txt")
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
        s.choose_in_file_dialog("o", "C:\\scrivlet-e2e-be.txt")
        box = poll("the message box", lambda: [b for b in s.dialogs() if b["caption"] == "Can Not Open File"])[0]
    target.unlink()
    check("The selected file is not a Unicode text file" in box["texts"], f"unexpected box {box}")
    with s.step("OK, and the document is as it was"):
        s.press_button(IDOK)
        check(s.screenshot() == s.initial, "the view changed after a refused Open")


@case
def menu_changes_the_point_size_and_about_shows_two_lines(s):
    with s.step("type, then Font Point Size, Eight to Nineteen, 08 Point"):
        s.type("Small print for a change")
        typed = s.screenshot_after_change(s.initial, "typed")
        s.menu("alt+p", "e", "p")
        smaller = s.screenshot_after_change(typed, "smaller")
    with s.step("a full repaint shows the same"):
        s.repaint()
        check(s.screenshot("repainted") == smaller, "the point-size change left stale pixels")
    with s.step("About Scrivlet..."):
        s.menu("alt+a", "s")
        box = poll("the About box", lambda: [b for b in s.dialogs() if b["caption"] == "Scrivlet"])[0]
        check("Scrivlet\nText Editor Computer Program" in box["texts"], f"unexpected About box {box}")
        s.press_button(IDOK)


@case
def new_and_open_ask_about_a_changed_document(s):
    s.type("changed")
    typed = s.screenshot_after_change(s.initial)
    questions = {"n": "The current file has changed since the last save.\nDo you wish to save the current file?",
                 "o": "The current file has changed since the last save\nDo you wish to save the current file?"}
    for item, question in questions.items():
        with s.step(f"File, {'New' if item == 'n' else 'Open...'}, then Cancel"):
            s.menu("alt+f", item)
            box = poll("the question", lambda: [b for b in s.dialogs() if b["caption"] == "Save Current File?"])[0]
            check(question in box["texts"], f"unexpected question {box}")
            s.press_button(2)
            check(s.screenshot() == typed, "Cancel changed the document")


@case
def word_wrap_from_the_menu_and_ctrl_d_without_a_selection(s):
    text = "wrapping words across the right margin of the page"
    with s.step("type a text longer than a line"):
        s.type(text)
        typed = s.screenshot_after_change(s.initial, "typed")
    with s.step("Ctrl+D deletes nothing without a selection"):
        s.key("ctrl+d")
        check(s.screenshot() == typed, "Ctrl+D changed the screen")
    with s.step("Word Wrap, No: the lines are cut in front of the unit that does not fit"):
        s.menu("alt+w", "n")
        unwrapped = s.screenshot_after_change(typed, "unwrapped")
        s.repaint()
        check(s.screenshot("repainted") == unwrapped, "the word-wrap change left stale pixels")


def open_through_the_dialog(s, name):
    s.choose_in_file_dialog("o", f"C:\\{name}")


@case
def open_takes_the_largest_file_and_refuses_anything_larger(s):
    units = ("page " * 6554)[: 32767].encode("utf-16-le")
    files = {
        "scrivlet-e2e-65538.txt": b"\xff\xfe" + units + b"\x00\x00",
        "scrivlet-e2e-65538-no-terminator.txt": b"\xff\xfe" + units + b"x\x00",
        "scrivlet-e2e-65540.txt": b"\xff\xfe" + units + b"x\x00\x00\x00",
    }
    for name, data in files.items():
        (PREFIX / "drive_c" / name).write_bytes(data)
    try:
        with s.step("the largest file that opens"):
            open_through_the_dialog(s, "scrivlet-e2e-65538.txt")
            opened = s.screenshot_after_change(s.initial, "opened")
            check(not s.dialogs(), f"opening the largest file showed {s.dialogs()}")
        for name, failure in (("scrivlet-e2e-65538-no-terminator.txt", "The selected file is large to open"),
                              ("scrivlet-e2e-65540.txt", "The selected file is too large to open")):
            with s.step(f"open {name}"):
                open_through_the_dialog(s, name)
                box = poll("the message box", lambda: [b for b in s.dialogs() if b["caption"] == "Can Not Open File"])[0]
                check(failure in box["texts"], f"unexpected box {box}")
                s.press_button(IDOK)
                check(s.screenshot() == opened, "a refused Open changed the view")
    finally:
        for name in files:
            (PREFIX / "drive_c" / name).unlink(missing_ok=True)


@case
def open_reads_lf_only_and_empty_files_and_refuses_the_rest(s):
    lf_only = "first line\nsecond line\nthird".encode("utf-16-le")
    files = {
        "scrivlet-e2e-lf.txt": b"\xff\xfe" + lf_only,  # no terminator either
        "scrivlet-e2e-mark.txt": b"\xff\xfe",
        "scrivlet-e2e-odd.txt": b"\xff\xfeA\x00B",
        "scrivlet-e2e-one.txt": b"\xff",
        "scrivlet-e2e-empty.txt": b"",
    }
    for name, data in files.items():
        (PREFIX / "drive_c" / name).write_bytes(data)
    saved = PREFIX / "drive_c" / "scrivlet-e2e-lf-saved.txt"
    saved.unlink(missing_ok=True)
    try:
        with s.step("a file with LF-only line ends opens unchanged: a lone LF ends no line"):
            open_through_the_dialog(s, "scrivlet-e2e-lf.txt")
            lines = s.screenshot_after_change(s.initial, "lf-only")
            s.repaint()
            check(s.screenshot() == lines, "opening left stale pixels")
        with s.step("saved again, its LFs stay LFs and the terminator is added"):
            s.save_as("C:\\scrivlet-e2e-lf-saved.txt")
            check(saved.read_bytes() == b"\xff\xfe" + lf_only + b"\x00\x00", f"saved {saved.read_bytes()!r}")
        for name in ("scrivlet-e2e-odd.txt", "scrivlet-e2e-one.txt", "scrivlet-e2e-empty.txt"):
            with s.step(f"open {name}"):
                open_through_the_dialog(s, name)
                box = poll("the message box", lambda: [b for b in s.dialogs() if b["caption"] == "Can Not Open File"])[0]
                check("The selected file is not a Unicode text file" in box["texts"], f"unexpected box {box}")
                s.press_button(IDOK)
                check(s.screenshot() == lines, "a refused Open changed the view")
        with s.step("a file of the mark alone opens as the empty document"):
            open_through_the_dialog(s, "scrivlet-e2e-mark.txt")
            check(s.screenshot_after_change(lines) == s.initial, "the mark alone did not give the empty document")
    finally:
        for name in files:
            (PREFIX / "drive_c" / name).unlink(missing_ok=True)
        saved.unlink(missing_ok=True)


@contextlib.contextmanager
def small_disk_as_drive_f(size_kib):
    """A tmpfs of size_kib mounted as Wine's drive F:. Mounting needs root."""
    mount_point = OUT / "small-disk"
    drive = PREFIX / "dosdevices" / "f:"
    mount_point.mkdir(parents=True, exist_ok=True)
    mounted = subprocess.run(["mount", "-t", "tmpfs", "-o", f"size={size_kib}k", "tmpfs", str(mount_point)],
                             capture_output=True)
    if mounted.returncode != 0:
        raise Skipped(f"cannot mount a small tmpfs here: {mounted.stderr.decode().strip()}")
    try:
        drive.unlink(missing_ok=True)
        drive.symlink_to(mount_point)
        yield mount_point
    finally:
        drive.unlink(missing_ok=True)
        subprocess.run(["umount", str(mount_point)], capture_output=True)


def save_over(s, path, replaces=True):
    """Save... to path, answering Yes when the dialog asks whether to replace it."""
    s.choose_in_file_dialog("s", path)
    if replaces:
        poll("the question whether to replace it",
             lambda: [b for b in s.dialogs() if any(i == IDYES for i, _ in b["buttons"])])
        s.press_button(IDYES)


def refused(s):
    box = poll("the message box", lambda: [b for b in s.dialogs() if b["caption"] == "Can Not Save File"])[0]
    check("Can not write to the selected file" in box["texts"], f"unexpected box {box}")
    s.press_button(IDOK)


def nothing_left_over(where, expected):
    """where holds just the expected paths, and no copy of old bytes is left in
    the temporary folder."""
    left = sorted(str(path.relative_to(where)) for path in where.rglob("*"))
    check(left == expected, f"{where} holds {left}, not {expected}")
    copies = sorted(path.name for path in TEMPORARY.glob("scr*.tmp"))
    check(not copies, f"copies of old bytes left in the temporary folder: {copies}")


TEMPORARY = PREFIX / "drive_c" / "users" / getpass.getuser() / "Temp"


@case
def saving_over_a_file_keeps_it_the_file_it_was(s):
    """Save over a symbolic link, one name of a hard-linked pair, a private
    file, a read-only file and onto a full disk: the file is still the file it
    was, a refused save keeps it byte for byte, and no copy is left anywhere."""
    folder = PREFIX / "drive_c" / "scrivlet-e2e-save"
    shutil.rmtree(folder, ignore_errors=True)
    (folder / "real").mkdir(parents=True)
    old = b"\xff\xfe" + "old text".encode("utf-16-le") + b"\x00\x00"
    for name in ("real/target.txt", "a.txt", "private.txt", "readonly.txt"):
        (folder / name).write_bytes(old)
    (folder / "link.txt").symlink_to("real/target.txt")
    os.link(folder / "a.txt", folder / "b.txt")
    (folder / "private.txt").chmod(0o600)
    (folder / "readonly.txt").chmod(0o444)
    everything = ["a.txt", "b.txt", "link.txt", "private.txt", "readonly.txt", "real", "real/target.txt"]
    typed, written = "", {}

    def saved_as(name):
        poll(f"the title {name}", lambda: not s.dialogs() and s.probe("window")["title"] == name)
        return b"\xff\xfe" + typed.encode("utf-16-le") + b"\x00\x00"

    try:
        for name in ("link.txt", "a.txt", "private.txt"):
            with s.step(f"type, save over {name}"):
                typed += name
                s.type(name)
                save_over(s, f"C:\\scrivlet-e2e-save\\{name}")
                written[name] = saved_as(name)
        with s.step("the link, the pair and the private file are the files they were"):
            link, target = folder / "link.txt", folder / "real" / "target.txt"
            check(link.is_symlink() and os.readlink(link) == "real/target.txt", "the link lost its target")
            check(target.read_bytes() == written["link.txt"], f"the link's target holds {target.read_bytes()!r}")
            check(os.path.samefile(folder / "a.txt", folder / "b.txt"), "the hard-linked names have split")
            check((folder / "b.txt").read_bytes() == written["a.txt"], "the other name of a.txt lacks the text")
            check((folder / "private.txt").read_bytes() == written["private.txt"], "private.txt lacks the text")
            mode = stat.S_IMODE((folder / "private.txt").stat().st_mode)
            check(mode == 0o600, f"private.txt is now mode {mode:o}")
            nothing_left_over(folder, everything)
        with s.step("save over a read-only file: refused, and the file is as it was"):
            s.type("!")
            typed += "!"
            save_over(s, "C:\\scrivlet-e2e-save\\readonly.txt")
            refused(s)
            check((folder / "readonly.txt").read_bytes() == old, "the read-only file changed")
            check(stat.S_IMODE((folder / "readonly.txt").stat().st_mode) == 0o444, "the read-only mark went")
            check(s.probe("window")["title"] == "private.txt", "a refused save changed the title")
            nothing_left_over(folder, everything)
        with s.step("save under a new name"):
            save_over(s, "C:\\scrivlet-e2e-save\\new.txt", replaces=False)
            expected = saved_as("new.txt")
            check((folder / "new.txt").read_bytes() == expected, "new.txt lacks the text")
        a_full_disk_keeps_the_old_file(s)
    finally:
        shutil.rmtree(folder, ignore_errors=True)


def a_full_disk_keeps_the_old_file(s):
    units = ("page " * 6554)[: 32767].encode("utf-16-le")
    big = PREFIX / "drive_c" / "scrivlet-e2e-big.txt"
    big.write_bytes(b"\xff\xfe" + units + b"\x00\x00")
    old_bytes = b"\xff\xfe" + "the old file".encode("utf-16-le") * 1500 + b"\x00\x00"
    try:
        with small_disk_as_drive_f(64) as disk:
            (disk / "old.txt").write_bytes(old_bytes)  # leaves less room than the 65538 bytes to come
            with s.step("open a 65538-byte document"):
                before = s.screenshot()
                open_through_the_dialog(s, big.name)
                opened = s.screenshot_after_change(before)
            with s.step("save it over F:\\old.txt: the write fails with its message"):
                save_over(s, "F:\\old.txt")
                refused(s)
                check((disk / "old.txt").read_bytes() == old_bytes, "the failed save changed the old file")
                nothing_left_over(disk, ["old.txt"])
                check(s.screenshot() == opened, "the failed save changed the view")
    finally:
        big.unlink(missing_ok=True)


@case
def names_outside_the_ansi_code_page_are_saved_opened_and_shown(s):
    """Greek, Japanese and an emoji: Save writes the file under its name, the
    title shows it, and Open finds it again."""
    for number, name in enumerate(("ελληνικά.txt", "日本語の文書.txt", "notes-😀.txt")):
        target = PREFIX / "drive_c" / name
        target.unlink(missing_ok=True)
        text = "".join(str(digit) for digit in range(number + 1))
        with s.step(f"type, save as {name}"):
            s.type(str(number))
            s.save_as(f"C:\\{name}")
            check(target.read_bytes() == b"\xff\xfe" + text.encode("utf-16-le") + b"\x00\x00",
                  f"{name} holds {target.read_bytes()!r}")
            s.key("ctrl+Home")
            saved = s.screenshot()
        with s.step(f"New, then open {name} again"):
            s.menu("alt+f", "n")
            poll("the untitled document", lambda: s.probe("window")["title"] == "Scrivlet")
            s.choose_in_file_dialog("o", f"C:\\{name}")
            poll("the title to name the file", lambda: s.probe("window")["title"] == name)
            check(s.screenshot() == saved, f"{name} opened does not show the text saved")
            s.key("ctrl+End")
        target.unlink()
