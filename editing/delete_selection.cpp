// Removing text: the selection (Edit > Delete, Backspace and Delete over a
// selection) or the units next to the caret.
#include "editing/delete_selection.h"

#include "document/document_store.h"
#include "editing/edit_repaint.h"

void DeleteSelection() {
  if (SelectionNotEmpty()) DeleteUnits(SelectionStart, SelectionEnd);
}

void DeleteUnits(int from, int to) { ReplaceUnits(from, to, NULL, 0, "Can Not Delete"); }
