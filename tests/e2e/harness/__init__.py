"""Runs Scrivlet under Wine on a private X server and drives it as a person would,
asking the probe (probe.c) what X cannot tell. Standard library only. One module
a part: core (paths, limits, cases, check and poll), display (X, input and X's
clipboard), wine (the program and the probe), screen (screenshots and pixels),
dialogs (dialogs and files), page (the page view's geometry); this file puts a
session together."""

import collections
import contextlib
import fcntl
import shutil
import sys
import time

from . import core
from .core import *  # noqa: F401,F403 (the names every case uses)
from .core import BEFORE_WINE, OUT, PROBE, PROBE_SOURCE, poll
from .dialogs import Dialogs
from .display import Display
from .screen import Image, Screen  # noqa: F401
from .wine import Served, Wine, compile_windows_helper  # noqa: F401


class Session(Display, Wine, Screen, Dialogs):
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
        self.workarounds = collections.Counter()  # what was worked around in Wine, by kind
        self.x_owners, self.x_text = [], None  # xclip processes serving the X clipboard; its text, while X's
        self.program_file = core.PROGRAM  # before_wine may name another, in another prefix (env WINEPREFIX)
        self.env = self.display = self.prober = None
        self.sentinel_presses = 0
        self.stack = contextlib.ExitStack()
        self.stack.callback(lambda: [self.end_process(owner) for owner in self.x_owners])

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
