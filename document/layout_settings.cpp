// The two layout settings, the document's point size and the word-wrap
// choice, and the commands that change them.
#include "document/layout_settings.h"

#include "app/program_window.h"
#include "document/document_store.h"
#include "document/line_layout.h"
#include "document/page_geometry.h"
#include "document/text_measure.h"
#include "editing/edit_repaint.h"
#include "input/caret_placement.h"
#include "resources/command_ids.h"

int PointSize = -32;
int WordWrapChoice = IDM_WORD_WRAP_YES;

void SetPointSize(WPARAM commandId) {
  HMENU menu = GetMenu(MainWindow);
  int old = PointSize;
  PointSize = IDM_POINT_SIZE_BASE - (int)LOWORD(commandId);
  if (PointSize == old) return;
  CheckMenuItem(menu, (UINT)(IDM_POINT_SIZE_BASE - old), MF_UNCHECKED);
  CheckMenuItem(menu, (UINT)(IDM_POINT_SIZE_BASE - PointSize), MF_CHECKED);
  HFONT previous;
  int dpiY;
  HDC dc = GetDocumentFontDC(&previous, &dpiY);
  SetLineMetrics(dc, dpiY);
  CaretIndex = 0;
  ScrollLine = 0;
  ReflowDocument();
  RepaintRect({0, TextTop, ClientWidth, ClientHeight});
  ReleaseDocumentFontDC(dc, previous);
}

void SetWordWrap(WPARAM commandId) {
  int old = WordWrapChoice;
  WordWrapChoice = LOWORD(commandId);
  if (WordWrapChoice == old) return;
  RefreshPageHeight();
  LineRecord *snapshot = TakeEditSnapshot();
  if (snapshot == NULL) {
    ReportFailure("Can not allocate memory", "Can Not Adjust Word Wrap");
    WordWrapChoice = old;
    return;
  }
  EraseCaret();
  HMENU menu = GetMenu(MainWindow);
  CheckMenuItem(menu, (UINT)old, MF_UNCHECKED);
  CheckMenuItem(menu, (UINT)WordWrapChoice, MF_CHECKED);
  int oldLineCount = LineCount;
  CaretIndex = 0;
  ReflowDocument();
  InvalidateCaret(0);
  // No text moved: every line is compared as one wholly before an edit
  // point past the end of the text.
  RepaintAfterEdit(snapshot, oldLineCount, DocumentLength, DocumentLength, 0);
  FreeEditSnapshot(snapshot);
}
