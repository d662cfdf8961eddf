"""Runs Scrivlet under Wine on a private X server and drives it as a person would:
real key and mouse events from xdotool, screenshots from ImageMagick's import,
and what X cannot tell (client area, repaint, message boxes, fonts) from the
probe (probe.c) running in the same Wine prefix. Standard library only."""

import contextlib
import ctypes
import fcntl
import json
import os
import re
import select
import shutil
import signal
import struct
import subprocess
import sys
import time
import zlib
from pathlib import Path

ROOT = Path(__file__).resolve().parents[2]
BUILD = ROOT / "build"
OUT = BUILD / "e2e"
PREFIX = BUILD / "wine-prefix"
PROBE_SOURCE = Path(__file__).with_name("probe.c")
PROBE = OUT / "probe.exe"
# Another build of the program (a debug build, say) can be driven instead.
PROGRAM = Path(os.environ.get("SCRIVLET_EXE", BUILD / "windows" / "scrivlet.exe"))

SCREEN = (1280, 1024)
START_TIMEOUT = 60  # a cold wineserver and desktop process take a few seconds
TIMEOUT = 20  # any single wait that should take well under a second
POLL_INTERVAL = 0.02

IDOK, IDCANCEL, IDYES, IDNO = 1, 2, 6, 7
# Wine's file dialogs take the file name in an Edit (0x480) or, lately, a combo box (0x47c).
FILE_NAME_FIELDS = (0x480, 0x47C)
# A key nothing in Wine or the program acts on, pressed after other input: once
# the program has taken it in, it has taken in everything sent before it.
SENTINEL_KEY, SENTINEL_VK = "F20", 0x83
# Characters outside the US keyboard map one case can type: two on each of 16
# keycodes. Wine has 29 spare virtual keys, and about ten go to other unusual keys
# of Xvfb's map (see Session._prepare_keyboard; 37 characters on 19 keycodes worked).
MOST_EXTRA_CHARACTERS = 32

CASES = {}
BEFORE_WINE = {}  # case name: what it prepares once Xvfb runs, before Wine starts (services, s.env)


def case(function=None, *, characters="", before_wine=None):
    """Registers an end-to-end case, which gets a started Session. characters:
    those outside the US keyboard map that it types, bound before Wine starts.
    before_wine(session): what the program must find when it starts."""

    def register(function):
        if function.__name__ in CASES:
            raise ValueError(f"two cases are named {function.__name__}")
        CASES[function.__name__] = (function, characters)
        if before_wine:
            BEFORE_WINE[function.__name__] = before_wine
        return function

    return register(function) if function else register


class Failure(Exception):
    pass


class Skipped(Exception):
    """Raised by a case that this machine cannot run (CTest reports it as skipped)."""


def check(condition, message):
    if not condition:
        raise Failure(message)


def poll(what, attempt, timeout=TIMEOUT):
    """Calls attempt until it returns something true and returns that."""
    deadline = time.monotonic() + timeout
    while True:
        result = attempt()
        if result:
            return result
        if time.monotonic() > deadline:
            raise Failure(f"timed out after {timeout} s waiting for {what}")
        time.sleep(POLL_INTERVAL)


def run(command, timeout=TIMEOUT, **options):
    """Runs a helper command and returns its stdout; a failure or timeout is a Failure."""
    try:
        done = subprocess.run(command, capture_output=True, timeout=timeout, **options)
    except subprocess.TimeoutExpired:
        raise Failure(f"{command[0]} did not finish within {timeout} s: {command}") from None
    if done.returncode != 0:
        error = done.stderr.decode(errors="replace").strip()
        raise Failure(f"{command} exited with {done.returncode}: {error}")
    return done.stdout


def die_with_parent():
    """Runs in a child before exec: it gets SIGKILL if the harness is killed outright."""
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG


