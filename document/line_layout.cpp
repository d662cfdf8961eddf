// Display lines: the text cut at every CR LF and at the right edge of the text area.
#include "document/line_layout.h"

#include "app/program_window.h"
#include "document/document_store.h"
#include "document/layout_settings.h"
#include "document/page_geometry.h"
#include "document/text_measure.h"
#include "resources/command_ids.h"

LineRecord LineTable[LineTableCapacity];
int LineCount;

static bool EmitLine(int start, int end) {
  if (LineCount == LineTableCapacity) return false;
  LineTable[LineCount].Start = start;
  LineTable[LineCount].End = end;
  LineCount++;
  return true;
}

// Fills LineTable from the text; false when it ran out of records. Running
// sums of cell widths stand in for measuring each line prefix from its start:
// the widths add up exactly, so the cuts are the same.
static bool CutLines(HDC dc) {
  LineCount = 0;
  int lineStart = 0;
  int width = 0;               // of the units lineStart .. i - 1
  int spaces = 0;              // spaces that fitted on the current line
  int lastSpace = 0;           // the last of them
  int widthThroughSpace = 0;   // of the units lineStart .. lastSpace
  int i = 0;
  while (i < DocumentLength) {
    WCHAR unit = DocumentText[i];
    if (unit == 13 && DocumentText[i + 1] == 10) {
      if (!EmitLine(lineStart, i + 1)) return false;
      i = lineStart = i + 2;
      width = spaces = 0;
      continue;
    }
    if (unit == 0 && i == DocumentLength - 1) return EmitLine(lineStart, i);
    int cell = CachedCellWidth(dc, unit);
    if (width + cell <= TextWidth) {
      width += cell;
      if (unit == ' ') {
        lastSpace = i;
        spaces++;
        widthThroughSpace = width;
      }
      i++;
      continue;
    }
    int last;
    if (i == lineStart) {
      last = i;  // a unit wider than the text area stands alone
    } else if (unit == ' ') {
      last = i;  // a space that does not fit still ends its line
    } else if (WordWrapChoice == IDM_WORD_WRAP_YES && spaces > 0) {
      last = lastSpace;
    } else {
      last = i - 1;
    }
    if (!EmitLine(lineStart, last)) return false;
    lineStart = last + 1;
    spaces = 0;
    if (last == i) {
      i++;
      width = 0;
    } else {
      // The units carried to the new line fitted after the cut, so they fit
      // from its start too and hold no space: measuring resumes at unit i.
      width -= last == i - 1 ? width : widthThroughSpace;
    }
  }
  return true;
}

void ReflowDocument() {
  HFONT previous;
  int dpiY;
  HDC dc = GetDocumentFontDC(&previous, &dpiY);
  int dpiX = GetDeviceCaps(dc, LOGPIXELSX);
  TextWidth = PageTextWidthInches * dpiX;
  PrepareCellWidths(dc, dpiX, dpiY);
  if (CutLines(dc)) {
    int oldLine = ScrollLine;
    ApplyScrollRange();
    if (ScrollLine != oldLine) {
      SetPageHeight(dpiY);
      ScrollViewFrom(oldLine);
    }
  } else {
    ReportFailure("Input exceeds memory limit", "Can Not Add Line");
  }
  ReleaseDocumentFontDC(dc, previous);
}

// An empty document's only line ends at index 0: there is no unit before it.
bool EndsWithLineBreak(int line) { return LineBreakAt(LineTable[line].End - 1); }

int VisibleEnd(int line) {
  int end = LineTable[line].End;
  if (EndsWithLineBreak(line)) return end - 2;
  if (end == DocumentLength - 1 && DocumentText[end] == 0) return end - 1;
  return end;
}
