// The document text, its copy as last opened or saved, and the caret and selection indices.
#include "document/document_store.h"

#include "document/line_layout.h"

WCHAR DocumentText[DocumentCapacity];
int DocumentLength;
WCHAR SavedText[DocumentCapacity];
int SavedLength;
int CaretIndex;
int SelectionStart;
int SelectionEnd;
int SelectionActive;

bool SelectionNotEmpty() { return SelectionActive && SelectionStart < SelectionEnd; }

bool DocumentChangedSinceSave() {
  if (DocumentLength != SavedLength) return true;
  for (int i = 0; i < DocumentLength; i++) {
    if (DocumentText[i] != SavedText[i]) return true;
  }
  return false;
}

void StartEmptyDocument() {
  DocumentText[0] = 0;
  DocumentLength = 1;
  // One line, set directly: layout needs the window's metrics, which come later.
  LineCount = 1;
  LineTable[0].Start = 0;
  LineTable[0].End = 0;
  SavedText[0] = 0;
  SavedLength = 1;
}

void RemoveUnits(int from, int to) {
  if (from == to) return;
  int newLength = DocumentLength - (to - from);
  for (int i = from; i < newLength; i++) DocumentText[i] = DocumentText[i + to - from];
  for (int i = newLength; i < DocumentLength; i++) DocumentText[i] = 0;
  DocumentLength = newLength;
}

void InsertUnits(int index, const WCHAR *units, int count) {
  if (count == 0) return;
  for (int i = DocumentLength - 1; i >= index; i--) DocumentText[i + count] = DocumentText[i];
  for (int i = 0; i < count; i++) DocumentText[index + i] = units[i];
  DocumentLength += count;
}

bool LineBreakAt(int index) { return index >= 0 && DocumentText[index] == 13 && DocumentText[index + 1] == 10; }