def compile_windows_helper(source, program):
    """Builds a helper's C source into program as the probe is built, unless program is newer."""
    if program.exists() and program.stat().st_mtime >= source.stat().st_mtime:
        return
    program.parent.mkdir(parents=True, exist_ok=True)
    run(["x86_64-w64-mingw32-gcc", "-std=c11", "-O2", "-Wall", "-Wextra", "-Werror", "-static",
         "-o", str(program), str(source), "-lgdi32", "-lversion"], timeout=120)


class Image:
    """An RGB picture, 8 bits a channel, rows top to bottom."""

    def __init__(self, width, height, rgb):
        self.width, self.height, self.rgb = width, height, bytes(rgb)

    @classmethod
    def from_ppm(cls, data):
        header = re.match(rb"P6\s+(\d+)\s+(\d+)\s+255\s", data)
        check(header, "import did not write an 8-bit PPM")
        width, height = int(header[1]), int(header[2])
        return cls(width, height, data[header.end() : header.end() + width * height * 3])

    def __eq__(self, other):
        return (self.width, self.height, self.rgb) == (other.width, other.height, other.rgb)

    def row(self, y):
        return self.rgb[y * self.width * 3 : (y + 1) * self.width * 3]

    def pixel(self, x, y):
        """(red, green, blue) at (x, y)."""
        return tuple(self.row(y)[x * 3 : x * 3 + 3])

    def crop(self, x, y, width, height):
        rows = (self.row(y + dy)[x * 3 : (x + width) * 3] for dy in range(height))
        return Image(width, height, b"".join(rows))

    def colors(self):
        return {self.rgb[at : at + 3] for at in range(0, len(self.rgb), 3)}

    def difference(self, other):
        """The bounding box (x, y, width, height) of the pixels that differ, or None."""
        check((self.width, self.height) == (other.width, other.height), "images differ in size")
        rows = [y for y in range(self.height) if self.row(y) != other.row(y)]
        if not rows:
            return None
        columns = set()
        for y in rows:
            mine, theirs = self.row(y), other.row(y)
            columns.update(x for x in range(self.width) if mine[x * 3 : x * 3 + 3] != theirs[x * 3 : x * 3 + 3])
        return (min(columns), rows[0], max(columns) - min(columns) + 1, rows[-1] - rows[0] + 1)

    def save_png(self, path):
        def chunk(kind, body):
            return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

        raw = b"".join(b"\0" + self.row(y) for y in range(self.height))
        header = struct.pack(">IIBBBBB", self.width, self.height, 8, 2, 0, 0, 0)
        Path(path).write_bytes(
            b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b"")
        )


