// File > Print on the double's printer: where the paper puts the lines, the
// page numbers and the breaks; the font shrunk to fit and its bound; the
// calls that follow each failure.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "app/program_window.h"
#include "document/line_layout.h"
#include "resources/command_ids.h"
#include "support/document_fixture.h"
#include "support/view_window.h"

namespace {

// Prints through the dialog; returns what the job drew.
std::vector<fake::PrintedText> Print() {
  size_t before = fake::PrintedTexts().size();
  fake::AnswerNextPrintDialog(true);
  ViewWindowProc(MainWindow, WM_COMMAND, IDM_FILE_PRINT, 0);
  return std::vector<fake::PrintedText>(fake::PrintedTexts().begin() + (long)before, fake::PrintedTexts().end());
}

const fake::PrintedText *Find(const std::vector<fake::PrintedText> &texts, int page, const std::u16string &text) {
  for (const fake::PrintedText &printed : texts) {
    if (printed.page == page && printed.text == text) return &printed;
  }
  return nullptr;
}

}  // namespace

using PrintingTest = DocumentTest;

TEST_F(PrintingTest, ThePaperPlacesTheColumnTheNumbersAndTheBreaks) {
  OpenDocumentWindow();  // 16 lines to a screen page
  ShowText(Repeated(u"line\r\n", 19) + u"end");
  const struct {
    int dpi, width, height, offsetX, offsetY;
    int left, top, numberX, numberY, firstPageLines;
    const char *why;
  } rows[] = {
      // (6 in - cx) / 2 + left, with "(1)" three 12-point advances wide; below the band by tmHeight.
      {600, 5100, 6600, 0, 0, 750, 900, 2460, 5813, 16, "Letter at 600 dpi: a screen page to a printed page"},
      {300, 2550, 3300, 0, 0, 375, 450, 1230, 2906, 16, "Letter at 300 dpi"},
      {300, 2479, 3508, 75, 150, 264, 300, 1119, 2964, 17, "A4 with its printable area inset: taller paper, one line more"},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.why);
    fake::SetPrinter(row.dpi, row.dpi, row.width, row.height, row.offsetX, row.offsetY);
    std::vector<fake::PrintedText> texts = Print();
    const fake::PrintedText *first = Find(texts, 1, u"l");
    const fake::PrintedText *number = Find(texts, 1, u"(1)");
    ASSERT_TRUE(first && number && Find(texts, 2, u"(2)") && Find(texts, 2, u"e"));
    EXPECT_EQ(row.left, first->x);
    EXPECT_EQ(row.top, first->y);
    EXPECT_EQ(row.numberX, number->x);
    EXPECT_EQ(row.numberY, number->y);
    EXPECT_EQ(row.top, Find(texts, 2, u"l")->y) << "the second page starts at the top";
    std::set<int> rowsOnFirstPage;
    for (const fake::PrintedText &printed : texts) {
      if (printed.page == 1 && printed.text.size() == 1) rowsOnFirstPage.insert(printed.y);
      EXPECT_TRUE(printed.text != u"\r" && printed.text != u"\n" && printed.text[0] != 0 && printed.transparent);
    }
    EXPECT_EQ(row.firstPageLines, (int)rowsOnFirstPage.size());
    EXPECT_EQ(row.top + (row.firstPageLines - 1) * 8 * row.dpi / 16, *rowsOnFirstPage.rbegin());
  }
  EXPECT_EQ(3u, fake::PrintJobs().size());
  EXPECT_EQ("Scrivlet: Printing", fake::PrintJobs()[0].name);
  EXPECT_EQ(2, fake::PrintJobs()[2].pagesEnded);
  EXPECT_NE(nullptr, fake::LastPrintDialogRecord().hDevMode) << "the printer chosen first is offered again";
}

TEST_F(PrintingTest, AJobShrinksAsAWholeUntilEveryLineFitsAndStopsAtOnePixel) {
  OpenDocumentWindow();
  fake::SetPrinter(48, 48, 408, 528, 0, 0);  // a 288-pixel column, the 32-point face 21 pixels high
  fake::SetGlyph(0xE000, 0, 10, 0);          // 14 pixels on screen, 12 on this printer
  fake::SetGlyph(0xE001, 0, 400, 0);         // wider than the column anywhere
  fake::SetGlyph(0xE002, 0, 20, 0);          // never 12.5 pixels, however small the face
  const std::u16string e000(25, 0xE000);
  const struct {
    std::u16string text;
    int height;
    const char *why;
  } rows[] = {
      {e000, -17, "fits the screen, not the printer: one pixel of cell less from 19 pixels down"},
      {u"\uE001", -21, "a single over-wide character"},
      {e000.substr(1) + u" abcdehikl", -21, "a wrapped line over the column by its trailing space alone"},
      {std::u16string(23, 0xE002), -1, "nothing fits: the search ends at one pixel"},
  };
  for (const auto &row : rows) {
    ShowText(row.text);
    fake::ClearCalls();
    for (const fake::PrintedText &printed : Print()) {
      if (printed.text.size() == 1) EXPECT_EQ(row.height, printed.font.lfHeight) << row.why;
    }
  }
  // The width table: one query per distinct unit and size (21 sizes down to
  // one pixel), besides the one per drawn unit for its overhang; measuring
  // every line afresh at each size would take 21 x 23.
  EXPECT_EQ(21u + 23u, fake::CallsTo({"GetCharABCWidthsW"}).size());
}

