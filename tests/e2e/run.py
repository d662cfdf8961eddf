#!/usr/bin/env python3
"""Runs Scrivlet's end-to-end cases under Wine on a private X server.

    python3 tests/e2e/run.py           every case, each in a process of its own
    python3 tests/e2e/run.py CASE      one case
    python3 tests/e2e/run.py --list    the case names

Prepares the Wine prefix first (tools/wine-prefix). A failure names the step,
and the case's folder build/e2e/CASE holds its screenshots and program output."""

import importlib
import signal
import subprocess
import sys
import time
import traceback
from pathlib import Path

HERE = Path(__file__).resolve().parent
sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, str(HERE))
from harness import CASES, ROOT, Failure, Session, Skipped  # noqa: E402

for module in sorted(HERE.glob("test_*.py")):
    importlib.import_module(module.stem)


SKIPPED = 77  # CTest's SKIP_RETURN_CODE for these cases


def run_case(name):
    print(f"== {name}", flush=True)
    started = time.monotonic()
    function, characters = CASES[name]
    session = Session(name, characters)
    try:
        with session:
            function(session)
    except Skipped as reason:
        print(f"SKIP {name}: {reason}")
        return SKIPPED
    except Exception as error:  # a Failure, or a fault of the harness: both name the step
        print(f"FAIL {name}, at step: {session.step_name}")
        print(f"  {error}" if isinstance(error, Failure) else traceback.format_exc())
        for artifact in ("failure.png", "program.log"):
            if (session.folder / artifact).exists():
                print(f"  {artifact}: {session.folder / artifact}")
        return 1
    print(f"PASS {name} ({time.monotonic() - started:.1f} s)", flush=True)
    return 0


def run_all():
    failed, skipped = [], []
    for name in CASES:
        code = subprocess.run([sys.executable, __file__, name]).returncode
        if code != 0:
            (skipped if code == SKIPPED else failed).append(name)
    if failed:
        print("Failed: " + ", ".join(failed))
    print(f"{len(CASES) - len(failed) - len(skipped)} passed, {len(skipped)} skipped, {len(failed)} failed")
    return 1 if failed else 0


def main(arguments):
    # A terminated run still ends its program, Wine and Xvfb (Session cleans up on the way out).
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(128 + signal.SIGTERM))
    if arguments == ["--list"]:
        print("\n".join(CASES))
        return 0
    if len(arguments) > 1 or (arguments and arguments[0] not in CASES):
        print(__doc__ + "\nCases: " + ", ".join(CASES), file=sys.stderr)
        return 2
    subprocess.run([ROOT / "tools" / "wine-prefix"], check=True)
    return run_case(arguments[0]) if arguments else run_all()


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
