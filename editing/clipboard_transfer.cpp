// Cut, Copy and Paste: text exchanged with the system clipboard as Unicode
// text, unit for unit, line ends and all.
#include "editing/clipboard_transfer.h"

#include <string.h>
#include <windows.h>

#include "app/program_window.h"
#include "document/document_store.h"
#include "editing/edit_repaint.h"
#include "editing/typed_characters.h"

// No larger text can fit the document, so the rest of a larger block is
// never read: a huge or hostile block costs no more than this.
static const SIZE_T PasteByteLimit = 2 * (SIZE_T)DocumentCapacity;

static const char NoClipboardHandle[] = "Can not obtain a handle to the Clipboard memory object";
static const char NoGlobalPointer[] = "Can not obtain a pointer to global memory";

// Puts the selected units and a 0 after them on the clipboard. False, with
// the failure reported under caption, when the text did not get there:
// another program may hold the clipboard open or refuse the block.
static bool PutSelectionOnClipboard(LPCSTR caption) {
  int count = SelectionEnd - SelectionStart;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE, (SIZE_T)count * 2 + 2);
  if (block == NULL) {
    ReportFailure("Can not allocate memory", caption);
    return false;
  }
  WCHAR *units = (WCHAR *)GlobalLock(block);
  if (units == NULL) {
    ReportFailure(NoGlobalPointer, caption);
    GlobalFree(block);
    return false;
  }
  memcpy(units, DocumentText + SelectionStart, (size_t)count * sizeof(WCHAR));  // the zero fill ends it
  GlobalUnlock(block);
  bool handedOver = false;
  if (OpenClipboard(MainWindow)) {
    EmptyClipboard();
    handedOver = SetClipboardData(CF_UNICODETEXT, block) != NULL;
    CloseClipboard();
  }
  if (!handedOver) {
    GlobalFree(block);  // the clipboard did not take it
    ReportFailure("Can not put the text on the Clipboard", caption);
  }
  return handedOver;
}

void CopySelection() {
  if (SelectionNotEmpty()) PutSelectionOnClipboard("Can Not Copy");
}

// The text leaves the document only once it is on the clipboard.
void CutSelection() {
  if (SelectionNotEmpty() && PutSelectionOnClipboard("Can Not Cut")) {
    ReplaceUnits(SelectionStart, SelectionEnd, NULL, 0, "Can Not Cut");
  }
}

// A zero-filled heap copy of the clipboard's text (at most PasteByteLimit
// bytes of it, then a 0 unit), taken with the clipboard open only for the
// copy; *count = its units up to the first 0. NULL, reported, on failure.
static WCHAR *CopyClipboardText(int *count) {
  if (!OpenClipboard(MainWindow)) {
    ReportFailure(NoClipboardHandle, "Can Not Paste");
    return NULL;
  }
  HANDLE block = GetClipboardData(CF_UNICODETEXT);
  SIZE_T size = block != NULL ? GlobalSize(block) : 0;
  if (size > PasteByteLimit) size = PasteByteLimit;
  WCHAR *copy = size > 0 ? (WCHAR *)HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size + 2) : NULL;
  const void *bytes = copy != NULL ? GlobalLock(block) : NULL;
  if (bytes != NULL) {
    memcpy(copy, bytes, size);
    GlobalUnlock(block);
  }
  // Closed before any message box: other programs need the clipboard meanwhile.
  CloseClipboard();
  if (bytes == NULL) {
    if (copy != NULL) HeapFree(GetProcessHeap(), 0, copy);
    ReportFailure(size == 0 ? NoClipboardHandle : copy == NULL ? "Can not allocate memory" : NoGlobalPointer,
                  "Can Not Paste");
    return NULL;
  }
  int units = (int)(size / 2);  // an odd last byte holds no unit
  *count = 0;
  while (*count < units && copy[*count] != 0) (*count)++;
  return copy;
}

void PasteClipboard() {
  if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) return;
  int count;
  WCHAR *units = CopyClipboardText(&count);
  if (units == NULL) return;
  InsertText(units, count, "Can Not Paste");
  HeapFree(GetProcessHeap(), 0, units);
}
