"""Wine and the probe: the program started in the session's prefix, Wine's
processes ended, other Windows helpers built and run, and the probe (probe.c)
asked what X cannot tell."""

import contextlib
import json
import os
import select
import subprocess
import time

from .core import PREFIX, PROBE, PROBE_HEADER, START_TIMEOUT, TIMEOUT, check, die_with_parent, poll, run


def compile_windows_helper(source, program):
    """Builds a helper's C source (with probe.h, which it may include) into program, unless program is newer."""
    if program.exists() and program.stat().st_mtime >= max(source.stat().st_mtime, PROBE_HEADER.stat().st_mtime):
        return
    program.parent.mkdir(parents=True, exist_ok=True)
    run(["x86_64-w64-mingw32-gcc", "-std=c11", "-O2", "-Wall", "-Wextra", "-Werror", "-static",
         "-o", str(program), str(source), "-lgdi32", "-lversion"], timeout=120)


class Served:
    """A helper built on probe.h answering verbs one a line ("PROGRAM serve") in a session's prefix."""

    def __init__(self, s, program):
        self.process = subprocess.Popen(
            ["wine", str(program), "serve"], env=s.env, cwd=s.folder, stdin=subprocess.PIPE,
            stdout=subprocess.PIPE, stderr=s.probe_log, preexec_fn=die_with_parent,
        )
        s.stack.callback(s.end_process, self.process)
        self.name, self.output = program.stem, b""

    def ask(self, *arguments, timeout=TIMEOUT):
        """The parsed JSON answer to a verb (timeout: for a verb that waits on a long job)."""
        question = " ".join(arguments)
        self.process.stdin.write(question.encode() + b"\n")
        self.process.stdin.flush()
        deadline = time.monotonic() + timeout
        while b"\n" not in self.output:
            ready, _, _ = select.select([self.process.stdout], [], [], max(0, deadline - time.monotonic()))
            check(ready, f"the {self.name} did not answer {question!r} within {timeout} s")
            chunk = os.read(self.process.stdout.fileno(), 65536)
            check(chunk, f"the {self.name} ended before answering {question!r}")
            self.output += chunk
        line, _, self.output = self.output.partition(b"\n")
        answer = json.loads(line)
        check(not (isinstance(answer, dict) and "error" in answer), f"{self.name} {question}: {answer}")
        return answer


class Wine:
    """A session's program, its Wine prefix and its probe."""

    def _start_program(self):
        check(self.program_file.exists(), f"{self.program_file} does not exist: build the Windows program first")
        log = self.stack.enter_context(open(self.folder / "program.log", "wb"))
        self.program = subprocess.Popen(
            ["wine", str(self.program_file)], env=self.env, cwd=self.folder, stdin=subprocess.DEVNULL,
            stdout=log, stderr=subprocess.STDOUT, preexec_fn=die_with_parent,
        )
        self.stack.callback(self.end_process, self.program)
        self.probe_log = log
        self.prober = Served(self, PROBE)

        self.x_window = self._visible_window(self.program, "Scrivlet", self.folder / "program.log")[0].decode()
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

    def restart_probe(self):
        """Replaces the serving probe, which Wine may have left waiting for good on a question."""
        self.end_process(self.prober.process)
        self.prober = Served(self, PROBE)
        self.probe("share-input")

    def probe(self, *arguments, timeout=TIMEOUT):
        """Asks the probe a verb (see probe.c)."""
        return self.prober.ask(*arguments, timeout=timeout)

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
            self._visible_window(helper, title, log_path)
            yield helper
        finally:
            self.end_process(helper)
            helper.stdout.close()

    def _visible_window(self, process, title, log_path):
        """Waits until process shows a visible window titled title, and returns the X windows so titled."""
        def window_or_exit():
            check(process.poll() is None, f"{process.args[1]} exited with code {process.returncode}"
                  f" before showing its window; see {log_path}")
            found = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", f"^{title}$"], env=self.env,
                                   capture_output=True, timeout=TIMEOUT)
            return found.stdout.split()

        return poll(f"the {title} window", window_or_exit, timeout=START_TIMEOUT)

    def fonts(self):
        """What "Courier New" resolves to at character sets 0 and 136 (see probe.c)."""
        return self.probe("fonts")
