"""What the benchmarks under Wine share: a document of prose, the timer
(bench/wine_timer.c) with room for long runs, and the Win32 EDIT control hosted
beside Scrivlet (bench/edit_host.c) under the same conditions."""

import random
import sys
from pathlib import Path

sys.dont_write_bytecode = True
sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "e2e"))
from harness import BUILD, Served, compile_windows_helper  # noqa: E402

SCRIVLET, EDIT = "Scrivlet", "EditHost/Edit"  # for the timer: a window class, or class/child class
SCRIVLET_CHARSET = 136  # Big5, as document/text_measure.cpp asks for the document font
WALK_TIMEOUT = 300  # seconds for one timer run of keystrokes
HOST_SOURCE = Path(__file__).with_name("edit_host.c")
HOST = BUILD / "bench" / "edit_host.exe"
TIMER_SOURCE = Path(__file__).with_name("wine_timer.c")
TIMER = BUILD / "bench" / "wine_timer.exe"
RELOAD = 100  # the EDIT host's command: read the file again into the control


def prose(units):
    """units units of words in lines of at most 60 units, their CR LF included."""
    words = ("the a of and to in that it with as was for on be by at this had not are but from or have an they "
             "which one you were her all she there would their we him been has when who will more no if out so "
             "said what up its about into than them can only other new some could time these two may then do "
             "first any my now such like our over man me even most made after also did many before must through "
             "back years where much your way well down should because each just those people page document "
             "walk screen line").split()
    generator = random.Random(units)
    lines, line, length = [], "", 0
    while length < units:
        word = generator.choice(words)
        if len(line) + 1 + len(word) > 58:
            lines.append(line + "\r\n")
            length += len(line) + 2
            line = word
        else:
            line = f"{line} {word}" if line else word
    text = "".join(lines)[:units]
    return text[:-1] + "." if text.endswith("\r") else text  # no CR without its LF


def timer(s, *arguments, timeout=WALK_TIMEOUT):
    """Asks the session's timer a verb (see wine_timer.c), starting it at the first."""
    if not hasattr(s, "timer"):
        compile_windows_helper(TIMER_SOURCE, TIMER)
        s.timer = Served(s, TIMER)
    return s.timer.ask(*arguments, timeout=timeout)


def press(s, window, key, count, unit=0):
    """Sends count keystrokes to the window: the key-down and key-up of the
    virtual key (none when 0) around the character unit (none when 0); their
    times in milliseconds."""
    return timer(s, "time-keys", window, str(key), str(unit), str(count))["ms"]


def percentile_95(times):
    times = sorted(times)
    return times[min(len(times) - 1, round(0.95 * (len(times) - 1)))]


def edit_host(s, name, charset):
    """The EDIT control host (a context manager), running on the session's X
    server and prefix, its text area the size of Scrivlet's client area."""
    compile_windows_helper(HOST_SOURCE, HOST)
    return s.helper_window(HOST, ["C:\\" + name, str(s.client[2]), str(s.client[3]), str(charset)], "EditHost")
