// The scheme every text change follows: the line bounds taken before the
// edit, the change in place, and the repaint that compares the old bounds with
// the new lines and repaints only what may have changed.
#pragma once

#include <windows.h>

#include "document/line_layout.h"

// Replaces the units from .. to - 1 with count units (none to delete), drops
// the active selection, and leaves the caret behind the new units. A text
// that would not fit, or a failed allocation, is reported under
// failureCaption and changes nothing; false then.
bool ReplaceUnits(int from, int to, const WCHAR *units, int count, LPCSTR failureCaption);

// A heap copy of the Start and End of every display line; NULL when the heap
// has no room.
LineRecord *TakeEditSnapshot();
void FreeEditSnapshot(LineRecord *snapshot);

// After the text changed at editPoint (the units editPoint .. oldSelectionEnd
// - 1 removed, the length changed by editShift), the caret was set and the
// lines rebuilt: repaints the changed tail of each visible line, the area
// below the last line both layouts share when the line count changed, and
// scrolls the caret into view. PageGap must be current.
void RepaintAfterEdit(const LineRecord *snapshot, int oldLineCount, int editPoint, int oldSelectionEnd,
                      int editShift);
