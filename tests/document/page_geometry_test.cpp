// Page metrics, the line-to-screen mapping, the scroll range and scroll requests.
#include "support/document_fixture.h"

// An 800 by 700 window holding 40 lines of one word each.
class PageGeometryTest : public InvariantCheckedTest {
 protected:
  void OpenFortyLines() {
    OpenDocumentWindow(800, 700);
    SetText(Repeated(u"line\r\n", 39));
  }
};

TEST_F(PageGeometryTest, MetricsOfTheWorkedExampleAt96Dpi) {
  OpenFortyLines();
  EXPECT_EQ((std::vector<int>{47, 768, 16, 16, 144, 576, 112, 688, 11, 10, 3, 39, 0, 39}),
            (std::vector<int>{LineHeight, PageHeight, LinesPerPage, PageGap, TextTop, TextWidth, PageLeft, PageRight,
                              VisibleRows, ViewRows, PageCount, ScrollMax, fake::ScrollRangeMin(), fake::ScrollRangeMax()}));
}

TEST_F(PageGeometryTest, PagesAreSixByEightInchesAtEveryResolution) {
  for (int dpi : {96, 120, 144}) {
    SCOPED_TRACE(dpi);
    OpenDocumentWindow(1000, 900, dpi);
    EXPECT_EQ((std::vector<int>{dpi * 3 / 2, 6 * dpi, 8 * dpi, PageHeight}),
              (std::vector<int>{TextTop, TextWidth, PageHeight, LinesPerPage * LineHeight + PageGap}));
    for (int line : {0, 1, 15, 16, 17, 40, 32767}) {
      EXPECT_EQ(line / LinesPerPage * PageHeight + line % LinesPerPage * LineHeight, DocumentY(line));
    }
  }
}

TEST_F(PageGeometryTest, LineTopCountsThePageGapsBetweenTheTopLineAndTheLine) {
  OpenFortyLines();
  EXPECT_EQ(144, LineTop(0));
  EXPECT_EQ(144 + 768, LineTop(16)) << "the second page starts one page height down";
  SendScrollRequest(SB_THUMBPOSITION, 15);
  EXPECT_EQ((std::vector<int>{144 - 47, 144, 144 + 47 + 16}), (std::vector<int>{LineTop(14), LineTop(15), LineTop(16)}));
}

TEST_F(PageGeometryTest, ScrollingMovesThePixelsByThePageAwareDistance) {
  OpenFortyLines();
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
  SendScrollRequest(SB_LINEUP);
  EXPECT_CALLS((std::vector<std::string>{"ScrollWindow(hwnd1, 0, -1583, {0, 144, 800, 700}, {0, 144, 800, 700})",
                                         "ScrollWindow(hwnd1, 0, 47, {0, 144, 800, 700}, {0, 144, 800, 700})"}),
               fake::CallsTo({"ScrollWindow"}));  // 33 lines and two page gaps, then one line back
  EXPECT_TRUE(fake::UpdateRegionEmpty());
}

TEST_F(PageGeometryTest, ScrollRequestsAreClampedAndAnUnmovedPositionScrollsNothing) {
  OpenFortyLines();
  SendScrollRequest(SB_THUMBPOSITION, 60000);
  EXPECT_EQ(39, ScrollLine);
  fake::ClearCalls();
  SendScrollRequest(SB_LINEDOWN);
  SendScrollRequest(SB_PAGEDOWN);
  SendScrollRequest(SB_TOP);  // not a request this view answers
  EXPECT_EQ(39, ScrollLine);
  EXPECT_CALLS((std::vector<std::string>(3, "GetScrollPos(hwnd1, SB_VERT) -> 39")), fake::Calls());
}

TEST_F(PageGeometryTest, PageDownMovesTwoLinesLessThanTheVisibleRowsAndAtLeastOne) {
  OpenFortyLines();
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
  OpenFortyLines();
  SendScrollRequest(SB_THUMBPOSITION, 39);
  fake::ClearCalls();
  fake::ResizeWindow(800, 1100);
  EXPECT_EQ(48 - 19 + 1, ScrollMax);
  EXPECT_EQ(30, ScrollLine);
  EXPECT_CALLS((std::vector<std::string>{
                   "SetScrollRange(hwnd1, SB_VERT, 0, 30, FALSE)",
                   "SetScrollPos(hwnd1, SB_VERT, 30, TRUE) -> 30",  // the new range moved it already
               }),
               fake::CallsTo({"SetScrollRange", "GetScrollPos", "SetScrollPos", "ScrollWindow"}));
  EXPECT_EQ("{0, 0, 800, 1100}", fake::UpdateRegion()) << "the class repaints the whole client area";
}

TEST_F(PageGeometryTest, NarrowWindowPutsTheTextAreaPartlyLeftOfTheClientArea) {
  OpenDocumentWindow(500, 700);
  EXPECT_EQ((std::vector<int>{-38, 538}), (std::vector<int>{PageLeft, PageRight}));
}
