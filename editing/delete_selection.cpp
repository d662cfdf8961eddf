// Removing text: the selection (Edit > Delete, Backspace and Delete over a
// selection) or the units next to the caret.
#include "editing/delete_selection.h"

#include "app/main_window.h"
#include "document/document_store.h"
#include "document/page_geometry.h"
#include "editing/edit_repaint.h"
#include "input/caret_placement.h"

void DeleteSelection() {
  if (SelectionActive && SelectionEnd != SelectionStart) DeleteUnits(SelectionStart, SelectionEnd);
}

void DeleteUnits(int from, int to) {
  RefreshPageHeight();
  LineRecord *snapshot = TakeEditSnapshot();
  if (snapshot == NULL) {
    ReportFailure("Can not allocate memory", "Can Not Delete");
    return;
  }
  if (SelectionActive) {
    // The painters read the flag and the caret: both change before their repaint.
    SelectionActive = 0;
    InvalidateTextRange(SelectionStart, SelectionEnd);
  }
  EraseCaret();
  RemoveUnits(from, to);
  CaretIndex = from;
  int oldLineCount = LineCount;
  ReflowDocument();
  InvalidateCaret(CaretIndex);
  RepaintAfterEdit(snapshot, oldLineCount, from, to, from - to);
  FreeEditSnapshot(snapshot);
  SelectionStart = SelectionEnd = CaretIndex;
}
