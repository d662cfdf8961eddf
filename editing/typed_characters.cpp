// Typed characters: one unit inserted at the caret or in place of the selection.
#include "editing/typed_characters.h"

#include "app/main_window.h"
#include "document/document_store.h"
#include "document/page_geometry.h"
#include "editing/edit_repaint.h"
#include "input/caret_placement.h"

void TypeCharacter(int code) {
  if (code < 32 || code > 65535) return;
  RefreshPageHeight();
  int removed = SelectionActive ? SelectionEnd - SelectionStart : 0;
  if (DocumentLength - removed + 1 > DocumentCapacity) {
    ReportFailure("Input exceeds memory limit", "Can Not Add Character");
    return;
  }
  LineRecord *snapshot = TakeEditSnapshot();
  if (snapshot == NULL) {
    ReportFailure("Can not allocate memory", "Can Not Add Character");
    return;
  }
  int editPoint = CaretIndex;
  int removedEnd = CaretIndex;
  if (SelectionActive) {
    editPoint = SelectionStart;
    removedEnd = SelectionEnd;
    // The painters read the flag and the caret: both change before their repaint.
    SelectionActive = 0;
    InvalidateTextRange(SelectionStart, SelectionEnd);
  }
  EraseCaret();
  RemoveUnits(editPoint, removedEnd);
  WCHAR unit = (WCHAR)code;
  InsertUnits(editPoint, &unit, 1);
  CaretIndex = editPoint + 1;
  int oldLineCount = LineCount;
  ReflowDocument();
  InvalidateCaret(CaretIndex);
  RepaintAfterEdit(snapshot, oldLineCount, editPoint, removedEnd, 1 - removed);
  FreeEditSnapshot(snapshot);
  SelectionStart = SelectionEnd = CaretIndex;
}
