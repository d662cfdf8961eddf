// Page metrics, the line-to-screen mapping, the scroll range and scroll requests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/line_layout.h"
#include "document/page_geometry.h"
#include "support/call_log_check.h"
#include "support/document_fixture.h"

namespace {

// A document of lineCount display lines, one word each.
std::u16string LinesOfText(int lineCount) {
  std::u16string text;
  for (int i = 1; i < lineCount; i++) text += u"line\r\n";
  return text;
}

std::vector<std::string> ScrollCalls() {
  return fake::CallsTo({"SetScrollRange", "GetScrollPos", "SetScrollPos", "ScrollWindow"});
}

}  // namespace

using PageGeometryTest = DocumentTest;

TEST_F(PageGeometryTest, MetricsOfTheWorkedExampleAt96Dpi) {
  OpenDocumentWindow(800, 700);
  SetText(LinesOfText(40));
  EXPECT_EQ(47, LineHeight);
  EXPECT_EQ(768, PageHeight);
  EXPECT_EQ(16, LinesPerPage);
  EXPECT_EQ(16, PageGap);
  EXPECT_EQ(144, TextTop);
  EXPECT_EQ(576, TextWidth);
  EXPECT_EQ(112, PageLeft);
  EXPECT_EQ(688, PageRight);
  EXPECT_EQ(11, VisibleRows);
  EXPECT_EQ(10, ViewRows);
  EXPECT_EQ(3, PageCount);
  EXPECT_EQ(39, ScrollMax);
  EXPECT_EQ(0, fake::ScrollRangeMin());
  EXPECT_EQ(39, fake::ScrollRangeMax());
}

TEST_F(PageGeometryTest, PagesAreSixByEightInchesAtEveryResolution) {
  for (int dpi : {96, 120, 144}) {
    SCOPED_TRACE(dpi);
    OpenDocumentWindow(1000, 900, dpi);
    EXPECT_EQ(dpi * 3 / 2, TextTop);
    EXPECT_EQ(6 * dpi, TextWidth);
    EXPECT_EQ(8 * dpi, PageHeight);
    EXPECT_EQ(PageHeight, LinesPerPage * LineHeight + PageGap);
    for (int line : {0, 1, 15, 16, 17, 40, 32767}) {
      EXPECT_EQ(line / LinesPerPage * PageHeight + line % LinesPerPage * LineHeight, DocumentY(line));
    }
  }
}

TEST_F(PageGeometryTest, LineTopCountsThePageGapsBetweenTheTopLineAndTheLine) {
  OpenDocumentWindow(800, 700);
  SetText(LinesOfText(40));
  EXPECT_EQ(144, LineTop(0));
  EXPECT_EQ(144 + 768, LineTop(16)) << "the second page starts one page height down";
  SendScrollRequest(SB_THUMBPOSITION, 15);
  EXPECT_EQ(144, LineTop(15));
  EXPECT_EQ(144 + 47 + 16, LineTop(16));
  EXPECT_EQ(144 - 47, LineTop(14));
}

TEST_F(PageGeometryTest, ScrollingMovesThePixelsByThePageAwareDistance) {
  OpenDocumentWindow(800, 700);
  SetText(LinesOfText(40));
  SendScrollRequest(SB_THUMBPOSITION, 15);
  fake::ClearCalls();
  SendScrollRequest(SB_THUMBTRACK, 17);
  EXPECT_CALLS((std::vector<std::string>{
                   "GetScrollPos(hwnd1, SB_VERT) -> 15",
                   "SetScrollPos(hwnd1, SB_VERT, 17, TRUE) -> 15",
                   "ScrollWindow(hwnd1, 0, -110, {0, 144, 800, 700}, {0, 144, 800, 700})",
                   "UpdateWindow(hwnd1)",
               }),
               fake::CallsTo({"GetScrollPos", "SetScrollPos", "ScrollWindow", "UpdateWindow"}));
  std::vector<std::string> paints = fake::CallsTo({"BeginPaint"});
  ASSERT_EQ(1u, paints.size());
  EXPECT_NE(std::string::npos, paints[0].find("paint {0, 590, 800, 700} erase")) << paints[0];

  SendScrollRequest(SB_THUMBPOSITION, 0);
  fake::ClearCalls();
  SendScrollRequest(SB_THUMBPOSITION, 33);
  EXPECT_EQ("ScrollWindow(hwnd1, 0, -1583, {0, 144, 800, 700}, {0, 144, 800, 700})",
            fake::CallsTo({"ScrollWindow"}).at(0))
      << "two page boundaries: 33 lines and two gaps";
  SendScrollRequest(SB_LINEUP);
  EXPECT_EQ("ScrollWindow(hwnd1, 0, 47, {0, 144, 800, 700}, {0, 144, 800, 700})",
            fake::CallsTo({"ScrollWindow"}).at(1));
  EXPECT_TRUE(fake::UpdateRegionEmpty());
}