class Session:
    """Scrivlet running on its own Xvfb, focused and painted, ready for input.
    Use as a context manager: it ends the program, Wine and Xvfb however it exits,
    and on failure leaves failure.png (the whole screen) in its folder.

    window: the probe's description of the main window; client: its client area
    (x, y, width, height) on the screen; initial: the first screenshot."""

    def __init__(self, name, characters=""):
        self.name = name
        self.folder = OUT / name
        self.step_name = "starting"
        self.extra_characters = [c for c in dict.fromkeys(characters) if not (" " <= c <= "~" or c in "\n\t")]
        self.program = None
        self.program_file = PROGRAM  # before_wine may name another, in another prefix (env WINEPREFIX)
        self.env = None
        self.display = None
        self.prober = None  # the probe answering one verb a line (probe serve)
        self.probe_output = b""
        self.sentinel_presses = 0
        self.stack = contextlib.ExitStack()

    # ---- life cycle ----------------------------------------------------

    def __enter__(self):
        try:
            self.stack.enter_context(self._exclusive_prefix())
            shutil.rmtree(self.folder, ignore_errors=True)
            self.folder.mkdir(parents=True)
            with self.step("compile the probe"):
                compile_windows_helper(PROBE_SOURCE, PROBE)
            with self.step("start Xvfb and set its keyboard map"):
                self._start_xvfb()
                self._prepare_keyboard()
            if self.name in BEFORE_WINE:
                with self.step("prepare what the program finds at its start"):
                    BEFORE_WINE[self.name](self)
            with self.step("start the program and wait for its painted window"):
                self._start_program()
        except BaseException:
            self.__exit__(*sys.exc_info())
            raise
        return self

    def __exit__(self, kind, error, trace):
        if kind is not None and self.display is not None:
            with contextlib.suppress(Exception):
                self.grab_screen().save_png(self.folder / "failure.png")
        self.stack.close()
        return False

    @contextlib.contextmanager
    def step(self, name):
        """Names what the case is doing, for the failure report, and times it."""
        self.step_name = name
        started = time.monotonic()
        yield
        print(f"  {time.monotonic() - started:6.2f} s  {name}", flush=True)

    @contextlib.contextmanager
    def _exclusive_prefix(self):
        # One Wine prefix, one wineserver: concurrent cases would end each other's programs.
        OUT.mkdir(parents=True, exist_ok=True)
        with open(OUT / ".lock", "w") as lock:
            poll(
                "another end-to-end run to finish (build/e2e/.lock)",
                lambda: self._try_lock(lock),
                timeout=600,
            )
            self._end_wine()  # whatever a killed earlier run left behind
            yield

    @staticmethod
    def _try_lock(lock):
        try:
            fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
            return True
        except BlockingIOError:
            return False

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
        """Binds the sentinel key, and the case's characters outside the US map two
        to a keycode (the second with Shift), to keycodes of their own before Wine starts.

        Wine gives keycodes their virtual keys once, when it starts, handing out
        29 spare ones to unusual keys in keycode order; a key without one types
        nothing. So the bindings come first, on the lowest keycodes that are free
        or hold a multimedia key (cleared: they would drain the pool). xdotool's
        own way, binding a scratch keycode for each character and unbinding it
        after the press, loses characters for the same reason."""
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

    def _start_program(self):
        check(self.program_file.exists(), f"{self.program_file} does not exist: build the Windows program first")
        log = self.stack.enter_context(open(self.folder / "program.log", "wb"))
        self.program = subprocess.Popen(
            ["wine", str(self.program_file)], env=self.env, cwd=self.folder, stdin=subprocess.DEVNULL,
            stdout=log, stderr=subprocess.STDOUT, preexec_fn=die_with_parent,
        )
        self.stack.callback(self.end_process, self.program)
        self.probe_log = log
        self._start_prober()

        def window_or_exit():
            if self.program.poll() is not None:
                raise Failure(f"the program exited with code {self.program.returncode} before showing its window;"
                              f" see {self.folder / 'program.log'}")
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Scrivlet$"], env=self.env,
                                   capture_output=True, timeout=TIMEOUT)
            return found.stdout.split()

        self.x_window = poll("the Scrivlet window", window_or_exit, timeout=START_TIMEOUT)[0].decode()
        self.window = self.probe("window")
        self.probe("share-input")  # before any key: see wait_until_settled
        self.client = tuple(self.window["client"])
        self.frame = tuple(self.window["frame"])
        check(self.client[2] > 0 and self.client[3] > 0, f"the client area is empty: {self.window}")
        # No window manager here: focus the window explicitly, as a click would.
        self.xdotool("windowfocus", "--sync", self.x_window)
        self.wait_for_keyboard()
        self.initial = self.screenshot("start")

    def _end_wine(self):
        # Ends every process of the prefix (the program, its desktop process) and its server.
        env = dict(os.environ, WINEPREFIX=self.env["WINEPREFIX"] if self.env else str(PREFIX))
        subprocess.run(["wineserver", "-k"], env=env, capture_output=True, timeout=TIMEOUT)
        subprocess.run(["wineserver", "-w"], env=env, capture_output=True, timeout=TIMEOUT)

    @staticmethod
    def end_process(process):
        """Ends a process the session started, killing it if it will not end."""
        if process.poll() is None:
            process.terminate()
            try:
                process.wait(timeout=TIMEOUT)
            except subprocess.TimeoutExpired:
                process.kill()
                process.wait()

    # ---- tools -----------------------------------------------------------

    def _start_prober(self):
        self.prober = subprocess.Popen(
            ["wine", str(PROBE), "serve"], env=self.env, cwd=self.folder, stdin=subprocess.PIPE,
            stdout=subprocess.PIPE, stderr=self.probe_log, preexec_fn=die_with_parent,
        )
        self.stack.callback(self.end_process, self.prober)
        self.probe_output = b""

    def restart_probe(self):
        """Replaces the serving probe, which Wine may have left waiting for good on a question."""
        self.end_process(self.prober)
        self._start_prober()
        self.probe("share-input")

    def probe(self, *arguments, timeout=TIMEOUT):
        """Asks the probe a verb (see probe.c) and returns its parsed JSON answer
        (timeout: for a verb that waits on a long job)."""
        if self.prober is None:
            return json.loads(run(["wine", str(PROBE), *arguments], env=self.env))
        question = " ".join(arguments)
        self.prober.stdin.write(question.encode() + b"\n")
        self.prober.stdin.flush()
        deadline = time.monotonic() + timeout
        while b"\n" not in self.probe_output:
            ready, _, _ = select.select([self.prober.stdout], [], [], max(0, deadline - time.monotonic()))
            check(ready, f"the probe did not answer {question!r} within {timeout} s")
            chunk = os.read(self.prober.stdout.fileno(), 65536)
            check(chunk, f"the probe ended before answering {question!r}")
            self.probe_output += chunk
        line, _, self.probe_output = self.probe_output.partition(b"\n")
        answer = json.loads(line)
        check(not (isinstance(answer, dict) and "error" in answer), f"probe {question}: {answer}")
        return answer

    def xdotool(self, *arguments):
        run(["xdotool", *arguments], env=self.env)

    def x_focus(self):
        """The X window that has the keyboard focus, as a number (0 for none)."""
        found = subprocess.run(["xdotool", "getwindowfocus"], env=self.env, capture_output=True, timeout=TIMEOUT)
        return int(found.stdout) if found.returncode == 0 and found.stdout.strip().isdigit() else 0

    def keyboard(self):
        """The program's keyboard state (probe focus) when its active window is
        Wine's foreground window and holds the X focus, no menu showing; else None."""
        state = self.probe("focus")
        ready = state["menus"] == 0 and state["foreground"] == state["active"] != 0
        return state if ready and self.x_focus() == state["x_active"] != 0 else None

    def wait_for_keyboard(self):
        """Waits until keys go to the main window: it is active in Wine, has the
        keyboard focus there and in X, and no menu shows. A dialog closing or the
        window first showing hands these over one after the other."""
        poll("the main window to have the keyboard",
             lambda: (state := self.keyboard()) and state["focus"] == state["active"] == state["main"])

    @contextlib.contextmanager
    def helper_window(self, program, arguments, title):
        """Runs another Windows program in this session's prefix and X server, its
        standard output a pipe, from when its visible window titled title shows to
        the end of the block; then ends it (terminated and waited) however the block ends.
        Wine leaves no window active after it: keys need the program's window focused again."""
        log_path = self.folder / f"{program.stem}.log"
        with open(log_path, "ab") as log:
            helper = subprocess.Popen(
                ["wine", str(program), *arguments], env=self.env, cwd=self.folder, stdin=subprocess.DEVNULL,
                stdout=subprocess.PIPE, stderr=log, preexec_fn=die_with_parent,
            )
        try:
            def window_or_exit():
                check(helper.poll() is None, f"{program.name} exited with code {helper.returncode}; see {log_path}")
                found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"], env=self.env,
                                       capture_output=True, timeout=TIMEOUT)
                return found.stdout.split()

            poll(f"the {title} window", window_or_exit, timeout=START_TIMEOUT)
            yield helper
        finally:
            self.end_process(helper)
            helper.stdout.close()

    # ---- input -----------------------------------------------------------

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

    # ---- screen ----------------------------------------------------------

    def grab_screen(self):
        """The whole screen as it is now, without waiting for the program."""
        return Image.from_ppm(run(["import", "-display", self.display, "-window", "root", "-depth", "8", "ppm:-"]))

    def screenshot(self, name=None, area=None):
        """The client area (or area, a screen rectangle) once the program has taken
        in the input sent so far and painted, and the screen has stopped changing:
        two grabs in a row alike (Wine hands a window's pixels to X when its thread
        goes idle, a moment after the paint). Saved as build/e2e/CASE/NAME.png when named."""
        self.wait_until_settled()
        previous = self.grab_screen()
        deadline = time.monotonic() + TIMEOUT
        while (current := self.grab_screen()) != previous:
            check(time.monotonic() < deadline, f"the screen kept changing for {TIMEOUT} s")
            previous = current
        shot = current.crop(*(area or self.client))
        if name:
            shot.save_png(self.folder / f"{name}.png")
        return shot

    def wait_until_settled(self):
        """Waits until the program has taken in every key and click sent so far and
        painted what they changed. While its window has the keyboard that is when
        it has taken in the sentinel key pressed now; otherwise no key of ours can
        be waiting for it, and the paint is enough."""
        state = self.probe("focus")
        if state["menus"] == 0 and state["foreground"] == state["active"] != 0:
            poll("the X focus to reach the program's active window", lambda: self.keyboard())
            self._press(SENTINEL_KEY)
            self.sentinel_presses += 1
            self.probe("taken", str(SENTINEL_VK), str(self.sentinel_presses % 2))
        else:
            self.probe("painted")

    def screenshot_after_change(self, before, name=None):
        """The settled client area after it has come to differ from before."""
        poll("the screen to change", lambda: self.grab() != before)
        return self.screenshot(name)

    def grab(self):
        """The client area as it is now, settled or not."""
        return self.grab_screen().crop(*self.client)

    def settled_grab(self, area):
        """The screen rectangle area once two grabs in a row are alike: for a window
        of another program, whose paint the probe does not wait for."""
        grabs = [self.grab_screen().crop(*area)]

        def alike_twice():
            grabs.append(self.grab_screen().crop(*area))
            return grabs[-1] if grabs[-1] == grabs[-2] else None

        return poll(f"the screen at {area} to settle", alike_twice)

    def repaint(self):
        """Makes the program repaint its whole window and waits until it has."""
        self.probe("repaint")

    def path(self, name):
        return self.folder / f"{name}.png"

    # ---- dialogs and ending ----------------------------------------------

    def dialogs(self):
        """The open dialogs and message boxes: caption, texts, buttons as [id, text]."""
        return self.probe("dialogs")

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

    def fill_file_dialog(self, path):
        """Answers the file dialog that shows or is about to show (one the program
        opened by itself, say Save after a question) as choose_in_file_dialog does."""

        def name_field(text=None):
            boxes, state = self.dialogs(), self.keyboard()
            ready = (len(boxes) == 1 and state and state["active"] == boxes[0]["hwnd"]
                     and state["focus_id"] in FILE_NAME_FIELDS and text in (None, state["focus_text"]))
            return boxes[0]["hwnd"] if ready else None

        dialog = poll("the file dialog with the keyboard in its file name field", name_field)
        self._press("ctrl+a")
        if path.isascii():
            self._type(path)
        else:  # characters no key of this keyboard types, as if pasted
            self.probe("file-name", path)
        poll(f"the file name field to hold {path}", lambda: name_field(path) == dialog)
        self._press("Return")
        poll("the file dialog to close or ask", lambda: [box["hwnd"] for box in self.dialogs()] != [dialog])

    def fonts(self):
        """What "Courier New" resolves to at character sets 0 and 136 (see probe.c)."""
        return self.probe("fonts")
