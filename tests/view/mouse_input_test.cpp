// Presses in the text: where the caret lands, how Shift extends the selection
// across its anchor, the keyboard taken back from the picker; Select All.
#include "resources/command_ids.h"
#include "support/document_fixture.h"
#include "support/view_window.h"
#include "view/character_picker.h"

namespace {

void Press(int x, int y, int modifiers = 0) {
  fake::HoldKey(VK_SHIFT, (modifiers & Shift) != 0);
  ViewWindowProc(MainWindow, WM_LBUTTONDOWN, 0, MAKELPARAM(x, y));
  fake::HoldKey(VK_SHIFT, false);
}

// The middle of the row of display line L.
int RowOf(int line) { return LineTop(line) + LineHeight / 2; }

struct PressCase {
  int x, y, expected;  // the caret after the press; 5 (where it stood) when nothing happens
  const char *why;
};

}  // namespace

using MouseInputTest = InvariantCheckedTest;

TEST_F(MouseInputTest, APressPutsTheCaretInFrontOfTheCharacterUnderIt) {
  OpenDocumentWindow(800, 1100);
  // Line 0 is cut by word wrap, line 1 ends in CR LF, lines 2..15 fill the
  // first page, and line 16, the last, opens the second.
  ShowText(u"aaaa bbbb cccc dddd eeeee ffff\r\n" + Repeated(u"x\r\n", 14) + u"end");
  ASSERT_EQ(17, LineCount);
  ASSERT_FALSE(EndsWithLineBreak(0));
  int wrappedEnd = LineTable[0].End;
  int last = DocumentLength - 1;
  int pageFoot = LineTop(15) + LineHeight;  // the gap down to the second page's first line
  const PressCase cases[] = {
      {PageLeft, RowOf(0), 0, "the left edge of the text: the line's start"},
      {PageLeft + 2 * Cell + 3, RowOf(0), 2, "the left half of a character: in front of it"},
      {PageLeft + 3 * Cell - 1, RowOf(0), 2, "the right half too: no rounding to the nearer edge"},
      {PageRight - 1, RowOf(0), wrappedEnd, "right of a wrapped line: its last unit, not the next line"},
      {PageRight - 1, RowOf(1), LineTable[1].End - 1, "right of a CR LF line: its CR"},
      {PageLeft + 1, LineTop(1), LineTable[1].Start, "a row's top pixel belongs to it"},
      {PageLeft + Cell, RowOf(16), LineTable[16].Start + 1, "the last line"},
      {PageRight - 1, RowOf(16), last, "right of the last line: the terminator"},
      {PageLeft + Cell, pageFoot + 3, LineTable[16].Start + 1, "the gap at a page's foot: the next page's first line"},
      {PageLeft + Cell, LineTop(16) + LineHeight, last, "below the last line: the document's end"},
      {PageLeft - 1, RowOf(0), 5, "left of the page"},
      {PageRight, RowOf(0), 5, "at the page's right edge"},
      {PageLeft + Cell, TextTop - 1, 5, "above the view's top"},
  };
  for (const PressCase &c : cases) {
    CaretIndex = SelectionStart = SelectionEnd = 5;
    Press(c.x, c.y);
    EXPECT_EQ(c.expected, CaretIndex) << c.why;
    EXPECT_EQ(0, SelectionActive) << c.why;
  }

  ShowText(u"one\r\ntwo");
  // Above the foot of the last page: the document's end; below it: nothing.
  for (auto [below, expected] : {std::pair{-1, 8}, {0, 5}}) {
    CaretIndex = 5;
    Press(PageLeft + Cell, LineTop(LinesPerPage) + below);
    EXPECT_EQ(expected, CaretIndex) << below;
  }
}

TEST_F(MouseInputTest, AShiftPressSelectsFromTheOldCaretAndASecondOneBeyondTheAnchorFlipsIt) {
  OpenDocumentWindow();
  ShowText(u"abcdehiklm");
  Press(PageLeft + 6 * Cell, RowOf(0));
  Press(PageLeft + 2 * Cell, RowOf(0), Shift);
  fake::ClearCalls();
  Press(PageLeft + 8 * Cell, RowOf(0), Shift);
  EXPECT_CALLS((std::vector<std::string>{
                   CaretStripRepaint(2), "WM_PAINT selection 2..6 caret 8",
                   CaretStripRepaint(8), "WM_PAINT selection 2..6 caret 8",
                   // The old range first, painted as an empty selection at the anchor, then the new one.
                   CellsRepaint(2, 6), "WM_PAINT selection 6..6 caret 8",
                   CellsRepaint(6, 8), "WM_PAINT selection 6..8 caret 8",
               }),
               Repaints());
  Press(PageLeft + Cell, RowOf(0));
  EXPECT_EQ("off 1..1 caret 1", SelectionState()) << "a press without Shift drops the selection";
}

TEST_F(MouseInputTest, APressInTheTextTakesTheKeyboardBackFromThePickerAndOneBesideItDoesNot) {
  OpenDocumentWindow();
  ShowText(u"abc");
  PressKey(VK_TAB, Shift);
  Press(PageLeft - 1, RowOf(0));
  EXPECT_EQ(1, PickerKeyboardMode) << "beside the page";
  fake::ClearCalls();
  Press(PageLeft + Cell, RowOf(0));
  EXPECT_EQ(0, PickerKeyboardMode);
  const RECT &up = PickerRects[PickerUp];
  std::vector<std::string> invalidated = fake::CallsTo({"InvalidateRect"});
  invalidated.resize(3);
  EXPECT_CALLS((std::vector<std::string>{Invalidated(up.left - 1, up.top - 1, up.right + 1, up.bottom + 1),
                                         Invalidated(PageLeft, TextTop - 2, PageRight, TextTop - 1),
                                         CaretStripRepaint(0)}),
               invalidated);
}

TEST_F(MouseInputTest, SelectAllRepaintsOnlyWhatWasNotSelectedAndFollowsTheCaret) {
  OpenDocumentWindow(800, 300);  // three rows
  ShowText(u"one\r\ntwo\r\nthree\r\nfour\r\nfive");
  ShowSelection(5, 8, 5);
  fake::ClearCalls();
  ViewWindowProc(MainWindow, WM_COMMAND, IDM_EDIT_SELECT_ALL, 0);
  // Line 1 holds the old range at x 112..199; line 4, with the new caret, is out of view.
  EXPECT_CALLS((std::vector<std::string>{
                   Invalidated(112, 191, 113, 238), "WM_PAINT selection 5..8 caret 27",
                   Invalidated(112, 144, 800, 191), "WM_PAINT selection 0..8 caret 27",
                   Invalidated(0, 191, 112, 238), "WM_PAINT selection 0..8 caret 27",
                   Invalidated(199, 191, 800, 238), "WM_PAINT selection 0..27 caret 27",
                   Invalidated(0, 238, 800, 285), "WM_PAINT selection 0..27 caret 27",
                   Invalidated(0, 285, 800, 332), "WM_PAINT selection 0..27 caret 27",
                   "ScrollWindow(hwnd1, 0, -141, {0, 144, 800, 300}, {0, 144, 800, 300})",
                   "WM_PAINT selection 0..27 caret 27",
               }),
               Repaints());
  ShowText(u"");
  ViewWindowProc(MainWindow, WM_COMMAND, IDM_EDIT_SELECT_ALL, 0);
  EXPECT_EQ(0, SelectionActive) << "the empty document has nothing to select";
}
