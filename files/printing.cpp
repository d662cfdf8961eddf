// Printing: the screen's display lines on paper, one job through the
// system's Print dialog, each page numbered below its text.
#include "files/printing.h"

#include <commdlg.h>
#include <string.h>

#include "app/program_window.h"
#include "document/document_store.h"
#include "document/line_layout.h"
#include "document/page_geometry.h"
#include "document/text_measure.h"

static PRINTDLGA PrintDialogRecord;  // its device handles keep the printer chosen once for the next dialog
static int PrintPageCounter;         // the number the next page carries

// The printer's paper, read from its device context, in the coordinates of
// its printable area (every position subtracts the physical offsets).
static int PrinterDpiX;
static int PrinterDpiY;
static int PrintedTextWidth;  // the 6-inch column
static int PrintLeft;         // the column's left edge: centred on the paper
static int PrintTop;          // 1.5 inches below the paper's top
static int PrintBottom;       // 1.5 inches above the paper's foot
static int PrintPitch;        // LinesPerPage lines take 8 inches

static const char PrintFailureCaption[] = "Can Not Print";

static void ReadPrinterGeometry(HDC dc) {
  PrinterDpiX = GetDeviceCaps(dc, LOGPIXELSX);
  PrinterDpiY = GetDeviceCaps(dc, LOGPIXELSY);
  int paperWidth = GetDeviceCaps(dc, PHYSICALWIDTH);
  int paperHeight = GetDeviceCaps(dc, PHYSICALHEIGHT);
  int offsetX = GetDeviceCaps(dc, PHYSICALOFFSETX);
  int offsetY = GetDeviceCaps(dc, PHYSICALOFFSETY);
  PrintedTextWidth = PageTextWidthInches * PrinterDpiX;
  PrintLeft = (paperWidth - PrintedTextWidth) / 2 - offsetX;
  PrintTop = 3 * PrinterDpiY / 2 - offsetY;
  PrintBottom = paperHeight - 3 * PrinterDpiY / 2 - offsetY;
  PrintPitch = PageTextHeightInches * PrinterDpiY / LinesPerPage;
}

void PrintPageNumber(HDC dc) {
  SetBkMode(dc, TRANSPARENT);
  ReadPrinterGeometry(dc);
  LOGFONTA font;
  memset(&font, 0, sizeof font);
  font.lfHeight = -12 * PrinterDpiY / 72;
  font.lfCharSet = ANSI_CHARSET;
  strcpy(font.lfFaceName, "Courier New");
  HFONT previous = (HFONT)SelectObject(dc, CreateFontIndirectA(&font));
  char number[16];
  wsprintfA(number, "%s%i%s", "(", PrintPageCounter, ")");
  int length = lstrlenA(number);
  SIZE size;
  GetTextExtentPoint32A(dc, number, length, &size);
  // The number's top lies one text height below the foot of the text band.
  TextOutA(dc, (PrintedTextWidth - size.cx) / 2 + PrintLeft, PrintBottom + size.cy, number, length);
  PrintPageCounter++;
  RestoreFont(dc, previous);
}

// The units of line that must fit the column: without its CR LF, the
// terminator, or a space the line was broken after.
static int FitRunWidth(HDC dc, int line) {
  int start = LineTable[line].Start;
  int end = LineTable[line].End + 1;
  if (EndsWithLineBreak(line)) end -= 2;
  else if (end == DocumentLength || DocumentText[end - 1] == 32) end -= 1;
  if (end - start <= 1) return 0;  // a single character may overhang: no smaller size would help it
  int width = 0;
  for (int i = start; i < end; i++) width += CachedCellWidth(dc, DocumentText[i]);
  return width;
}

static bool PrintFontFits(HDC dc) {
  TEXTMETRICA metrics;
  GetTextMetricsA(dc, &metrics);
  if (LinesPerPage * (metrics.tmHeight + metrics.tmExternalLeading) > PageTextHeightInches * PrinterDpiY) return false;
  for (int line = 0; line < LineCount; line++) {
    if (FitRunWidth(dc, line) > PrintedTextWidth) return false;
  }
  return true;
}

