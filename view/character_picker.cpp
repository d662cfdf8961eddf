// The character picker panel above the pages: its layout, painting, mouse
// presses and the Up/Down autorepeat, and which part has the keyboard.
#include "view/character_picker.h"

#include <stdio.h>
#include <string.h>

#include "app/program_window.h"
#include "document/page_geometry.h"
#include "document/text_measure.h"
#include "editing/typed_characters.h"
#include "input/caret_placement.h"

int PickerRow = PickerFirstRow;
RECT PickerFrame;
RECT PickerRects[PickerButtonCount];
int PickerKeyboardMode;
int PickerFocus;
int PickerButtonHeld;
int PickerRepeatTicks;

void LayoutPicker() {
  HDC dc = GetDC(MainWindow);
  int unitX = GetDeviceCaps(dc, LOGPIXELSX) / 8 * 3;  // 3/8 inch
  int unitY = GetDeviceCaps(dc, LOGPIXELSY) / 8 * 3;
  ReleaseDC(MainWindow, dc);
  int x0 = (ClientWidth - 16 * unitX) / 2;
  PickerFrame = {x0, unitY, x0 + 16 * unitX, 3 * unitY};
  PickerRects[PickerUp] = {x0, unitY, x0 + 3 * unitX, 2 * unitY};
  PickerRects[PickerDown] = {x0, 2 * unitY, x0 + 3 * unitX, 3 * unitY};
  PickerRects[PickerRowLabel] = {x0 + 3 * unitX, unitY, x0 + 6 * unitX, 3 * unitY};
  for (int d = 0; d < 10; d++) {
    int left = x0 + 6 * unitX + d * unitX;
    PickerRects[PickerFirstDigit + d] = {left, unitY, left + unitX, 2 * unitY};
    PickerRects[PickerFirstCell + d] = {left, 2 * unitY, left + unitX, 3 * unitY};
  }
}

// Creates a font of the face and character set for buttons of height
// buttonHeight: characters four sevenths of it, or cells of exactly it when
// the face's glyphs would be taller than the button. Returns the previous font.
static HFONT SelectButtonFont(HDC dc, LPCSTR face, BYTE charset, int buttonHeight, TEXTMETRICA *metrics) {
  LOGFONTA font;
  memset(&font, 0, sizeof font);
  font.lfHeight = -(4 * buttonHeight) / 7;
  font.lfCharSet = charset;
  strncpy(font.lfFaceName, face, LF_FACESIZE - 1);
  HFONT previous = (HFONT)SelectObject(dc, CreateFontIndirectA(&font));
  GetTextMetricsA(dc, metrics);
  if (metrics->tmHeight > buttonHeight) {
    font.lfHeight = buttonHeight;
    DeleteObject(SelectObject(dc, CreateFontIndirectA(&font)));
    GetTextMetricsA(dc, metrics);
  }
  return previous;
}

static int CenterX(const RECT &button) { return (button.left + button.right) / 2; }

static int CenterTop(const RECT &button, const TEXTMETRICA &metrics) {
  return button.top + (button.bottom - metrics.tmHeight - button.top) / 2;
}

static void DrawButtonLabel(HDC dc, int button, const char *label, const TEXTMETRICA &metrics) {
  const RECT &r = PickerRects[button];
  TextOutA(dc, CenterX(r), CenterTop(r, metrics), label, (int)strlen(label));
}

static void DrawLine(HDC dc, int x1, int y1, int x2, int y2) {
  MoveToEx(dc, x1, y1, NULL);
  LineTo(dc, x2, y2);
}

static void DrawOutlines(HDC dc) {
  Rectangle(dc, PickerFrame.left, PickerFrame.top, PickerFrame.right, PickerFrame.bottom);
  // Neighbours share one border line; buttons on the frame's right and
  // bottom edges stop on the frame's own border.
  for (int i = 0; i < PickerButtonCount; i++) {
    const RECT &r = PickerRects[i];
    bool lastColumn = i == PickerFirstDigit + 9 || i == PickerFirstCell + 9;
    bool bottomRow = i == PickerDown || i == PickerRowLabel || i >= PickerFirstCell;
    Rectangle(dc, r.left, r.top, lastColumn ? r.right : r.right + 1, bottomRow ? r.bottom : r.bottom + 1);
  }
}

static void DrawFocusFrame(HDC dc) {
  const RECT &r = PickerRects[PickerFocus];
  LONG l = r.left, t = r.top, rr = r.right, b = r.bottom;
  DrawLine(dc, l, t, rr, t);
  DrawLine(dc, l, t - 1, rr, t - 1);
  DrawLine(dc, l, t, l, b);
  DrawLine(dc, l - 1, t, l - 1, b);
  DrawLine(dc, rr - 1, t, rr - 1, b);
  DrawLine(dc, rr, t, rr, b);
  DrawLine(dc, l, b - 1, rr, b - 1);
  DrawLine(dc, l, b, rr, b);
}

static RECT Grown(const RECT &r) { return {r.left - 1, r.top - 1, r.right + 1, r.bottom + 1}; }

