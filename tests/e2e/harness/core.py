"""What every part of the harness shares: where things are, the time limits,
the case registry, and check, poll and run."""

import ctypes
import os
import signal
import subprocess
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parents[3]
BUILD = ROOT / "build"
OUT = BUILD / "e2e"
PREFIX = BUILD / "wine-prefix"
PROBE_SOURCE = Path(__file__).resolve().parents[1] / "probe.c"
PROBE_HEADER = PROBE_SOURCE.with_suffix(".h")
PROBE = OUT / "probe.exe"
# Another build of the program (a debug build, say) can be driven instead.
PROGRAM = Path(os.environ.get("SCRIVLET_EXE", BUILD / "windows" / "scrivlet.exe"))

SCREEN = (1280, 1024)
START_TIMEOUT = 60  # a cold wineserver and desktop process take a few seconds
TIMEOUT = 20  # any single wait that should take well under a second
POLL_INTERVAL = 0.02
CLIPBOARD_TIMEOUT = 60  # Wine may ask a slow X owner for the text while it answers

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


def file_bytes(text):
    """The bytes of a Unicode text file holding text: the mark, UTF-16LE, the terminator."""
    return b"\xff\xfe" + text.encode("utf-16-le") + b"\x00\x00"


def die_with_parent():
    """Runs in a child before exec: it gets SIGKILL if the harness is killed outright."""
    ctypes.CDLL(None, use_errno=True).prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG
