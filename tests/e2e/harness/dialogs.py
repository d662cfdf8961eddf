"""Dialogs and files: the message boxes and dialogs the program shows, read and
answered through the probe, and the file dialogs filled in as a person does."""

from .core import FILE_NAME_FIELDS, IDOK, PREFIX, check, poll


class Dialogs:
    """A session's dialogs, closing the program, and Open and Save through their dialogs."""

    def wait_active(self, which):
        """Waits until Wine's active window is the main window ("main") or the one file dialog with
        the keyboard in its name field, and gives that window the X focus, as a window manager
        would, when Wine has not: now and then it leaves it on the main window when a dialog opens."""
        def ready():
            state = self.probe("focus")
            if which == "main":
                shown = state["active"] == state["focus"] == state["main"]
            else:
                boxes = self.dialogs()
                shown = len(boxes) == 1 and state["active"] == boxes[0]["hwnd"] and state["focus_id"] in FILE_NAME_FIELDS
            return shown and not state["menus"] and state["foreground"] == state["active"] != 0 and state

        state = poll(f"the {which} to be the active window", ready)
        if self.x_focus() != state["x_active"]:
            self.workarounds[f"X focus given to the {which}"] += 1
            self.xdotool("windowfocus", "--sync", str(state["x_active"]))

    def dialogs(self):
        """The open dialogs and message boxes: caption, texts, buttons as [id, text]."""
        return self.probe("dialogs")

    def answer_box(self, caption, text, button=IDOK):
        """Waits for the box captioned caption, checks that it says text, presses button and returns the box."""
        box = poll(f"the box {caption!r}", lambda: [b for b in self.dialogs() if b["caption"] == caption])[0]
        check(text in box["texts"], f"unexpected box {box}")
        self.press_button(button)
        return box

    def press_button(self, button_id):
        """Clicks a button of the open message box or dialog by its id (IDYES...)
        and waits until that box has closed."""
        pressed = self.probe("press", str(button_id))["hwnd"]
        poll("the dialog to close", lambda: all(box["hwnd"] != pressed for box in self.dialogs()))

    def close(self):
        """Closes the window with Alt+F4 and waits until the program has ended or
        shows a dialog. Returns (exit code or None, open dialogs)."""
        self.key("alt+F4")
        return self.wait_for_exit_or_dialog()

    def wait_for_exit_or_dialog(self):
        def ended_or_dialog():
            if self.program.poll() is not None:
                return (self.program.returncode, [])
            boxes = self.dialogs()
            return (None, boxes) if boxes else None

        return poll("the program to end or show a dialog", ended_or_dialog)

    def choose_in_file_dialog(self, menu_item, path):
        """File > Open... (menu_item "o") or Save... ("s"): waits until the dialog
        has the keyboard in its file name field, types path over whatever the field
        holds, and once it holds path presses Enter. Returns when the dialog has
        closed or shows a question of its own (whether to replace a file)."""
        self.menu("alt+f", menu_item)
        self.fill_file_dialog(path)

    def save_as(self, path):
        """File > Save... to the new name path; returns once the title names it.
        Save writes into the file itself, so the file exists before it is whole."""
        self.choose_in_file_dialog("s", path)
        name = path.rsplit("\\", 1)[-1]
        poll(f"the title {name}", lambda: not self.dialogs() and self.probe("window")["title"] == name)

    def drive_c(self, name, data=None):
        """The path of C:\\name, holding data (or nothing) until the session ends."""
        path = PREFIX / "drive_c" / name
        path.unlink(missing_ok=True)
        if data is not None:
            path.write_bytes(data)
        self.stack.callback(path.unlink, missing_ok=True)
        return path

    def saved_text(self, name):
        """Saves through the dialog to C:\\name and returns the file's text without mark and terminator."""
        target = self.drive_c(name)
        self.save_as(f"C:\\{name}")
        data = target.read_bytes()
        check(data[:2] == b"\xff\xfe" and data[-2:] == b"\x00\x00", f"not the file format: {data!r}")
        return data[2:-2].decode("utf-16-le")

    def fill_file_dialog(self, path):
        """Answers the file dialog that shows or is about to show (one the program
        opened by itself, say Save after a question) as choose_in_file_dialog does."""

        def name_field(text=None):
            boxes, state = self.dialogs(), self.keyboard()
            ready = (len(boxes) == 1 and state and state["active"] == boxes[0]["hwnd"]
                     and state["focus_id"] in FILE_NAME_FIELDS and text in (None, state["focus_text"]))
            return boxes[0]["hwnd"] if ready else None

        self.wait_active("file dialog")
        dialog = poll("the file dialog with the keyboard in its file name field", name_field)
        self._press("ctrl+a")
        if path.isascii():
            self._type(path)
        else:  # characters no key of this keyboard types, as if pasted
            self.probe("file-name", path)
        poll(f"the file name field to hold {path}", lambda: name_field(path) == dialog)
        self._press("Return")
        poll("the file dialog to close or ask", lambda: [box["hwnd"] for box in self.dialogs()] != [dialog])
