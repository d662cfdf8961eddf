"""Files through the real dialogs, as a person works them: the menu, a path
typed into the dialog, Enter. Saved files hold exactly the format's bytes, and
a refused Open or Save leaves the document, the view and the old file as they were."""

import contextlib
import getpass
import os
import shutil
import stat
import subprocess

from harness import IDCANCEL, IDYES, OUT, PREFIX, Skipped, case, check, file_bytes, poll

TEXT = "Grüße, €5"
LARGEST = ("page " * 6554)[:32767]  # 65538 bytes as a file


def open_refused(s, name, message, view):
    s.choose_in_file_dialog("o", f"C:\\{name}")
    s.answer_box("Can Not Open File", message)
    check(s.screenshot() == view, f"refusing {name} changed the view")


@case(characters=TEXT)
def save_through_the_dialog_writes_the_exact_bytes(s):
    target = s.drive_c("scrivlet-e2e.txt")
    with s.step("type a text with non-ASCII characters"):
        s.type(TEXT)
        s.screenshot_after_change(s.initial)
    with s.step("File, Save..., type the path, Enter"):
        s.save_as("C:\\scrivlet-e2e.txt")
    check(target.read_bytes() == file_bytes(TEXT), f"the file holds {target.read_bytes()!r}")
    with s.step("the saved document closes without a question"):
        code, boxes = s.close()
        check(code == 0 and not boxes, f"closing after the save: exit code {code}, dialogs {boxes}")


@case
def menu_changes_the_point_size_and_about_shows_two_lines(s):
    with s.step("type, then Font Point Size, Eight to Nineteen, 08 Point: a full repaint shows the same"):
        s.type("Small print for a change")
        typed = s.screenshot_after_change(s.initial, "typed")
        s.menu("alt+p", "e", "p")
        s.expect_true_screen(typed, "smaller")
    with s.step("About Scrivlet..."):
        s.menu("alt+a", "s")
        s.answer_box("Scrivlet", "Scrivlet\nText Editor Computer Program")


@case
def new_and_open_ask_about_a_changed_document(s):
    s.type("changed")
    typed = s.screenshot_after_change(s.initial)
    for item, name, stop in (("n", "New", "."), ("o", "Open...", "")):
        with s.step(f"File, {name}, then Cancel"):
            s.menu("alt+f", item)
            s.answer_box("Save Current File?", f"The current file has changed since the last save{stop}\n"
                         "Do you wish to save the current file?", IDCANCEL)
            check(s.screenshot() == typed, "Cancel changed the document")


@case
def word_wrap_from_the_menu_and_ctrl_d_without_a_selection(s):
    with s.step("type a text longer than a line"):
        s.type("wrapping words across the right margin of the page")
        typed = s.screenshot_after_change(s.initial, "typed")
    with s.step("Ctrl+D deletes nothing without a selection"):
        s.key("ctrl+d")
        check(s.screenshot() == typed, "Ctrl+D changed the screen")
    with s.step("Word Wrap, No: the lines are cut in front of the unit that does not fit"):
        s.menu("alt+w", "n")
        s.expect_true_screen(typed, "unwrapped")


@case
def open_takes_the_largest_file_and_refuses_anything_larger(s):
    units = LARGEST.encode("utf-16-le")
    s.drive_c("scrivlet-e2e-65538.txt", b"\xff\xfe" + units + b"\x00\x00")
    s.drive_c("scrivlet-e2e-65538-no-terminator.txt", b"\xff\xfe" + units + b"x\x00")
    s.drive_c("scrivlet-e2e-65540.txt", b"\xff\xfe" + units + b"x\x00\x00\x00")
    with s.step("the largest file that opens"):
        s.choose_in_file_dialog("o", "C:\\scrivlet-e2e-65538.txt")
        opened = s.screenshot_after_change(s.initial, "opened")
        check(not s.dialogs(), f"opening the largest file showed {s.dialogs()}")
    with s.step("one unit more, without and with a terminator"):
        open_refused(s, "scrivlet-e2e-65538-no-terminator.txt", "The selected file is large to open", opened)
        open_refused(s, "scrivlet-e2e-65540.txt", "The selected file is too large to open", opened)