// A printer at the screen's resolution whose face differs: each job measures
// with the printer's widths, and the screen with its own again afterwards.
TEST_F(PrintingTest, TheWidthTableHoldsTheWidthsOfTheDeviceThatMeasured) {
  OpenDocumentWindow();
  fake::SetPrinter(96, 96, 816, 1056, 0, 0);  // a 576-pixel column from x 120, as wide as on screen
  const struct {
    WCHAR unit;
    unsigned b;  // the printer's; 17 on screen, where cells are 29 pixels
    int count;
    int lines;  // on screen
  } rows[] = {{0xE000, 30, 19, 1}, {0xE001, 10, 20, 2}};  // too wide for paper: shrunk; narrower: kept
  for (const auto &row : rows) {
    fake::SetPrinterGlyph(row.unit, 0, row.b, 0);
    const std::u16string line((size_t)row.count, row.unit);
    ShowText(line);
    ASSERT_EQ(row.lines, LineCount);
    int x = 120, y = 0;  // each unit stands at the end of the cell before it on the screen's line
    for (const fake::PrintedText &printed : Print()) {
      if (printed.text != line.substr(0, 1)) continue;
      if (printed.y != y) x = 120, y = printed.y;
      EXPECT_EQ(x, printed.x) << row.b;
      x += (int)row.b + -printed.font.lfHeight * 1133 / 1000 / 10;  // B and a tenth of tmHeight
    }
    EXPECT_LE(x, 120 + 576) << row.b;
    ShowText(line);
    EXPECT_EQ(row.lines, LineCount) << "the screen measures with its own widths after the job";
  }
}

TEST_F(PrintingTest, EachPrintFailureIsReportedAndEndsTheJobItStarted) {
  OpenDocumentWindow();
  const struct {
    const char *fault;  // the dialog's answer, or the spooler call made to fail, the k-th from the job's start
    int k;
    std::vector<std::string> calls;
    const char *message;
  } rows[] = {
      {"", 0, {"PrintDlgA", "StartDocA", "StartPage", "EndPage", "EndDoc", "DeleteDC"}, ""},
      {"cancel", 0, {"PrintDlgA"}, ""},
      {"dialog fails", 0, {"PrintDlgA"}, ""},
      {"no DC", 0, {"PrintDlgA", "MessageBoxA"}, "Can not obtain a Printer DC"},
      {"StartDocA", 1, {"PrintDlgA", "StartDocA", "MessageBoxA", "DeleteDC"}, "Can not start document"},
      {"StartPage", 2, {"PrintDlgA", "StartDocA", "StartPage", "MessageBoxA", "AbortDoc", "DeleteDC"},
       "Can not start page"},
      {"EndPage", 3, {"PrintDlgA", "StartDocA", "StartPage", "EndPage", "AbortDoc", "DeleteDC", "MessageBoxA"},
       "Could not print document"},
      {"EndDoc", 4,
       {"PrintDlgA", "StartDocA", "StartPage", "EndPage", "EndDoc", "AbortDoc", "DeleteDC", "MessageBoxA"},
       "Could not print document"},
  };
  for (const auto &row : rows) {
    std::string fault = row.fault;
    fake::ClearCalls();
    size_t boxes = fake::MessageBoxes().size();
    size_t printed = fake::PrintedTexts().size();
    fake::AnswerNextPrintDialog(fault != "cancel", fault != "no DC");
    if (fault == "dialog fails") fake::FailCalls(fake::Fault::kDialog);
    if (row.k) fake::FailCalls(fake::Fault::kSpooler, row.k);
    ViewWindowProc(MainWindow, WM_COMMAND, IDM_FILE_PRINT, 0);
    std::vector<std::string> calls;
    for (const std::string &call :
         fake::CallsTo({"PrintDlgA", "StartDocA", "StartPage", "EndPage", "EndDoc", "AbortDoc", "DeleteDC", "MessageBoxA"})) {
      calls.push_back(call.substr(0, call.find('(')));
    }
    EXPECT_EQ(row.calls, calls) << fault;
    std::string shown = fake::MessageBoxes().size() > boxes ? fake::MessageBoxes().back().text : "";
    EXPECT_EQ(row.message, shown) << fault;
    if (row.k) EXPECT_EQ(fault, fake::StruckCalls().back());
    if (fault.empty()) {
      ASSERT_EQ(printed + 1, fake::PrintedTexts().size()) << "the empty document: one page with its number alone";
      EXPECT_EQ(u"(1)", fake::PrintedTexts().back().text);
    }
  }
}
