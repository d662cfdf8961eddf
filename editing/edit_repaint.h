// The line bounds taken before an edit, and the repaint after it that compares
// them with the new lines and repaints only what may have changed.
#pragma once

#include "document/line_layout.h"

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
