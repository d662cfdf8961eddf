// The line bounds taken before an edit, and the repaint after it that compares
// them with the new lines and repaints only what may have changed.
#include "editing/edit_repaint.h"

#include <string.h>

#include "app/program_window.h"
#include "document/document_store.h"
#include "document/page_geometry.h"
#include "input/caret_placement.h"

LineRecord *TakeEditSnapshot() {
  SIZE_T bytes = sizeof(LineRecord) * (SIZE_T)LineCount;
  LineRecord *snapshot = (LineRecord *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, bytes);
  if (snapshot != NULL) memcpy(snapshot, LineTable, bytes);
  return snapshot;
}

void FreeEditSnapshot(LineRecord *snapshot) { HeapFree(GetProcessHeap(), 0, snapshot); }

static int Smaller(int a, int b) { return a < b ? a : b; }

// First index of a line that kept its place in the text but may have changed
// its end; -1 when neither bound moved.
static int FirstChangedIndex(int oldStart, int oldEnd, int newStart, int newEnd) {
  if (newStart != oldStart) return newStart;
  if (newEnd == oldEnd) return -1;
  return Smaller(newEnd, oldEnd) + 1;
}

void RepaintAfterEdit(const LineRecord *snapshot, int oldLineCount, int editPoint, int oldSelectionEnd,
                      int editShift) {
  int commonLines = Smaller(oldLineCount, LineCount);
  for (int line = ScrollLine; line < commonLines; line++) {
    if (LineTop(line) >= ClientHeight) break;
    int oldStart = snapshot[line].Start;
    int oldEnd = snapshot[line].End;
    int newStart = LineTable[line].Start;
    int newEnd = LineTable[line].End;
    int from;
    if (editPoint > oldEnd) {
      from = FirstChangedIndex(oldStart, oldEnd, newStart, newEnd);  // wholly before the edit
    } else if (oldStart < editPoint) {
      from = newStart != oldStart ? newStart : Smaller(editPoint, newEnd + 1);  // holds the edit point
      // An edit at the LF of a CR LF pair parts the pair: the CR in front of
      // the edit point, hidden until now, is drawn from here on.
      if (editPoint == oldEnd && DocumentText[editPoint - 1] == 13) from = Smaller(from, editPoint - 1);
    } else if (oldSelectionEnd > oldStart) {
      from = newStart;  // began inside the removed units
    } else {
      from = FirstChangedIndex(oldStart + editShift, oldEnd + editShift, newStart, newEnd);  // wholly after
    }
    if (from >= 0) InvalidateLineTail(line, from);
  }

  if (oldLineCount != LineCount) {
    // From the row of a page's rule above the first line that came or went:
    // pages without a gap put that rule on the last row of the line above.
    int top = LineTop(commonLines) - 1;
    if (top < TextTop) top = TextTop;
    if (top < ClientHeight) RepaintRect({0, top, ClientWidth, ClientHeight});
  }
  ViewFollowUp();
}

bool ReplaceUnits(int from, int to, const WCHAR *units, int count, LPCSTR failureCaption) {
  RefreshPageHeight();
  if (DocumentLength - (to - from) + count > DocumentCapacity) {
    ReportFailure("Input exceeds memory limit", failureCaption);
    return false;
  }
  LineRecord *snapshot = TakeEditSnapshot();
  if (snapshot == NULL) {
    ReportFailure("Can not allocate memory", failureCaption);
    return false;
  }
  if (SelectionActive) {
    // The painters read the flag and the caret: both change before their repaint.
    SelectionActive = 0;
    InvalidateTextRange(SelectionStart, SelectionEnd);
  }
  EraseCaret();
  RemoveUnits(from, to);
  InsertUnits(from, units, count);
  CaretIndex = from + count;
  int oldLineCount = LineCount;
  ReflowDocument();
  InvalidateCaret(CaretIndex);
  RepaintAfterEdit(snapshot, oldLineCount, from, to, count - (to - from));
  FreeEditSnapshot(snapshot);
  SelectionStart = SelectionEnd = CaretIndex;
  return true;
}