@case
def open_reads_lf_only_and_empty_files_and_refuses_the_rest(s):
    lf_only = "first line\nsecond line\nthird".encode("utf-16-le")
    refused = {"scrivlet-e2e-be.txt": b"\xfe\xff\x00A", "scrivlet-e2e-odd.txt": b"\xff\xfeA\x00B",
               "scrivlet-e2e-one.txt": b"\xff", "scrivlet-e2e-empty.txt": b""}
    for name, data in {**refused, "scrivlet-e2e-lf.txt": b"\xff\xfe" + lf_only, "scrivlet-e2e-mark.txt": b"\xff\xfe"}.items():
        s.drive_c(name, data)
    saved = s.drive_c("scrivlet-e2e-lf-saved.txt")
    with s.step("a file with LF-only line ends (no terminator either) opens unchanged: a lone LF ends no line"):
        s.choose_in_file_dialog("o", "C:\\scrivlet-e2e-lf.txt")
        lines = s.expect_true_screen(s.initial, "lf-only")
    with s.step("saved again, its LFs stay LFs and the terminator is added"):
        s.save_as("C:\\scrivlet-e2e-lf-saved.txt")
        check(saved.read_bytes() == b"\xff\xfe" + lf_only + b"\x00\x00", f"saved {saved.read_bytes()!r}")
    with s.step("big-endian, odd-sized, one-byte and empty files are refused"):
        for name in refused:
            open_refused(s, name, "The selected file is not a Unicode text file", lines)
    with s.step("a file of the mark alone opens as the empty document"):
        s.choose_in_file_dialog("o", "C:\\scrivlet-e2e-mark.txt")
        check(s.screenshot_after_change(lines) == s.initial, "the mark alone did not give the empty document")


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


def save_over(s, path, replaces=True, refused=False):
    """Save... to path, answering Yes when the dialog asks whether to replace it,
    and OK to the refusal when one is expected."""
    s.choose_in_file_dialog("s", path)
    if replaces:
        poll("the question whether to replace it",
             lambda: [b for b in s.dialogs() if any(i == IDYES for i, _ in b["buttons"])])
        s.press_button(IDYES)
    if refused:
        s.answer_box("Can Not Save File", "Can not write to the selected file")


TEMPORARY = PREFIX / "drive_c" / "users" / getpass.getuser() / "Temp"


def nothing_left_over(where, expected):
    """where holds just the expected paths, and no copy of old bytes is left in the temporary folder."""
    left = sorted(str(path.relative_to(where)) for path in where.rglob("*"))
    check(left == expected, f"{where} holds {left}, not {expected}")
    copies = sorted(path.name for path in TEMPORARY.glob("scr*.tmp"))
    check(not copies, f"copies of old bytes left in the temporary folder: {copies}")


