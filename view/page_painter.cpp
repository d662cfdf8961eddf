// The painters of the page view below the picker: page lines, text, caret and
// selection, each drawn whole from the current state on the paint DC.
#include "view/page_painter.h"

#include "document/document_store.h"
#include "document/line_layout.h"
#include "document/page_geometry.h"
#include "document/text_measure.h"
#include "input/caret_placement.h"
#include "view/character_picker.h"

static INT GlyphAdvances[DocumentCapacity];  // one line's pen advances for ExtTextOutW

static HFONT SelectPaintFont(HDC dc) { return SelectDocumentFont(dc, GetDeviceCaps(dc, LOGPIXELSY)); }

// A line across the text area at y, inside the view.
static void DrawRule(HDC dc, int y) {
  MoveToEx(dc, PageLeft, y, NULL);
  LineTo(dc, PageRight, y);
}

static void DrawRuleInView(HDC dc, int y) {
  if (TextTop <= y && y < ClientHeight) DrawRule(dc, y);
}

void PaintPageLines(HDC dc) {
  int pages = (LineCount - 1) / LinesPerPage + 1;
  DrawRule(dc, TextTop - 1);
  // Breaks of the pages down to the one at the top of the view lie above it.
  for (int page = ScrollLine / LinesPerPage + 1; page < pages; page++) {
    int y = LineTop(page * LinesPerPage) - 1;
    if (y >= ClientHeight) break;
    DrawRuleInView(dc, y);
  }
  DrawRuleInView(dc, LineTop(pages * LinesPerPage));
  if (!PickerKeyboardMode) DrawRule(dc, TextTop - 2);
}

void PaintTextLines(HDC dc) {
  int dpiY = GetDeviceCaps(dc, LOGPIXELSY);
  HFONT previous = SelectDocumentFont(dc, dpiY);
  PrepareCellWidths(dc, GetDeviceCaps(dc, LOGPIXELSX), dpiY);
  SetBkMode(dc, TRANSPARENT);
  RECT paint;
  GetClipBox(dc, &paint);
  // Lines above ScrollLine lie above the view and are never drawn; every
  // glyph's ink stays inside its cell, so cells outside the paint box are
  // only stepped over.
  for (int line = ScrollLine; line < LineCount; line++) {
    int y = LineTop(line);
    if (y >= ClientHeight || y >= paint.bottom) break;
    if (y + LineHeight <= paint.top) continue;
    SetTextAlign(dc, TA_LEFT | TA_TOP);
    int x = PageLeft;
    int first = 0, count = 0, firstOrigin = 0, origin = 0;
    for (int i = LineTable[line].Start; i <= VisibleEnd(line) && x < paint.right; i++) {
      int cell = CachedCellWidth(dc, DocumentText[i]);
      if (x + cell > paint.left) {
        // Each glyph stands at its cell's left edge, moved right by any left
        // overhang so that it stays out of the cell before it.
        int next = x + CachedLeftOverhang[DocumentText[i]];
        if (count == 0) first = i, firstOrigin = next;
        else GlyphAdvances[count - 1] = next - origin;
        origin = next;
        GlyphAdvances[count++] = cell;
      }
      x += cell;
    }
    // One call for the line; the explicit advances and no language
    // processing keep every unit exactly where it would stand alone.
    if (count > 0) {
      ExtTextOutW(dc, firstOrigin, y, ETO_IGNORELANGUAGE, NULL, DocumentText + first, (UINT)count, GlyphAdvances);
    }
  }
  RestoreFont(dc, previous);
}

void PaintCaret(HDC dc) {
  if (CaretIndex < 0 || CaretIndex > DocumentLength - 1) return;
  HFONT previous = SelectPaintFont(dc);
  int line = FindLineOfIndex(CaretIndex);
  if (LineOnScreen(line)) {
    int x = IndexX(dc, line, CaretIndex);
    int y = LineTop(line);
    MoveToEx(dc, x, y, NULL);
    LineTo(dc, x, y + LineHeight);
  }
  RestoreFont(dc, previous);
}

// Client x of index on line, counting units past the visible end too.
static int RunX(HDC dc, int line, int index) {
  SIZE size;
  MeasureRun(dc, DocumentText + LineTable[line].Start, index - LineTable[line].Start, &size);
  return PageLeft + size.cx;
}

static bool IsLastLine(int line) {
  int end = LineTable[line].End;
  return end == DocumentLength - 1 && DocumentText[end] == 0;
}

static void InvertLineSpan(HDC dc, int line, int left, int right) {
  if (LineOnScreen(line)) PatBlt(dc, left, LineTop(line), right - left, LineHeight, DSTINVERT);
}

void PaintSelection(HDC dc) {
  if (!SelectionNotEmpty()) return;
  HFONT previous = SelectPaintFont(dc);
  // A selected line break shows as a block this wide after the line's text.
  static const WCHAR lineBreak[] = {13, 10};
  SIZE breakSize;
  MeasureRun(dc, lineBreak, 2, &breakSize);
  int breakMarkWidth = breakSize.cx;
  int first = FindLineOfIndex(SelectionStart);
  int last = FindLineOfIndex(SelectionEnd);

  int visibleEnd = VisibleEnd(first);
  int lineEndX = RunX(dc, first, visibleEnd + 1);
  int left = SelectionStart <= visibleEnd ? RunX(dc, first, SelectionStart) : lineEndX;
  int right;
  if (EndsWithLineBreak(first)) {
    int cr = LineTable[first].End - 1;
    right = SelectionEnd > cr ? lineEndX + breakMarkWidth : SelectionEnd == cr ? lineEndX : RunX(dc, first, SelectionEnd);
  } else if (IsLastLine(first)) {
    right = SelectionEnd <= visibleEnd ? RunX(dc, first, SelectionEnd) : lineEndX;
  } else {
    right = SelectionEnd <= LineTable[first].End ? RunX(dc, first, SelectionEnd) : lineEndX;
  }
  InvertLineSpan(dc, first, left, right);

  for (int line = first + 1 > ScrollLine ? first + 1 : ScrollLine; line < last; line++) {
    if (LineTop(line) >= ClientHeight) break;
    int lineRight = RunX(dc, line, VisibleEnd(line) + 1) + (EndsWithLineBreak(line) ? breakMarkWidth : 0);
    InvertLineSpan(dc, line, PageLeft, lineRight);
  }

  if (last > first) {
    int lastVisibleEnd = VisibleEnd(last);
    bool pastText = SelectionEnd > lastVisibleEnd && (EndsWithLineBreak(last) || IsLastLine(last));
    InvertLineSpan(dc, last, PageLeft, RunX(dc, last, pastText ? lastVisibleEnd + 1 : SelectionEnd));
  }
  RestoreFont(dc, previous);
}
