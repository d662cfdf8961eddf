// Page and line metrics, the mapping of display lines to client y, and vertical scrolling.
#pragma once

#include <windows.h>

extern int PageTextWidthInches;   // width of a page's text area
extern int PageTextHeightInches;  // height of a page's text area
extern int TextWidth;             // text area width in pixels: 6 inches at dpiX
extern int PageHeight;            // page height in pixels: 8 inches at dpiY
extern int LineHeight;            // pitch of display lines, at least 1
extern int LinesPerPage;          // whole lines on a page, at least 1
extern int PageGap;               // the empty foot of every page below its last line
extern int TextTop;               // client y of the top of the view; the picker is above it
extern int ClientWidth;           // client area size from the last WM_SIZE
extern int ClientHeight;
extern int PageLeft;              // client x of the text area's left edge (negative in a narrow window)
extern int PageRight;             // client x just right of the text area
extern int VisibleRows;           // lines whose tops fit below TextTop
extern int ViewRows;              // rows the caret's line may occupy: VisibleRows - 1, at least 0
extern int PageStep;              // lines moved by a page-wise scroll, at least 1
extern int PageCount;             // pages the display lines fill
extern int ScrollMax;             // the largest ScrollLine: every row of the last page can be shown
extern int ScrollLine;            // display line at the top of the view; the scroll bar's position

// Window creation: the document font's metrics give LineHeight and
// LinesPerPage, and the resolution gives TextTop.
void InitPageMetrics();
// Reads MainTextMetrics from dc, which holds DocumentFont, and sets LineHeight,
// LinesPerPage, PageHeight and PageGap for resolution dpiY.
void SetLineMetrics(HDC dc, int dpiY);
// PageHeight and PageGap at resolution dpiY.
void SetPageHeight(int dpiY);
// SetPageHeight at the screen's current resolution.
void RefreshPageHeight();
// VisibleRows, ViewRows, PageStep, PageCount and ScrollMax from the client
// height and the line count.
void UpdateScrollLimits();
// Updates the limits, sets the scroll bar's range, clamps ScrollLine into it
// and sets the scroll bar's position.
void ApplyScrollRange();
// Moves the scroll bar's thumb to ScrollLine, unless it stands there.
void ShowScrollLine();

// Top of display line L from the top of the first page's text area.
int DocumentY(int line);
// Client y of the top of display line L at the current ScrollLine.
int LineTop(int line);
// Moves the pixels of the view from where ScrollLine oldLine showed them to
// where the current ScrollLine shows them, and paints what that uncovers.
// PageGap must be current.
void ScrollViewFrom(int oldLine);

void HandleSize(LPARAM lParam);
void HandleVerticalScroll(WPARAM wParam);
// PageLeft, PageRight and TextTop for the current client width and resolution.
void UpdatePageFrame();