TEST_F(PageGeometryTest, ScrollRequestsAreClampedAndAnUnmovedPositionScrollsNothing) {
  OpenDocumentWindow(800, 700);
  SetText(LinesOfText(40));
  SendScrollRequest(SB_THUMBPOSITION, 60000);
  EXPECT_EQ(39, ScrollLine);
  EXPECT_EQ(39, fake::ScrollPosition());
  fake::ClearCalls();
  SendScrollRequest(SB_LINEDOWN);
  SendScrollRequest(SB_PAGEDOWN);
  SendScrollRequest(SB_TOP);  // not a request this view answers
  EXPECT_EQ(39, ScrollLine);
  EXPECT_CALLS((std::vector<std::string>(3, "GetScrollPos(hwnd1, SB_VERT) -> 39")), fake::Calls());
}

TEST_F(PageGeometryTest, PageDownMovesTwoLinesLessThanTheVisibleRowsAndAtLeastOne) {
  OpenDocumentWindow(800, 700);
  SetText(LinesOfText(40));
  SendScrollRequest(SB_PAGEDOWN);
  EXPECT_EQ(9, ScrollLine) << "11 visible rows";
  SendScrollRequest(SB_PAGEUP);
  EXPECT_EQ(0, ScrollLine);

  fake::ResizeWindow(800, 144 + 2 * 47 + 46);
  ASSERT_EQ(2, VisibleRows);
  SendScrollRequest(SB_PAGEDOWN);
  EXPECT_EQ(1, ScrollLine);
  fake::ResizeWindow(800, 100);
  ASSERT_EQ(0, ViewRows) << "a client area shorter than TextTop";
  SendScrollRequest(SB_PAGEDOWN);
  EXPECT_EQ(2, ScrollLine);
}

TEST_F(PageGeometryTest, OneLineDocumentScrollsOnlyTheRestOfItsPage) {
  OpenDocumentWindow(800, 1100);
  EXPECT_EQ(0, ScrollMax) << "the window is taller than a page";
  fake::ClearCalls();
  SendScrollRequest(SB_LINEDOWN);
  EXPECT_EQ(0, ScrollLine);
  EXPECT_TRUE(fake::CallsTo({"SetScrollPos", "ScrollWindow"}).empty());

  fake::ResizeWindow(800, 700);
  EXPECT_EQ(16 - 10 + 1, ScrollMax);
  SendScrollRequest(SB_THUMBPOSITION, 100);
  EXPECT_EQ(7, ScrollLine) << "the empty rest of the first page can be shown";
}

TEST_F(PageGeometryTest, ResizeClampsTheScrollPositionWithoutScrollingThePixels) {
  OpenDocumentWindow(800, 700);
  SetText(LinesOfText(40));
  SendScrollRequest(SB_THUMBPOSITION, 39);
  fake::ClearCalls();
  fake::ResizeWindow(800, 1100);
  EXPECT_EQ(48 - 19 + 1, ScrollMax);
  EXPECT_EQ(30, ScrollLine);
  EXPECT_CALLS((std::vector<std::string>{
                   "SetScrollRange(hwnd1, SB_VERT, 0, 30, FALSE)",
                   "SetScrollPos(hwnd1, SB_VERT, 30, TRUE) -> 30",  // the new range moved it already
               }),
               ScrollCalls());
  EXPECT_EQ("{0, 0, 800, 1100}", fake::UpdateRegion()) << "the class repaints the whole client area";
}

TEST_F(PageGeometryTest, NarrowWindowPutsTheTextAreaPartlyLeftOfTheClientArea) {
  OpenDocumentWindow(500, 700);
  EXPECT_EQ(-38, PageLeft);
  EXPECT_EQ(538, PageRight);
}