// Selects the document's face at the printer's resolution, one printer pixel
// smaller at a time until every line fits the column and the lines of a page
// its height. Widths come from the width table, one query per distinct unit
// and size. A character height of one pixel ends the search: no smaller size
// exists, and printing must end. Returns the fitted font; *previous is the
// font it replaced.
static HFONT SelectFittedPrintFont(HDC dc, HFONT *previous) {
  LOGFONTA font;
  DescribeDocumentFont(PrinterDpiY, &font);
  HFONT printFont = CreateFontIndirectA(&font);
  *previous = (HFONT)SelectObject(dc, printFont);
  for (;;) {
    PrepareCellWidthsOf(dc, font, PrinterDpiX);
    if (font.lfHeight >= -1 || PrintFontFits(dc)) return printFont;
    font.lfHeight++;
    printFont = CreateFontIndirectA(&font);
    DeleteObject(SelectObject(dc, printFont));
  }
}

// One unit at a time, as on screen: each advances by its cell width, the
// rule that placed the line breaks; a glyph that hangs left is moved in.
static void PrintLine(HDC dc, int line, int y) {
  int x = PrintLeft;
  int shown = VisibleEnd(line) + 1;
  for (int i = LineTable[line].Start; i < shown; i++) {
    WCHAR unit = DocumentText[i];
    ABC abc;
    int offset = GetCharABCWidthsW(dc, unit, unit, &abc) && abc.abcA < 0 ? -abc.abcA : 0;
    TextOutW(dc, x + offset, y, &unit, 1);
    x += CachedCellWidth(dc, unit);
  }
}

BOOL PrintText(HDC dc) {
  SetBkMode(dc, TRANSPARENT);
  ReadPrinterGeometry(dc);
  HFONT previous;
  HFONT printFont = SelectFittedPrintFont(dc, &previous);
  SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  int y = PrintTop;
  for (int line = 0; line < LineCount; line++) {
    // The paper decides the breaks; a page's first line is printed however tall.
    if (y > PrintTop && y + PrintPitch > PrintBottom) {
      y = PrintTop;
      // A page the spooler refused is lost: going on would print the rest and call the job a success.
      if (EndPage(dc) < 1 || StartPage(dc) < 1) {
        RestoreFont(dc, previous);
        return FALSE;
      }
      PrintPageNumber(dc);
      SelectObject(dc, printFont);
      SetBkMode(dc, TRANSPARENT);
      SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
    }
    PrintLine(dc, line, y);
    y += PrintPitch;
  }
  RestoreFont(dc, previous);
  return TRUE;
}

// A job stopped after it started is aborted, or the spooler keeps half of it.
static void AbandonJob(HDC dc) {
  AbortDoc(dc);
  DeleteDC(dc);
}

void PrintDocument() {
  // sizeof, not the 32-bit sizes: a 64-bit dialog refuses any other.
  PrintDialogRecord.lStructSize = sizeof PrintDialogRecord;
  PrintDialogRecord.hwndOwner = MainWindow;
  PrintDialogRecord.Flags =
      PD_RETURNDC | PD_NOPAGENUMS | PD_NOSELECTION | PD_USEDEVMODECOPIESANDCOLLATE | PD_HIDEPRINTTOFILE;
  PrintDialogRecord.hDC = NULL;
  if (!PrintDlgA(&PrintDialogRecord)) return;
  HDC dc = PrintDialogRecord.hDC;
  if (dc == NULL) {
    ReportFailure("Can not obtain a Printer DC", PrintFailureCaption);
    return;
  }
  DOCINFOA job;
  memset(&job, 0, sizeof job);
  job.cbSize = sizeof job;
  job.lpszDocName = "Scrivlet: Printing";
  if (StartDocA(dc, &job) < 1) {
    ReportFailure("Can not start document", PrintFailureCaption);
    DeleteDC(dc);
    return;
  }
  if (StartPage(dc) < 1) {
    ReportFailure("Can not start page", PrintFailureCaption);
    AbandonJob(dc);
    return;
  }
  PrintPageCounter = 1;
  PrintPageNumber(dc);
  ForgetCellWidths();
  // A job the spooler did not end is not printed either.
  bool printed = PrintText(dc) && EndPage(dc) > 0 && EndDoc(dc) > 0;
  ForgetCellWidths();
  if (printed) {
    DeleteDC(dc);
    return;
  }
  AbandonJob(dc);
  ReportFailure("Could not print document", PrintFailureCaption);
}
