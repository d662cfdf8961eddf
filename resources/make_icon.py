#!/usr/bin/env python3
"""Writes scrivlet.ico: one 32 x 32 image in 16 colours, a page with lines of
text under a picker band. Run it again only to change the picture."""
import struct
import sys

# The 16-colour palette: black, white, and the colours the picture uses.
palette = [(0, 0, 0), (255, 255, 255), (32, 64, 160), (200, 200, 200)] + [(0, 0, 0)] * 12
picture = []
for y in range(32):
    row = []
    for x in range(32):
        if y < 6 and 3 <= x < 29:
            colour = 2                                    # the picker band
        elif 8 <= y < 31 and 5 <= x < 27:
            border = x in (5, 26) or y in (8, 30)
            text_line = y in (12, 16, 20, 24) and 8 <= x < (24 if y != 24 else 17)
            colour = 0 if border or text_line else 1      # the page
        else:
            colour = 3                                    # the background
        row.append(colour)
    picture.append(row)

# The image: BITMAPINFOHEADER (height doubled for the AND mask), palette,
# 4-bit XOR rows bottom up, then an all-opaque 1-bit AND mask.
header = struct.pack("<IiiHHIIiiII", 40, 32, 64, 1, 4, 0, 0, 0, 0, 16, 0)
colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
xor = b"".join(bytes((row[x] << 4) | row[x + 1] for x in range(0, 32, 2)) for row in reversed(picture))
mask = bytes(4 * 32)
image = header + colours + xor + mask
directory = struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 32, 32, 16, 0, 1, 4, len(image), 6 + 16)
with open(sys.argv[1] if len(sys.argv) > 1 else "scrivlet.ico", "wb") as out:
    out.write(directory + image)
