"""The private X server and its keyboard: Xvfb on a free display, the keyboard
map the case's characters need, and real key and mouse input through xdotool."""

import os
import select
import subprocess

from .core import CLIPBOARD_TIMEOUT, Failure, MOST_EXTRA_CHARACTERS, SCREEN, SENTINEL_KEY, TIMEOUT, PREFIX, check, die_with_parent, poll, run


class Display:
    """A session's X server and the input it sends."""

    def _start_xvfb(self):
        # -displayfd: Xvfb picks a free display and writes its number once it accepts clients.
        reader, writer = os.pipe()
        log = self.stack.enter_context(open(self.folder / "xvfb.log", "wb"))
        xvfb = subprocess.Popen(
            # -noreset: the server would restore its keyboard map whenever its last client left.
            ["Xvfb", "-displayfd", str(writer), "-noreset", "-screen", "0", f"{SCREEN[0]}x{SCREEN[1]}x24",
             "-nolisten", "tcp"],
            pass_fds=(writer,), stdout=log, stderr=subprocess.STDOUT, preexec_fn=die_with_parent,
        )
        self.stack.callback(self.end_process, xvfb)
        self.stack.callback(self._end_wine)  # first, while its X server still runs
        os.close(writer)
        with os.fdopen(reader) as numbers:
            ready, _, _ = select.select([numbers], [], [], TIMEOUT)
            check(ready, f"Xvfb did not start within {TIMEOUT} s; see {self.folder / 'xvfb.log'}")
            self.display = ":" + numbers.readline().strip()
        self.env = dict(
            os.environ,
            DISPLAY=self.display,
            WINEPREFIX=str(PREFIX),
            WINEDEBUG="-all",
            WINEDLLOVERRIDES="mscoree,mshtml=",
            # Wine takes the code page and X input method from the locale: fix them.
            LC_ALL="C.UTF-8",
        )

    def _prepare_keyboard(self):
        """Binds the sentinel key, and the case's characters outside the US map two to a
        keycode (the second with Shift), before Wine starts: Wine hands out its 29 spare
        virtual keys once, at its start, to unusual keycodes in order, and a key without
        one types nothing (so xdotool's scratch keycodes lose characters). The bindings
        take the lowest keycodes free or holding a multimedia key (cleared: they would
        drain the pool)."""
        check(len(self.extra_characters) <= MOST_EXTRA_CHARACTERS,
              f"a case can type at most {MOST_EXTRA_CHARACTERS} characters outside the US keyboard map")
        keymap = [line.split() for line in run(["xmodmap", "-display", self.display, "-pke"]).decode().splitlines()]
        multimedia = [int(fields[1]) for fields in keymap if len(fields) > 3 and fields[3].startswith("XF86")]
        free = [int(fields[1]) for fields in keymap if len(fields) == 3]
        symbols = [f"U{ord(char):04X}" for char in self.extra_characters]
        pairs = [" ".join(symbols[at : at + 2]) for at in range(0, len(symbols), 2)]
        lines = [f"keycode {keycode} =" for keycode in multimedia]
        keycodes = sorted(free + multimedia)
        lines.append(f"keycode {keycodes[0]} = {SENTINEL_KEY}")
        lines += [f"keycode {keycode} = {pair}" for keycode, pair in zip(keycodes[1:], pairs)]
        run(["xmodmap", "-display", self.display, "-"], input="\n".join(lines).encode())

    def xdotool(self, *arguments):
        run(["xdotool", *arguments], env=self.env)

    def x_clipboard(self):
        """The X clipboard's text, or None while nobody owns it."""
        done = subprocess.run(["xclip", "-selection", "clipboard", "-o"], env=self.env, capture_output=True,
                              timeout=TIMEOUT)
        return done.stdout.decode() if done.returncode == 0 else None

    def offer_x_text(self, text):
        """X takes the clipboard with text; returns the units Wine then offers, counting
        what it worked around in self.workarounds. Wine takes in a new X owner's text
        once, and drops it when another program has the clipboard open just then: a new
        owner offers it again. Wine 8 now and then never answers the probe's first read
        of a new owner's text (a WM_RENDERFORMAT never handled): a new probe and owner
        go on. At times its clipboard manager ignores new X owners until a Windows
        program sets the clipboard: after a few failed offers the probe sets it."""
        units = [ord(c) for c in text.replace("\n", "\r\n")]
        for offer in range(20):
            if offer and offer % 4 == 0:
                self.probe("set-clipboard")
                self.workarounds["a Windows program set the clipboard to wake Wine's manager"] += 1
            earlier = [owner for owner in self.x_owners if owner.poll() is None]
            owner = subprocess.Popen(["xclip", "-selection", "clipboard", "-i", "-quiet"], env=self.env,
                                     stdin=subprocess.PIPE, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.x_owners = earlier + [owner]
            owner.stdin.write(text.encode())
            owner.stdin.close()
            # An earlier owner ends once the new one has taken the clipboard from it.
            poll("X to offer the text", lambda: all(old.poll() is not None for old in earlier)
                 and self.x_clipboard() == text)
            try:
                if self.probe("clipboard", timeout=CLIPBOARD_TIMEOUT) == units:
                    self.x_text = text
                    return units
                self.workarounds["X text offered again"] += 1
            except Failure as error:
                check(str(error).startswith("the probe did not answer"), str(error))
                self.restart_probe()
                self.workarounds["a read of X text Wine never answered"] += 1
        raise Failure(f"Wine never took in the X text {text!r}")

    def x_focus(self):
        """The X window that has the keyboard focus, as a number (0 for none)."""
        found = subprocess.run(["xdotool", "getwindowfocus"], env=self.env, capture_output=True, timeout=TIMEOUT)
        return int(found.stdout) if found.returncode == 0 and found.stdout.strip().isdigit() else 0

    def type(self, text):
        """Types text into the main window with real key events, one per character:
        printable ASCII, new lines, tabs and the characters the case declared (see case())."""
        self.wait_for_keyboard()
        self._type(text)

    def _type(self, text):
        undeclared = {c for c in text if not (" " <= c <= "~" or c in "\n\t" or c in self.extra_characters)}
        check(not undeclared, f"declare {''.join(sorted(undeclared))!r} in @case(characters=...) to type it")
        # xdotool types a new line as the Linefeed key, which Windows does not have.
        for number, line in enumerate(text.split("\n")):
            if number:
                self._press("Return")
            if line:
                self.xdotool("type", "--delay", "10", "--", line)

    def key(self, *combinations):
        """Presses keys in the main window by X keysym name: "Return", "ctrl+a",
        "alt+F4". A menu is worked with menu() instead."""
        self.wait_for_keyboard()
        self._press(*combinations)

    def _press(self, *combinations):
        self.xdotool("key", "--delay", "10", *combinations)

    def hold_key(self, name):
        """Holds a key down in the main window (the X server repeats it) until release_key."""
        self.wait_for_keyboard()
        self.xdotool("keydown", name)

    def release_key(self, name):
        self.xdotool("keyup", name)

    def menu(self, *keys):
        """Works the menu bar from the keyboard: the first key opens a menu of the
        bar ("alt+f"), each further one picks an item of the popup showing ("e" for
        a submenu, then "p"). Each key waits until the popup it needs shows, and
        the last until every menu has closed: a key sent sooner may reach the
        window before the menu is ready for it."""
        self.wait_for_keyboard()
        for level, key in enumerate(keys[:-1], 1):
            self._press(key)
            poll(f"menu level {level} to show after {key}", lambda: self.probe("focus")["menus"] == level)
        self._press(keys[-1])
        poll("the menus to close", lambda: self.probe("focus")["menus"] == 0)

    def click(self, x, y, button=1):
        """Clicks at client coordinates."""
        self.xdotool("mousemove", *self.screen_point(x, y), "click", str(button))

    def mouse_down(self, x, y, button=1):
        """Holds a mouse button down at client coordinates, until mouse_up."""
        self.xdotool("mousemove", *self.screen_point(x, y), "mousedown", str(button))

    def mouse_up(self, button=1):
        self.xdotool("mouseup", str(button))

    def screen_point(self, x, y):
        """The screen coordinates, as xdotool takes them, of the client point (x, y)."""
        check(0 <= x < self.client[2] and 0 <= y < self.client[3], f"({x}, {y}) lies outside the client area")
        return str(self.client[0] + x), str(self.client[1] + y)
