// Inserting text at the caret or in place of the selection: typed
// characters, picker cells, Return and Tab.
#include "editing/typed_characters.h"

#include "document/document_store.h"
#include "editing/edit_repaint.h"

void TypeCharacter(int code) {
  if (code < 32 || code > 65535) return;
  WCHAR unit = (WCHAR)code;
  InsertText(&unit, 1, "Can Not Add Character");
}

void InsertText(const WCHAR *units, int count, LPCSTR failureCaption) {
  int from = SelectionActive ? SelectionStart : CaretIndex;
  int to = SelectionActive ? SelectionEnd : CaretIndex;
  ReplaceUnits(from, to, units, count, failureCaption);
}
