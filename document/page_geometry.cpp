// Page and line metrics, the mapping of display lines to client y, and vertical scrolling.
#include "document/page_geometry.h"

#include "app/program_window.h"
#include "document/line_layout.h"
#include "document/text_measure.h"

int PageTextWidthInches = 6;
int PageTextHeightInches = 8;
int TextWidth;
int PageHeight;
int LineHeight;
int LinesPerPage;
int PageGap;
int TextTop;
int ClientWidth;
int ClientHeight;
int PageLeft;
int PageRight;
int VisibleRows;
int ViewRows;
int PageStep;
int PageCount;
int ScrollMax;
int ScrollLine;

static int ScrollBarMax;  // the top of the range the scroll bar was last given; -1 for none yet

void InitPageMetrics() {
  ScrollBarMax = -1;
  CurrentFaceName = FaceNameTable[FaceIndex];
  HFONT previous;
  int dpiY;
  HDC dc = GetDocumentFontDC(&previous, &dpiY);
  SetLineMetrics(dc, dpiY);
  TextTop = dpiY * 3 / 2;
  ReleaseDocumentFontDC(dc, previous);
}

void SetLineMetrics(HDC dc, int dpiY) {
  GetTextMetricsA(dc, &MainTextMetrics);
  LineHeight = MainTextMetrics.tmHeight + MainTextMetrics.tmExternalLeading;
  if (LineHeight < 1) LineHeight = 1;
  PageHeight = PageTextHeightInches * dpiY;
  LinesPerPage = PageHeight / LineHeight;
  if (LinesPerPage < 1) LinesPerPage = 1;
  PageGap = PageHeight - LinesPerPage * LineHeight;
}

void SetPageHeight(int dpiY) {
  PageHeight = PageTextHeightInches * dpiY;
  PageGap = PageHeight - LinesPerPage * LineHeight;
}

void RefreshPageHeight() {
  HDC dc = GetDC(MainWindow);
  int dpiY = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(MainWindow, dc);
  SetPageHeight(dpiY);
}

void UpdateScrollLimits() {
  VisibleRows = (ClientHeight - TextTop) / LineHeight;
  ViewRows = VisibleRows - 1 < 0 ? 0 : VisibleRows - 1;
  PageStep = ViewRows - 1 < 1 ? 1 : ViewRows - 1;
  PageCount = (LineCount - 1) / LinesPerPage + 1;
  ScrollMax = PageCount * LinesPerPage - ViewRows + 1;
  if (ScrollMax < 0) ScrollMax = 0;
}

static void ClampScrollLine() {
  if (ScrollLine < 0) ScrollLine = 0;
  if (ScrollLine > ScrollMax) ScrollLine = ScrollMax;
}

// Every call redraws the scroll bar, many blits when it is themed: it is told
// only what changed.
void ApplyScrollRange() {
  UpdateScrollLimits();
  bool newRange = ScrollMax != ScrollBarMax;
  if (newRange) {
    SetScrollRange(MainWindow, SB_VERT, 0, ScrollMax, FALSE);
    ScrollBarMax = ScrollMax;
  }
  ClampScrollLine();
  if (newRange) SetScrollPos(MainWindow, SB_VERT, ScrollLine, TRUE);  // draws the new range too
  else ShowScrollLine();
}

void ShowScrollLine() {
  if (GetScrollPos(MainWindow, SB_VERT) != ScrollLine) SetScrollPos(MainWindow, SB_VERT, ScrollLine, TRUE);
}

int DocumentY(int line) { return line / LinesPerPage * PageGap + line * LineHeight; }

int LineTop(int line) { return TextTop + DocumentY(line) - DocumentY(ScrollLine); }

void ScrollViewFrom(int oldLine) {
  RECT view = {0, TextTop, ClientWidth, ClientHeight};
  ScrollWindow(MainWindow, 0, DocumentY(oldLine) - DocumentY(ScrollLine), &view, &view);
  UpdateWindow(MainWindow);
}

void HandleSize(LPARAM lParam) {
  ClientWidth = LOWORD(lParam);
  ClientHeight = HIWORD(lParam);
  ApplyScrollRange();
}

void HandleVerticalScroll(WPARAM wParam) {
  UpdateScrollLimits();
  switch (LOWORD(wParam)) {
    case SB_LINEUP: ScrollLine -= 1; break;
    case SB_LINEDOWN: ScrollLine += 1; break;
    case SB_PAGEUP: ScrollLine -= PageStep; break;
    case SB_PAGEDOWN: ScrollLine += PageStep; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: ScrollLine = HIWORD(wParam); break;
  }
  ClampScrollLine();
  int oldLine = GetScrollPos(MainWindow, SB_VERT);
  if (ScrollLine == oldLine) return;
  SetScrollPos(MainWindow, SB_VERT, ScrollLine, TRUE);
  RefreshPageHeight();
  ScrollViewFrom(oldLine);
}

void UpdatePageFrame() {
  HDC dc = GetDC(MainWindow);
  int dpiX = GetDeviceCaps(dc, LOGPIXELSX);
  int dpiY = GetDeviceCaps(dc, LOGPIXELSY);
  ReleaseDC(MainWindow, dc);
  TextWidth = PageTextWidthInches * dpiX;
  PageLeft = (ClientWidth - TextWidth) / 2;
  PageRight = PageLeft + TextWidth;
  TextTop = dpiY * 3 / 2;
}
