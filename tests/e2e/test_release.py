"""The release zip as a Windows user takes it: unpacked into a fresh Wine prefix
under a folder whose name has a space, the program starts from there and its
file names the program and the version the build gives."""

import re
import shutil
import zipfile

from harness import BUILD, ROOT, START_TIMEOUT, case, check, run

VERSION = re.search(r"project\(Scrivlet VERSION ([\d.]+)", (ROOT / "CMakeLists.txt").read_text())[1]
RELEASE = BUILD / "windows" / "release" / f"Scrivlet-{VERSION}-win64.zip"
UNPACKED = rf"C:\My Programs\Scrivlet-{VERSION}-win64"


def fresh_prefix_with_the_release(s):
    check(RELEASE.exists(), f"{RELEASE} does not exist: build the release first (./release)")
    prefix = s.folder / "fresh-prefix"
    s.stack.callback(shutil.rmtree, prefix, ignore_errors=True)  # some 700 MB
    s.env["WINEPREFIX"] = str(prefix)
    run(["wine", "wineboot", "-i"], env=s.env, timeout=START_TIMEOUT)
    with zipfile.ZipFile(RELEASE) as release:
        s.release_files = sorted(release.namelist())
        release.extractall(prefix / "drive_c" / "My Programs")
    s.program_file = prefix / "drive_c" / "My Programs" / f"Scrivlet-{VERSION}-win64" / "scrivlet.exe"


@case(before_wine=fresh_prefix_with_the_release)
def the_release_runs_unpacked_in_a_fresh_prefix_and_names_its_version(s):
    folder = f"Scrivlet-{VERSION}-win64/"
    check({folder + "scrivlet.exe", folder + "Guide.txt"} <= set(s.release_files)
          and any(name.startswith(folder + "pictures/") for name in s.release_files),
          f"the release holds {s.release_files}")
    with s.step("the running program's file names the program and its version"):
        found = s.probe("version")
        expected = {"path": UNPACKED + r"\scrivlet.exe", "version": [*map(int, VERSION.split(".")), 0],
                    "FileVersion": VERSION, "ProductVersion": VERSION, "ProductName": "Scrivlet",
                    "OriginalFilename": "scrivlet.exe"}
        check({key: found.get(key) for key in expected} == expected and found.get("FileDescription"),
              f"the program's file says {found}, not {expected}")
    with s.step("it takes typing"):
        s.type("Released")
        s.screenshot_after_change(s.initial)
