// Where text indices stand on screen, and the repaint primitives that every
// edit and caret move uses to repaint exactly what it changed.
#include "input/caret_placement.h"

#include "app/program_window.h"
#include "document/document_store.h"
#include "document/line_layout.h"
#include "document/page_geometry.h"
#include "document/text_measure.h"

int FindLineOfIndex(int index) {
  // The Ends ascend, so the first line reaching index is found by bisection.
  int low = 0;
  int high = LineCount - 1;
  while (low < high) {
    int middle = (low + high) / 2;
    if (LineTable[middle].End >= index) high = middle;
    else low = middle + 1;
  }
  return low;
}

int IndexX(HDC dc, int line, int index) {
  int start = LineTable[line].Start;
  int shown = VisibleEnd(line) + 1;
  SIZE size;
  MeasureRun(dc, DocumentText + start, (index < shown ? index : shown) - start, &size);
  return PageLeft + size.cx;
}

bool LineOnScreen(int line) {
  int top = LineTop(line);
  return TextTop <= top && top < ClientHeight;
}

// A screen DC holding DocumentFont, with PageGap brought up to date.
static HDC GetMeasuringDC(HFONT *previous) {
  int dpiY;
  HDC dc = GetDocumentFontDC(previous, &dpiY);
  SetPageHeight(dpiY);
  return dc;
}

void RepaintRect(const RECT &area) {
  InvalidateRect(MainWindow, &area, TRUE);
  UpdateWindow(MainWindow);
}

static void RepaintLineSpan(int line, int left, int right) {
  int top = LineTop(line);
  RepaintRect({left, top, right, top + LineHeight});
}

void InvalidateCaret(int index) {
  HFONT previous;
  HDC dc = GetMeasuringDC(&previous);
  int line = FindLineOfIndex(index);
  if (LineOnScreen(line)) {
    int x = IndexX(dc, line, index);
    RepaintLineSpan(line, x, x + 1);
  }
  ReleaseDocumentFontDC(dc, previous);
}

void InvalidateLineTail(int line, int index) {
  HFONT previous;
  HDC dc = GetMeasuringDC(&previous);
  if (LineOnScreen(line)) RepaintLineSpan(line, IndexX(dc, line, index), ClientWidth);
  ReleaseDocumentFontDC(dc, previous);
}

void InvalidateTextRange(int from, int to) {
  if (from >= to) return;  // an empty range shows nothing
  HFONT previous;
  HDC dc = GetMeasuringDC(&previous);
  int first = FindLineOfIndex(from);
  int last = FindLineOfIndex(to);
  if (LineOnScreen(first)) {
    // A range that ends on the LF of its line's CR LF holds the CR, and the
    // selection shows a held line break as a block right of the text.
    bool holdsLineBreak = to == LineTable[first].End && EndsWithLineBreak(first);
    int right = to > LineTable[first].End || holdsLineBreak ? ClientWidth : IndexX(dc, first, to);
    RepaintLineSpan(first, IndexX(dc, first, from), right);
  }
  // Lines above ScrollLine lie above the view.
  for (int line = first + 1 > ScrollLine ? first + 1 : ScrollLine; line < last; line++) {
    if (LineTop(line) >= ClientHeight) break;
    RepaintLineSpan(line, 0, ClientWidth);
  }
  if (last > first && LineOnScreen(last)) RepaintLineSpan(last, 0, IndexX(dc, last, to));
  ReleaseDocumentFontDC(dc, previous);
}

void EraseCaret() {
  int index = CaretIndex;
  // Not index + 1: on the CR of a CR LF pair that is the LF, where the caret
  // would be drawn again at the same x inside the strip being erased.
  CaretIndex = -1;
  InvalidateCaret(index);
  CaretIndex = index;
}

void ScrollCaretIntoView() {
  int line = FindLineOfIndex(CaretIndex);
  UpdateScrollLimits();
  int top = ScrollLine;
  if (line < top) {
    top = line;
  } else if (line >= top + ViewRows) {
    top = line - ViewRows + 1;
    if (top > line) top = line;
  }
  if (top > ScrollMax) top = ScrollMax;
  if (top < 0) top = 0;
  ScrollLine = top;
  ShowScrollLine();
}

void ViewFollowUp() {
  int oldTop = ScrollLine;
  ScrollCaretIntoView();
  if (ScrollLine != oldTop) ScrollViewFrom(oldTop);
}
