// Edit > Delete: removing the selected units.
#include "editing/delete_selection.h"

#include "app/main_window.h"
#include "document/document_store.h"
#include "document/page_geometry.h"
#include "editing/edit_repaint.h"
#include "input/caret_placement.h"

void DeleteSelection() {
  if (!SelectionActive || SelectionEnd == SelectionStart) return;
  int removed = SelectionEnd - SelectionStart;
  RefreshPageHeight();
  LineRecord *snapshot = TakeEditSnapshot();
  if (snapshot == NULL) {
    ReportFailure("Can not allocate memory", "Can Not Delete");
    return;
  }
  // The painters read the flag and the caret: both change before their repaint.
  SelectionActive = 0;
  InvalidateTextRange(SelectionStart, SelectionEnd);
  EraseCaret();
  RemoveUnits(SelectionStart, SelectionEnd);
  CaretIndex = SelectionStart;
  int oldLineCount = LineCount;
  ReflowDocument();
  InvalidateCaret(CaretIndex);
  RepaintAfterEdit(snapshot, oldLineCount, SelectionStart, SelectionEnd, -removed);
  FreeEditSnapshot(snapshot);
  SelectionStart = SelectionEnd = CaretIndex;
}
