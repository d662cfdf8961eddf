"""Screenshots and pixels: the screen grabbed through ImageMagick's import as
RGB images, compared, cropped and saved as PNG, and a session's waits for the
program to have painted."""

import re
import struct
import zlib
from pathlib import Path

from .core import SENTINEL_KEY, SENTINEL_VK, Failure, check, poll, run


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


class Screen:
    """A session's screen: grabs, settled screenshots and full repaints."""

    def grab_screen(self):
        """The whole screen as it is now, without waiting for the program."""
        return Image.from_ppm(run(["import", "-display", self.display, "-window", "root", "-depth", "8", "ppm:-"]))

    def screenshot(self, name=None, area=None):
        """The client area (or area, a screen rectangle) once the program has taken
        in the input sent so far and painted, and the screen has stopped changing:
        two grabs in a row alike (Wine hands a window's pixels to X when its thread
        goes idle, a moment after the paint). Saved as build/e2e/CASE/NAME.png when named."""
        self.wait_until_settled()
        shot = self.settled_grab(area or self.client)
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

    def expect_true_screen(self, before, name):
        """The settled screen after a change, checked against a full repaint."""
        return self.check_full_repaint(self.screenshot_after_change(before, name), f"after {name}")

    def check_full_repaint(self, shown, what):
        """Checks that a full repaint leaves the screen as shown (else saves it as repainted.png); returns shown."""
        self.repaint()
        repainted = self.screenshot()
        if repainted != shown:
            repainted.save_png(self.path("repainted"))
            raise Failure(f"a full repaint {what} changed the box (x, y, width, height) {shown.difference(repainted)}")
        return shown

    def grab(self):
        """The client area as it is now, settled or not."""
        return self.grab_screen().crop(*self.client)

    def settled_grab(self, area):
        """The screen rectangle area once two grabs in a row are alike (alone: for a
        window of another program, whose paint the probe does not wait for)."""
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