@case
def saving_over_a_file_keeps_it_the_file_it_was(s):
    """Save over a symbolic link, one name of a hard-linked pair, a private
    file, a read-only file and onto a full disk: the file is still the file it
    was, a refused save keeps it byte for byte, and no copy is left anywhere."""
    folder = PREFIX / "drive_c" / "scrivlet-e2e-save"
    shutil.rmtree(folder, ignore_errors=True)
    s.stack.callback(shutil.rmtree, folder, ignore_errors=True)
    (folder / "real").mkdir(parents=True)
    old = file_bytes("old text")
    for name in ("real/target.txt", "a.txt", "private.txt", "readonly.txt"):
        (folder / name).write_bytes(old)
    (folder / "link.txt").symlink_to("real/target.txt")
    os.link(folder / "a.txt", folder / "b.txt")
    (folder / "private.txt").chmod(0o600)
    (folder / "readonly.txt").chmod(0o444)
    everything = ["a.txt", "b.txt", "link.txt", "private.txt", "readonly.txt", "real", "real/target.txt"]
    typed = ""

    def saved_as(name):
        poll(f"the title {name}", lambda: not s.dialogs() and s.probe("window")["title"] == name)
        return file_bytes(typed)

    for name in ("link.txt", "a.txt", "private.txt"):
        with s.step(f"type, save over {name}"):
            typed += name
            s.type(name)
            save_over(s, f"C:\\scrivlet-e2e-save\\{name}")
            expected = saved_as(name)
            check((folder / name).read_bytes() == expected, f"{name} lacks the text")
    with s.step("the link, the pair and the private file are the files they were"):
        link, target = folder / "link.txt", folder / "real" / "target.txt"
        check(link.is_symlink() and os.readlink(link) == "real/target.txt", "the link lost its target")
        check(target.read_bytes() == file_bytes("link.txt"), f"the link's target holds {target.read_bytes()!r}")
        check(os.path.samefile(folder / "a.txt", folder / "b.txt"), "the hard-linked names have split")
        check((folder / "b.txt").read_bytes() == file_bytes("link.txta.txt"), "the other name of a.txt lacks the text")
        mode = stat.S_IMODE((folder / "private.txt").stat().st_mode)
        check(mode == 0o600, f"private.txt is now mode {mode:o}")
        nothing_left_over(folder, everything)
    with s.step("save over a read-only file: refused, and the file is as it was"):
        s.type("!")
        typed += "!"
        save_over(s, "C:\\scrivlet-e2e-save\\readonly.txt", refused=True)
        check((folder / "readonly.txt").read_bytes() == old, "the read-only file changed")
        check(stat.S_IMODE((folder / "readonly.txt").stat().st_mode) == 0o444, "the read-only mark went")
        check(s.probe("window")["title"] == "private.txt", "a refused save changed the title")
        nothing_left_over(folder, everything)
    with s.step("save under a new name"):
        save_over(s, "C:\\scrivlet-e2e-save\\new.txt", replaces=False)
        expected = saved_as("new.txt")
        check((folder / "new.txt").read_bytes() == expected, "new.txt lacks the text")
    big = s.drive_c("scrivlet-e2e-big.txt", file_bytes(LARGEST))
    old_bytes = file_bytes("the old file" * 1500)
    with small_disk_as_drive_f(64) as disk:
        (disk / "old.txt").write_bytes(old_bytes)  # leaves less room than the 65538 bytes to come
        with s.step("open a 65538-byte document"):
            before = s.screenshot()
            s.choose_in_file_dialog("o", f"C:\\{big.name}")
            opened = s.screenshot_after_change(before)
        with s.step("save it over F:\\old.txt: the write fails with its message"):
            save_over(s, "F:\\old.txt", refused=True)
            check((disk / "old.txt").read_bytes() == old_bytes, "the failed save changed the old file")
            nothing_left_over(disk, ["old.txt"])
            check(s.screenshot() == opened, "the failed save changed the view")


@case
def names_outside_the_ansi_code_page_are_saved_opened_and_shown(s):
    """Greek, Japanese and an emoji: Save writes the file under its name, the
    title shows it, and Open finds it again."""
    for number, name in enumerate(("ελληνικά.txt", "日本語の文書.txt", "notes-😀.txt")):
        target = s.drive_c(name)
        with s.step(f"type, save as {name}"):
            s.type(str(number))
            s.save_as(f"C:\\{name}")
            text = "".join(str(digit) for digit in range(number + 1))
            check(target.read_bytes() == file_bytes(text), f"{name} holds {target.read_bytes()!r}")
            s.key("ctrl+Home")
            saved = s.screenshot()
        with s.step(f"New, then open {name} again"):
            s.menu("alt+f", "n")
            poll("the untitled document", lambda: s.probe("window")["title"] == "Scrivlet")
            s.choose_in_file_dialog("o", f"C:\\{name}")
            poll("the title to name the file", lambda: s.probe("window")["title"] == name)
            check(s.screenshot() == saved, f"{name} opened does not show the text saved")
            s.key("ctrl+End")
