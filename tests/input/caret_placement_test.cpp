// Mapping indices to lines and x positions, the repaint primitives, and
// keeping the caret's line in view.
#include "document/text_measure.h"
#include "input/caret_placement.h"
#include "support/document_fixture.h"

namespace {

// How many pixels of column x are black over the rows of line 0.
int BlackInColumn(int x) {
  int black = 0;
  for (int y = TextTop; y < TextTop + LineHeight; y++) black += fake::Pixel(x, y) == 0;
  return black;
}

}  // namespace

using CaretPlacementTest = InvariantCheckedTest;

TEST_F(CaretPlacementTest, IndicesOnTheEndsOfLinesBelongToTheLineTheyEnd) {
  OpenDocumentWindow();
  ShowText(u"ab\r\ncd");
  // The CR and the LF, the next line's start, the terminator, and past the end: the last line.
  for (auto [index, line] : {std::pair{2, 0}, {3, 0}, {4, 1}, {6, 1}, {100, 1}}) {
    EXPECT_EQ(line, FindLineOfIndex(index)) << index;
  }
  DocumentFontDc font;
  EXPECT_EQ(PageLeft + 2 * Cell, IndexX(font.dc, 0, 3)) << "past the visible end: after the last visible unit";
  EXPECT_EQ(PageLeft, IndexX(font.dc, 1, 0)) << "before the line's start";
}

TEST_F(CaretPlacementTest, ErasingTheCaretOnTheCrOfALineBreakLeavesNoCaret) {
  OpenDocumentWindow();
  ShowText(u"ab\r\ncd");
  CaretIndex = 2;
  fake::RepaintWholeWindow();
  int x = PageLeft + 2 * Cell;
  ASSERT_EQ(LineHeight, BlackInColumn(x));
  // The LF after the CR stands at the same x: erasing by moving the caret
  // there for the repaint would draw it again.
  EraseCaret();
  EXPECT_EQ(0, BlackInColumn(x));
  EXPECT_EQ(2, CaretIndex);
}

TEST_F(CaretPlacementTest, TextRangeRepaintsFirstLineTailWholeMiddleLinesAndLastLineHead) {
  OpenDocumentWindow();
  ShowText(u"abc\r\ndek\r\nmno\r\nxyz");
  fake::ClearCalls();
  InvalidateTextRange(1, 2);
  InvalidateTextRange(1, 16);
  EXPECT_CALLS((std::vector<std::string>{
                   Invalidated(PageLeft + Cell, 144, PageLeft + 2 * Cell, 191),
                   Invalidated(PageLeft + Cell, 144, 800, 191),
                   Invalidated(0, 191, 800, 238),
                   Invalidated(0, 238, 800, 285),
                   Invalidated(0, 285, PageLeft + Cell, 332),
               }),
               fake::CallsTo({"InvalidateRect"}));

  // A range whose first line lies above the view: only what is in view.
  SendScrollRequest(SB_THUMBPOSITION, 2);
  fake::ClearCalls();
  InvalidateTextRange(1, 16);
  EXPECT_CALLS((std::vector<std::string>{Invalidated(0, 144, 800, 191), Invalidated(0, 191, PageLeft + Cell, 238)}),
               fake::CallsTo({"InvalidateRect"}));
}

TEST_F(CaretPlacementTest, ScrollCaretIntoViewKeepsTheCaretLineInTheFirstViewRows) {
  OpenDocumentWindow();
  ShowText(Repeated(u"line\r\n", 39));
  CaretIndex = LineTable[10].Start;
  ScrollCaretIntoView();
  EXPECT_EQ(1, ScrollLine) << "one line below the last used row scrolls one line";
  CaretIndex = LineTable[0].Start;
  ScrollCaretIntoView();
  EXPECT_EQ(0, ScrollLine) << "above the view: the caret's line becomes the top line";

  fake::ResizeWindow(800, 150);
  ASSERT_EQ(0, ViewRows);
  CaretIndex = LineTable[7].Start;
  ScrollCaretIntoView();
  EXPECT_EQ(7, ScrollLine) << "with no rows to spare the caret's line is the top line";
}
