// Where text indices stand on screen, and the repaint primitives that every
// edit and caret move uses to repaint exactly what it changed.
#pragma once

#include <windows.h>

// The first display line whose End is at or after index; the last line when none is.
int FindLineOfIndex(int index);
// Client x of the cell of index on line: past the line's visible units it is
// just after the last of them, before the line's start it is PageLeft.
// dc must hold DocumentFont.
int IndexX(HDC dc, int line, int index);
// True when the top of line lies in the view: TextTop <= LineTop < ClientHeight.
bool LineOnScreen(int line);

// Each repaints its area at once (InvalidateRect with erase, then
// UpdateWindow), so the painters see the state of the moment of the call.
void RepaintRect(const RECT &area);
// The one-pixel caret strip in front of index.
void InvalidateCaret(int index);
// The given line from the x of index to the right edge of the client area.
void InvalidateLineTail(int line, int index);
// Every pixel row showing the units from .. to - 1.
void InvalidateTextRange(int from, int to);
// Takes the caret off the screen: the strip at CaretIndex is repainted while
// CaretIndex is an index the caret painter draws nothing for.
void EraseCaret();

// Moves ScrollLine so that the caret's line lies in the first ViewRows rows
// of the view and sets the scroll bar; scrolls and repaints nothing.
void ScrollCaretIntoView();
// ScrollCaretIntoView, then moves the view's pixels to the new ScrollLine and
// paints what that uncovers. PageGap must be current.
void ViewFollowUp();
