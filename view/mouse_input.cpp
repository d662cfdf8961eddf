// Left-button presses and Select All: the caret and the selection set by
// pointing; presses in the picker go to the picker.
#include "view/mouse_input.h"

#include "app/program_window.h"
#include "document/document_store.h"
#include "document/line_layout.h"
#include "document/page_geometry.h"
#include "document/text_measure.h"
#include "input/caret_keys.h"
#include "input/caret_placement.h"
#include "view/character_picker.h"

static bool Inside(const RECT &area, int x, int y) {
  return area.left <= x && x < area.right && area.top <= y && y < area.bottom;
}

// The first line from the top of the view whose row reaches below y; the
// gap at a page's foot belongs to the next page's first line.
static int LineAtY(int y) {
  for (int line = ScrollLine; line < LineCount; line++) {
    if (y < LineTop(line) + LineHeight) return line;
  }
  return LineCount - 1;
}

// In front of the character under x, without rounding to its nearer edge;
// right of the text, behind the last visible unit, except on a wrapped line,
// where that position would belong to the next line: its last unit then.
static int IndexAtPoint(int line, int x) {
  HFONT previous;
  HDC dc = GetDocumentFontDC(&previous, NULL);
  TEXTMETRICA metrics;
  GetTextMetricsA(dc, &metrics);
  int shown = VisibleEnd(line) + 1;
  int position = LineTable[line].Start;
  int cellRight = PageLeft;
  for (; position < shown; position++) {
    cellRight += CellWidth(dc, DocumentText[position], metrics);
    if (x < cellRight) break;
  }
  ReleaseDocumentFontDC(dc, previous);
  bool wrapped = position == shown && line < LineCount - 1 && !EndsWithLineBreak(line);
  return wrapped ? LineTable[line].End : position;
}

// The text gets the keyboard back: the picker's frame goes, then the mark
// returns (Shift+Tab repaints the two the other way round).
static void GiveKeyboardToText() {
  PickerKeyboardMode = 0;
  RepaintFocusFrame(PickerFocus);
  RepaintTextFocusMark();
}

void HandleLeftButtonDown(LPARAM position) {
  int x = LOWORD(position);
  int y = HIWORD(position);
  RefreshPageHeight();
  int pagesFoot = LineTop(PageCount * LinesPerPage);
  if (!(PageLeft <= x && x < PageRight && TextTop <= y && y < pagesFoot)) {
    if (Inside(PickerFrame, x, y)) ClickPicker(x, y);
    return;
  }
  if (PickerKeyboardMode) GiveKeyboardToText();
  int line = LineAtY(y);
  int target = IndexAtPoint(line, x);
  if (y >= LineTop(LineCount - 1) + LineHeight) target = DocumentLength - 1;
  // Shift extends the selection from its anchor, as Shift with a caret key does.
  MoveCaretTo(target);
}

void SelectAll() {
  RefreshPageHeight();
  if (SelectionStart == SelectionEnd) SelectionActive = 0;
  int last = DocumentLength - 1;
  int old = CaretIndex;
  CaretIndex = last;
  if (old != last) {
    InvalidateCaret(old);
    InvalidateCaret(last);
  }
  // Only what was not highlighted yet is repainted.
  if (SelectionActive) {
    int start = SelectionStart;
    int end = SelectionEnd;
    SelectionStart = 0;
    InvalidateTextRange(0, start);
    SelectionEnd = last;
    InvalidateTextRange(end, last);
  } else if (last > 0) {
    SelectionActive = 1;
    SelectionStart = 0;
    SelectionEnd = last;
    InvalidateTextRange(0, last);
  }
  ViewFollowUp();
}
