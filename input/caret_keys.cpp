// Key-downs: the caret movement keys and Escape in text mode, and the
// hand-over of editing keys and of the picker's keyboard mode.
#include "input/caret_keys.h"

#include <windows.h>

#include "app/program_window.h"
#include "document/document_store.h"
#include "document/line_layout.h"
#include "document/page_geometry.h"
#include "document/text_measure.h"
#include "editing/editing_keys.h"
#include "input/caret_placement.h"
#include "input/picker_keys.h"
#include "view/character_picker.h"

int KeyRepeatCount;

bool KeyHeld(int virtualKey) { return GetKeyState(virtualKey) < 0; }

static int Smaller(int a, int b) { return a < b ? a : b; }
static int Larger(int a, int b) { return a > b ? a : b; }

static void SetSelection(int anchor, int caret) {
  SelectionStart = Smaller(anchor, caret);
  SelectionEnd = Larger(anchor, caret);
}

// Shift with a selection: the caret's end moves, the anchor stays.
static void ExtendSelection(int old, int target) {
  int oldStart = SelectionStart;
  int oldEnd = SelectionEnd;
  if (old != oldStart && old != oldEnd) {
    // The caret stood at neither end (a settings change moved it to 0): the
    // new range may share nothing with the highlighted one, so both are
    // repainted, or the screen would show a selection the next edit ignores.
    SetSelection(oldStart, target);
    InvalidateTextRange(oldStart, oldEnd);
    InvalidateTextRange(SelectionStart, SelectionEnd);
    return;
  }
  int anchor = old == oldStart ? oldEnd : oldStart;
  bool crossesAnchor = old == oldStart ? target > anchor : target < anchor;
  if (crossesAnchor) {
    // The old highlight goes first, painted as an empty selection at the anchor.
    SelectionStart = SelectionEnd = anchor;
    InvalidateTextRange(oldStart, oldEnd);
    SetSelection(anchor, target);
    InvalidateTextRange(SelectionStart, SelectionEnd);
    return;
  }
  SetSelection(anchor, target);
  InvalidateTextRange(Smaller(old, target), Larger(old, target));
}

void MoveCaretTo(int target) {
  int old = CaretIndex;
  // The strip at old is repainted with the caret already gone from it.
  CaretIndex = target;
  if (target != old) {
    InvalidateCaret(old);
    InvalidateCaret(target);
  }
  bool extend = KeyHeld(VK_SHIFT);
  if (SelectionActive && extend) {
    ExtendSelection(old, target);
  } else if (SelectionActive) {
    SelectionActive = 0;
    InvalidateTextRange(SelectionStart, SelectionEnd);
    SelectionStart = SelectionEnd = target;
  } else if (extend) {
    SelectionActive = 1;
    SetSelection(old, target);
    InvalidateTextRange(SelectionStart, SelectionEnd);
  }
  ViewFollowUp();
}

// The last caret position of a line: its CR when it ends in CR LF, else its
// End (the terminator on the last line; on a wrapped line the position behind
// its last unit belongs to the next line).
static int LastCaretPosition(int line) { return LineTable[line].End - (EndsWithLineBreak(line) ? 1 : 0); }

static void MoveLeft() {
  int old = CaretIndex;
  if (old == 0) return;
  MoveCaretTo(old - (LineBreakAt(old - 2) ? 2 : 1));
}

static void MoveRight() {
  int old = CaretIndex;
  if (old == DocumentLength - 1) return;
  MoveCaretTo(old + (LineBreakAt(old) ? 2 : 1));
}

static void MoveHome() {
  MoveCaretTo(KeyHeld(VK_CONTROL) ? 0 : LineTable[FindLineOfIndex(CaretIndex)].Start);
}

static void MoveEnd() {
  MoveCaretTo(KeyHeld(VK_CONTROL) ? DocumentLength - 1 : LastCaretPosition(FindLineOfIndex(CaretIndex)));
}

static void MovePageUp() {
  int old = CaretIndex;
  if (old == 0) return;
  int line = FindLineOfIndex(old);
  if (!KeyHeld(VK_CONTROL)) {
    MoveCaretTo(LineTable[Larger(line - PageStep, 0)].Start);
    return;
  }
  int page = line / LinesPerPage;
  // From the top of a page the key goes on to the page before.
  if (line % LinesPerPage == 0 && old == LineTable[line].Start && page > 0) page--;
  MoveCaretTo(LineTable[page * LinesPerPage].Start);
}

static void MovePageDown() {
  int line = FindLineOfIndex(CaretIndex);
  if (CaretIndex == DocumentLength - 1 || line == LineCount - 1) return;
  if (!KeyHeld(VK_CONTROL)) {
    MoveCaretTo(LineTable[Smaller(line + PageStep, LineCount - 1)].Start);
    return;
  }
  int page = line / LinesPerPage;
  bool lastPage = page == (LineCount - 1) / LinesPerPage;
  MoveCaretTo(LineTable[lastPage ? LineCount - 1 : (page + 1) * LinesPerPage].Start);
}

// The caret position on line whose x lies nearest column: at or left of it
// for Up (leftward), at or right of it for Down.
static int PositionAtColumn(HDC dc, int line, int column, bool leftward) {
  TEXTMETRICA metrics;
  GetTextMetricsA(dc, &metrics);
  int start = LineTable[line].Start;
  int last = LastCaretPosition(line);
  int shown = VisibleEnd(line) + 1;
  int found = leftward ? start : last;
  int x = 0;  // the width of the units of the line in front of position
  for (int position = start; position <= last; position++) {
    if (leftward && x <= column) found = position;
    if (!leftward && x >= column) return position;
    if (position < shown) x += CellWidth(dc, DocumentText[position], metrics);
  }
  return found;
}

static void MoveVertically(int direction) {
  int line = FindLineOfIndex(CaretIndex);
  int target = line + direction;
  if (target < 0 || target >= LineCount) return;
  HFONT previous;
  HDC dc = GetDocumentFontDC(&previous, NULL);
  // Measured afresh at each press: a short line on the way shortens it.
  int targetColumnX = IndexX(dc, line, CaretIndex) - PageLeft;
  MoveCaretTo(PositionAtColumn(dc, target, targetColumnX, direction < 0));
  ReleaseDocumentFontDC(dc, previous);
}

static void DropSelection() {
  if (!SelectionActive) return;
  SelectionActive = 0;
  InvalidateTextRange(SelectionStart, SelectionEnd);
  SelectionStart = SelectionEnd = CaretIndex;
  ViewFollowUp();
}

void HandleKeyDown(int key) {
  RefreshPageHeight();
  if (PickerKeyboardMode) {
    HandlePickerKey(key);
    return;
  }
  switch (key) {
    case VK_BACK: DeleteKeyUnit(true); break;
    case VK_TAB: if (KeyHeld(VK_SHIFT)) EnterPickerKeyboardMode(); else InsertKeyText(Tab, 4); break;
    case VK_RETURN: InsertKeyText(LineBreak, 2); break;
    case VK_ESCAPE: DropSelection(); break;
    case VK_PRIOR: MovePageUp(); break;
    case VK_NEXT: MovePageDown(); break;
    case VK_END: MoveEnd(); break;
    case VK_HOME: MoveHome(); break;
    case VK_LEFT: MoveLeft(); break;
    case VK_UP: MoveVertically(-1); break;
    case VK_RIGHT: MoveRight(); break;
    case VK_DOWN: MoveVertically(1); break;
    case VK_DELETE: DeleteKeyUnit(false); break;
  }
}
