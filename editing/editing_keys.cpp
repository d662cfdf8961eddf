// Return, Tab, Backspace and Delete: the keys that change the text without a
// character message.
#include "editing/editing_keys.h"

#include "document/document_store.h"
#include "editing/delete_selection.h"
#include "editing/typed_characters.h"

const WCHAR LineBreak[2] = {13, 10};
const WCHAR Tab[4] = {32, 32, 32, 32};

void InsertKeyText(const WCHAR *units, int count) { InsertText(units, count, "Can Not Add Characters"); }

void DeleteKeyUnit(bool backwards) {
  if (SelectionActive) {
    DeleteSelection();
    return;
  }
  int caret = CaretIndex;
  if (backwards) {
    if (caret == 0) return;
    DeleteUnits(caret - (LineBreakAt(caret - 2) ? 2 : 1), caret);
  } else {
    if (caret == DocumentLength - 1) return;
    DeleteUnits(caret, caret + (LineBreakAt(caret) ? 2 : 1));
  }
}
