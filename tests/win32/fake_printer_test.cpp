// Self-tests of the double's printer: the states of a job, what is misuse or a
// leak, the text recorded per page, and the scripted Print dialog.
#include "fake_win32.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <functional>
#include <iterator>
#include <tuple>

namespace {

LRESULT CALLBACK Ignore(HWND, UINT, WPARAM, LPARAM) { return 0; }

const DOCINFOA kJob{(int)sizeof(DOCINFOA), "Job", nullptr, nullptr, 0};

HDC PrinterDc() {
  fake::AnswerNextPrintDialog(true);
  PRINTDLGA record{};
  record.lStructSize = sizeof record;
  record.Flags = PD_RETURNDC;
  PrintDlgA(&record);
  return record.hDC;
}

TEST(FakePrinter, AJobFollowsWindowsStatesAndAnythingElseIsMisuse) {
  HDC dc = PrinterDc();
  LOGFONTA description{};
  HFONT font = CreateFontIndirectA(&description);
  const DOCINFOA small{20, "Job", nullptr, nullptr, 0};
  const std::pair<std::function<void()>, const char *> steps[] = {
      {[&] { StartPage(dc); }, "StartPage: hdc1 has no document started"},
      {[&] { StartDocA(dc, &small); }, "StartDocA: cbSize 20 is not sizeof(DOCINFOA)"},
      {[&] { StartDocA(dc, &kJob) == 1 && StartDocA(dc, &kJob); }, "StartDocA: hdc1 already has a document started"},
      {[&] { TextOutA(dc, 0, 0, "x", 1); }, "TextOutA: hdc1 has no page open"},
      {[&] { StartPage(dc) == 1 && EndDoc(dc); }, "EndDoc: hdc1 still has a page open"},
      {[&] { PatBlt(dc, 0, 0, 1, 1, DSTINVERT); }, "PatBlt: hdc1 is a printer DC, where it is not modelled"},
      {[&] { EndPage(dc) == 1 && EndPage(dc); }, "EndPage: hdc1 has no page open"},
      {[&] { DeleteDC(GetDC(nullptr)); }, "DeleteDC: hdc2 is not a printer DC"},
      {[&] { SelectObject(dc, font) && EndDoc(dc) == 1 && DeleteDC(dc); }, "DeleteDC: hdc1 still has hfont1 selected"},
      {[&] { GetDeviceCaps(dc, LOGPIXELSX); }, "GetDeviceCaps: hdc1 used after DeleteDC"},
  };
  for (const auto &step : steps) EXPECT_NONFATAL_FAILURE(step.first(), step.second);
  EXPECT_EQ(fake::Misuse().size(), std::size(steps));
  ASSERT_EQ(fake::PrintJobs().size(), 1u);
  EXPECT_EQ(fake::PrintJobs()[0].pagesEnded, 1);
  EXPECT_EQ(fake::PrintJobs()[0].end, fake::JobEnd::kEnded);
}

TEST(FakePrinter, InjectedFailuresChangeNothingAndAnOpenJobIsALeak) {
  HDC dc = PrinterDc();
  // Each call made to fail returns 0 and changes nothing: the first three are
  // made again and succeed, and the job is left open.
  const std::function<int()> calls[] = {[&] { return StartDocA(dc, &kJob); }, [&] { return StartPage(dc); },
                                        [&] { return EndPage(dc); }, [&] { return EndDoc(dc); },
                                        [&] { return AbortDoc(dc); }};
  for (size_t i = 0; i < std::size(calls); i++) {
    fake::FailCalls(fake::Fault::kSpooler);
    EXPECT_EQ(calls[i](), 0);
    if (i < 3) EXPECT_EQ(calls[i](), 1);
  }
  EXPECT_EQ(fake::StruckCalls(), (std::vector<std::string>{"StartDocA", "StartPage", "EndPage", "EndDoc", "AbortDoc"}));
  EXPECT_EQ(fake::PrintJobs()[0].pagesEnded, 1);
  EXPECT_EQ(fake::Leaks(), (std::vector<std::string>{"hdc1 from PrintDlgA not deleted with DeleteDC",
                                                     "job 1 \"Job\" neither ended nor aborted"}));
  DeleteDC(dc);
  EXPECT_EQ(fake::Leaks(), std::vector<std::string>{"job 1 \"Job\" neither ended nor aborted"});
  EXPECT_TRUE(fake::Misuse().empty());
}

TEST(FakePrinter, TextIsRecordedPerPageAtItsPrinterPosition) {
  fake::SetPrinter(300, 600, 2550, 6000, 50, 60);
  HDC dc = PrinterDc();
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSX) + GetDeviceCaps(dc, PHYSICALHEIGHT) + GetDeviceCaps(dc, PHYSICALOFFSETY),
            300 + 6000 + 60);
  LOGFONTA description{};
  description.lfHeight = -100;
  HGDIOBJ previous = SelectObject(dc, CreateFontIndirectA(&description));
  StartDocA(dc, &kJob);
  StartPage(dc);
  TextOutW(dc, 900, 900, u"a", 1);
  EndPage(dc);
  StartPage(dc);
  SetBkMode(dc, TRANSPARENT);
  SIZE size{};
  GetTextExtentPoint32A(dc, "(2)", 3, &size);
  TextOutA(dc, 1, 2, "(2)\xE9", 4);
  EndPage(dc);
  EndDoc(dc);
  DeleteObject(SelectObject(dc, previous));
  DeleteDC(dc);
  const auto &texts = fake::PrintedTexts();
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(std::make_tuple(texts[0].page, texts[0].x, texts[0].y, texts[0].text, texts[0].transparent),
            std::make_tuple(1, 900, 900, std::u16string(u"a"), false));
  EXPECT_EQ(std::make_tuple(texts[1].page, texts[1].x, texts[1].y, texts[1].text, texts[1].transparent),
            std::make_tuple(2, 1, 2, std::u16string(u"(2)\u00E9"), true));
  EXPECT_EQ(texts[1].font.lfHeight, -100);
  EXPECT_EQ(fake::CallsTo({"StartDocA", "TextOutW", "GetTextExtentPoint32A", "TextOutA", "EndDoc", "DeleteDC"}),
            (std::vector<std::string>{"StartDocA(hdc1, \"Job\") -> 1", "TextOutW(hdc1, 900, 900, U+0061)",
                                      "GetTextExtentPoint32A(hdc1, \"(2)\") -> {180, 113}",
                                      "TextOutA(hdc1, 1, 2, \"(2)\\xE9\")", "EndDoc(hdc1) -> 1", "DeleteDC(hdc1)"}));
  EXPECT_TRUE(fake::Misuse().empty() && fake::Leaks().empty());
}