void PaintPicker(HDC dc) {
  // Most paints repaint text below the panel: drawing it would change no pixel.
  RECT paint;
  RECT panel = Grown(PickerFrame);
  GetClipBox(dc, &paint);
  if (paint.right <= panel.left || panel.right <= paint.left || paint.bottom <= panel.top || panel.bottom <= paint.top) {
    return;
  }
  DrawOutlines(dc);
  SetBkMode(dc, TRANSPARENT);
  SetTextAlign(dc, TA_CENTER | TA_TOP);

  TEXTMETRICA metrics;
  const RECT &up = PickerRects[PickerUp];
  HFONT previous = SelectButtonFont(dc, "Courier New", 0, up.bottom - up.top, &metrics);
  char label[16];
  DrawButtonLabel(dc, PickerUp, "Up", metrics);
  DrawButtonLabel(dc, PickerDown, "Down", metrics);
  snprintf(label, sizeof label, "%i%s", PickerRow, "_");
  DrawButtonLabel(dc, PickerRowLabel, label, metrics);
  for (int d = 0; d < 10; d++) {
    snprintf(label, sizeof label, "%i", d);
    DrawButtonLabel(dc, PickerFirstDigit + d, label, metrics);
  }
  RestoreFont(dc, previous);

  const RECT &firstCell = PickerRects[PickerFirstCell];
  previous = SelectButtonFont(dc, CurrentFaceName, FontCharset, firstCell.bottom - firstCell.top, &metrics);
  for (int d = 0; d < 10; d++) {
    const RECT &r = PickerRects[PickerFirstCell + d];
    int code = PickerRow * 10 + d;
    if (code < 32 || code > 65535) {
      DrawLine(dc, r.left, r.top, r.right, r.bottom);
      DrawLine(dc, r.left, r.bottom - 1, r.right, r.top - 1);
    } else {
      // Clipped to the cell: a glyph wider than the cell would be left behind
      // in its neighbours when the row changes.
      WCHAR unit = (WCHAR)code;
      ExtTextOutW(dc, CenterX(r), CenterTop(r, metrics), ETO_CLIPPED, &r, &unit, 1, NULL);
    }
  }
  SetTextAlign(dc, TA_LEFT | TA_TOP);
  if (PickerKeyboardMode) DrawFocusFrame(dc);
  RestoreFont(dc, previous);
}

void RepaintPickerRow() {
  RepaintRect(PickerRects[PickerRowLabel]);
  const RECT &first = PickerRects[PickerFirstCell];
  const RECT &last = PickerRects[PickerFirstCell + 9];
  RepaintRect({first.left, first.top, last.right, last.bottom});
}

void RepaintFocusFrame(int button) { RepaintRect(Grown(PickerRects[button])); }

void RepaintTextFocusMark() { RepaintRect({PageLeft, TextTop - 2, PageRight, TextTop - 1}); }

void MovePickerFocus(int focus) {
  int old = PickerFocus;
  PickerFocus = focus;
  if (!PickerKeyboardMode) {
    PickerKeyboardMode = 1;
    RepaintTextFocusMark();
    RepaintFocusFrame(focus);
  } else if (focus != old) {
    // The old frame is repainted with PickerFocus already moved, which erases it.
    RepaintFocusFrame(old);
    RepaintFocusFrame(focus);
  }
}

bool StepPickerRow(int direction, int *stepsTaken) {
  if (PickerRow == (direction < 0 ? PickerFirstRow : PickerLastRow)) return false;
  // Ten steps of 1, ten of 10, then steps of 100.
  int step = *stepsTaken < 10 ? 1 : *stepsTaken < 20 ? 10 : 100;
  if (*stepsTaken < 20) (*stepsTaken)++;
  PickerRow += direction * step;
  if (PickerRow < PickerFirstRow) PickerRow = PickerFirstRow;
  if (PickerRow > PickerLastRow) PickerRow = PickerLastRow;
  RepaintPickerRow();
  return true;
}

static bool Holds(const RECT &r, int x, int y) { return r.left <= x && x < r.right && r.top <= y && y < r.bottom; }

void ClickPicker(int x, int y) {
  int button = 0;
  while (button < PickerButtonCount - 1 && !Holds(PickerRects[button], x, y)) button++;
  int focus = button == PickerRowLabel ? PickerUp
              : button >= PickerFirstDigit && button < PickerFirstCell ? button + 10
                                                                         : button;
  MovePickerFocus(focus);
  if (button == PickerRowLabel || (button >= PickerFirstDigit && button < PickerFirstCell)) return;
  if (focus >= PickerFirstCell) {
    TypeCharacter(PickerRow * 10 + (focus - PickerFirstCell));
    return;
  }
  int limit = focus == PickerUp ? PickerFirstRow : PickerLastRow;
  if (PickerRow == limit) return;
  PickerRow += focus == PickerUp ? -1 : 1;
  RepaintPickerRow();
  PickerButtonHeld = 1;
  SetCapture(MainWindow);
  PickerRepeatTicks = 0;
  SetTimer(MainWindow, PickerRepeatTimer, 400, NULL);
}

void PickerAutorepeatTick() {
  if (!PickerButtonHeld || (PickerFocus != PickerUp && PickerFocus != PickerDown)) return;
  int direction = PickerFocus == PickerUp ? -1 : 1;
  if (!StepPickerRow(direction, &PickerRepeatTicks) || PickerRow == (direction < 0 ? PickerFirstRow : PickerLastRow)) {
    StopPickerAutorepeat();
  } else {
    KillTimer(MainWindow, PickerRepeatTimer);
    SetTimer(MainWindow, PickerRepeatTimer, 100, NULL);
  }
}

void StopPickerAutorepeat() {
  PickerButtonHeld = 0;
  ReleaseCapture();
  KillTimer(MainWindow, PickerRepeatTimer);
}
