"""The page view's geometry at 96 dpi, as the end-to-end cases and the tools
that drive the program find it on the screen."""

UNIT = 36  # the picker's grid unit, 3/8 inch at 96 dpi
TEXT_TOP = 144  # 1.5 inches
PAGE_WIDTH = 576  # 6 inches


def geometry(s):
    """The panel's left edge and the page's left edge for this client width."""
    width = s.client[2]
    return (width - 16 * UNIT) // 2, (width - PAGE_WIDTH) // 2


def black(image, x, y):
    return image.pixel(x, y) == (0, 0, 0)


def near_black(image, x, y):
    return any(black(image, x + dx, y + dy) for dx in (-1, 0, 1) for dy in (-1, 0, 1))


def picker_button(s, column, row):
    """Centre of the button in grid column (0..15) and row (1 or 2)."""
    left, _ = geometry(s)
    return left + column * UNIT + UNIT // 2, row * UNIT + UNIT // 2
