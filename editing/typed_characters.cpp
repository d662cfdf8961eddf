// Inserting text at the caret or in place of the selection: typed
// characters, picker cells, Return and Tab.
#include "editing/typed_characters.h"

#include "app/main_window.h"
#include "document/document_store.h"
#include "document/page_geometry.h"
#include "editing/edit_repaint.h"
#include "input/caret_placement.h"

void TypeCharacter(int code) {
  if (code < 32 || code > 65535) return;
  WCHAR unit = (WCHAR)code;
  InsertText(&unit, 1, "Can Not Add Character");
}

void InsertText(const WCHAR *units, int count, LPCSTR failureCaption) {
  RefreshPageHeight();
  int removed = SelectionActive ? SelectionEnd - SelectionStart : 0;
  if (DocumentLength - removed + count > DocumentCapacity) {
    ReportFailure("Input exceeds memory limit", failureCaption);
    return;
  }
  LineRecord *snapshot = TakeEditSnapshot();
  if (snapshot == NULL) {
    ReportFailure("Can not allocate memory", failureCaption);
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
  InsertUnits(editPoint, units, count);
  CaretIndex = editPoint + count;
  int oldLineCount = LineCount;
  ReflowDocument();
  InvalidateCaret(CaretIndex);
  RepaintAfterEdit(snapshot, oldLineCount, editPoint, removedEnd, count - removed);
  FreeEditSnapshot(snapshot);
  SelectionStart = SelectionEnd = CaretIndex;
}
