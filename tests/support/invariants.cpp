// The invariants of the document state: the layout every complete reflow
// leaves, and the text, caret, selection and scroll position every operation leaves.
#include "support/invariants.h"

#include <sstream>

#include "app/program_window.h"
#include "document/document_store.h"
#include "document/line_layout.h"
#include "document/page_geometry.h"
#include "document/text_measure.h"
#include "win32/fake_win32.h"

static bool IsCrLf(int i) { return i + 1 < DocumentLength && DocumentText[i] == 13 && DocumentText[i + 1] == 10; }

std::string LayoutInvariantViolation() {
  std::ostringstream problem;
  if (LineCount < 1 || LineCount > LineTableCapacity) return "LineCount out of range";
  if (LineTable[0].Start != 0) problem << "line 0 starts at " << LineTable[0].Start << "; ";
  if (LineTable[LineCount - 1].End != DocumentLength - 1) problem << "the last line does not end at the terminator; ";
  HDC dc = GetDC(MainWindow);
  HFONT previous = SelectDocumentFont(dc, GetDeviceCaps(dc, LOGPIXELSY));
  for (int line = 0; line < LineCount && problem.tellp() == 0; line++) {
    int start = LineTable[line].Start;
    int end = LineTable[line].End;
    if (start > end) problem << "line " << line << " is empty; ";
    if (line + 1 < LineCount && LineTable[line + 1].Start != end + 1) problem << "gap or overlap after line " << line << "; ";
    for (int i = start; i < end; i++) {
      if (IsCrLf(i) && i + 1 != end) problem << "line " << line << " holds a CR LF at " << i << "; ";
    }
    if (IsCrLf(end)) problem << "line " << line << " splits the CR LF at " << end << "; ";
    bool hardBreak = end >= 1 && IsCrLf(end - 1);
    if (!hardBreak && line + 1 < LineCount && end > start) {
      SIZE size;
      MeasureRun(dc, DocumentText + start, end - start, &size);
      if (size.cx > TextWidth) problem << "cut line " << line << " (" << start << ".." << end << ") is " << size.cx << " wide; ";
    }
  }
  RestoreFont(dc, previous);
  ReleaseDC(MainWindow, dc);
  return problem.str();
}

std::string StateInvariantViolation() {
  std::ostringstream problem;
  if (DocumentLength < 1 || DocumentLength > DocumentCapacity) return "DocumentLength out of range";
  for (int i = DocumentLength - 1; i < DocumentCapacity; i++) {
    if (DocumentText[i] != 0) {
      problem << "unit " << i << " past the text is not 0; ";
      break;
    }
  }
  if (CaretIndex < 0 || CaretIndex > DocumentLength - 1) problem << "caret " << CaretIndex << " outside the text; ";
  if (SelectionStart < 0 || SelectionStart > SelectionEnd || SelectionEnd > DocumentLength - 1) {
    problem << "selection " << SelectionStart << ".." << SelectionEnd << " out of order or range; ";
  }
  if (SelectionActive && SelectionStart == SelectionEnd) problem << "an empty selection is active; ";
  if (ScrollLine < 0 || ScrollLine > ScrollMax) problem << "ScrollLine " << ScrollLine << " outside 0.." << ScrollMax << "; ";
  if (fake::ScrollPosition() != ScrollLine) problem << "the scroll bar is at " << fake::ScrollPosition() << "; ";
  return problem.str();
}