TEST(FakePrinter, TheDialogAnswersFromItsScriptAndKeepsThePrinterChosen) {
  PRINTDLGA record{};
  record.lStructSize = sizeof record;
  record.hwndOwner = fake::OpenWindow(Ignore, 10, 10);
  record.Flags = 0x14010C;
  fake::AnswerNextPrintDialog(false);
  fake::AnswerNextPrintDialog(true);
  fake::AnswerNextPrintDialog(true, false);
  EXPECT_FALSE(PrintDlgA(&record));
  EXPECT_EQ(record.hDevMode, nullptr) << "a cancelled dialog changes nothing";
  ASSERT_TRUE(PrintDlgA(&record));
  const HDC dc = record.hDC;
  const HGLOBAL mode = record.hDevMode, names = record.hDevNames;
  ASSERT_TRUE(dc && mode && names && mode != names);
  EXPECT_TRUE(PrintDlgA(&record));
  EXPECT_EQ(fake::LastPrintDialogRecord().hDevMode, mode);
  EXPECT_EQ(std::make_tuple(record.hDC, record.hDevMode, record.hDevNames), std::make_tuple(HDC{}, mode, names));
  EXPECT_NONFATAL_FAILURE(EXPECT_FALSE(PrintDlgA(&record)), "PrintDlgA: no scripted answer; cancelling");
  record.lStructSize = 66;
  EXPECT_NONFATAL_FAILURE(EXPECT_FALSE(PrintDlgA(&record)), "lStructSize 66 is not sizeof(PRINTDLGA)");
  DeleteDC(dc);
  EXPECT_EQ(fake::CallsTo({"PrintDlgA"}),
            (std::vector<std::string>{"PrintDlgA(lStructSize 120, Flags 0x14010C) -> cancelled",
                                      "PrintDlgA(lStructSize 120, Flags 0x14010C) -> TRUE hdc1",
                                      "PrintDlgA(lStructSize 120, Flags 0x14010C) -> TRUE NULL",
                                      "PrintDlgA(lStructSize 120, Flags 0x14010C) -> cancelled",
                                      "PrintDlgA(lStructSize 66, Flags 0x14010C) -> FALSE"}));
  EXPECT_TRUE(fake::Leaks().empty());
}

}  // namespace
