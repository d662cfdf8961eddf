// The caret movement keys: where each key takes the caret, how selections
// grow, cross their anchor and drop, and the order of the repaints.
#include "document/layout_settings.h"
#include "resources/command_ids.h"
#include "support/document_fixture.h"

namespace {

struct KeyCase {
  int caret, key, modifiers, expected;
  const char *why;
};

}  // namespace

using CaretKeysTest = InvariantCheckedTest;

TEST_F(CaretKeysTest, EachKeyFindsItsTargetAtEdgesAroundLineBreaksAndOnShortLines) {
  OpenDocumentWindow();
  // Lines: 0 "one two" CR LF (0..8), 1 "three" CR LF (9..15), 2 CR LF (16..17), 3 "hour" and the terminator (18..22).
  ShowText(u"one two\r\nthree\r\n\r\nhour");
  ASSERT_EQ(4, LineCount);
  const KeyCase cases[] = {
      {0, VK_LEFT, 0, 0, "Left at the start does nothing"},
      {9, VK_LEFT, 0, 7, "Left behind CR LF goes in front of the CR"},
      {7, VK_RIGHT, 0, 9, "Right in front of CR LF goes behind the LF"},
      {7, VK_RIGHT, Ctrl, 9, "Ctrl changes nothing for the arrows"},
      {22, VK_RIGHT, 0, 22, "Right at the end does nothing"},
      {12, VK_HOME, 0, 9, "Home: the line's start"},
      {12, VK_HOME, Ctrl, 0, "Ctrl+Home: the document's start"},
      {10, VK_END, 0, 14, "End stops in front of the CR"},
      {16, VK_END, 0, 16, "End on an empty line stays at its CR"},
      {19, VK_END, 0, 22, "End on the last line: the document's end"},
      {3, VK_END, Ctrl, 22, "Ctrl+End: the document's end"},
      {12, VK_UP, 0, 3, "Up keeps the column"},
      {20, VK_UP, 0, 16, "Up onto an empty line: its CR"},
      {16, VK_UP, 0, 9, "Up from column 0: the line's start"},
      {5, VK_DOWN, 0, 14, "Down onto a shorter line: the column where it ends, its CR"},
      {6, VK_DOWN, 0, 14, "Down past a shorter line's end: its CR"},
      {2, VK_UP, 0, 2, "Up on the first line does nothing"},
      {20, VK_DOWN, 0, 20, "Down on the last line does nothing"},
      {0, VK_NEXT, 0, 18, "Page Down: at most the last line's start"},
      {19, VK_NEXT, 0, 19, "Page Down on the last line does nothing, even short of the end"},
      {20, VK_PRIOR, 0, 0, "Page Up: at least the first line's start"},
      {2, VK_PRIOR, 0, 0, "Page Up on the first line: index 0"},
      {12, VK_INSERT, 0, 12, "Insert does nothing"},
  };
  for (const KeyCase &c : cases) {
    CaretIndex = SelectionStart = SelectionEnd = c.caret;
    PressKey(c.key, c.modifiers);
    EXPECT_EQ(c.expected, CaretIndex) << c.why;
    EXPECT_EQ(0, SelectionActive) << c.why;
  }
}

TEST_F(CaretKeysTest, UpAndDownMeasureTheColumnAfreshAndResolveInOppositeDirections) {
  OpenDocumentWindow();
  ShowText(u"hour\r\nno\r\nthree");
  CaretIndex = 14;  // four cells into "three"
  PressKey(VK_UP);
  EXPECT_EQ(8, CaretIndex) << "the CR of the shorter line";
  PressKey(VK_UP);
  EXPECT_EQ(2, CaretIndex) << "the shorter column, not the first one";

  fake::SetGlyph(u'W', 0, 50, 0);  // a cell of 54 pixels
  ShowText(u"WW\r\nabc\r\nWW");
  CaretIndex = 6;  // 58 pixels in: between the W cells' edges at 54 and 108
  PressKey(VK_UP);
  EXPECT_EQ(1, CaretIndex) << "Up: the position at or left of the column";
  CaretIndex = 6;
  PressKey(VK_DOWN);
  EXPECT_EQ(11, CaretIndex) << "Down: the position at or right of the column";
}

TEST_F(CaretKeysTest, OnWrappedLinesTheCaretNeverStandsBehindALinesLastUnit) {
  OpenDocumentWindow();
  ShowText(u"aaaa bbbb cccc dddd eeeeeeeeeeeeeeeeeee");  // the second line as wide as the first
  ASSERT_EQ(2, LineCount);
  int lastUnit = LineTable[0].End;
  ASSERT_EQ(u' ', DocumentText[lastUnit]);
  PressKey(VK_END);
  EXPECT_EQ(lastUnit, CaretIndex) << "End stops in front of the break space";
  PressKey(VK_DOWN);
  EXPECT_EQ(DocumentLength - 1, CaretIndex) << "Down past the last line's text: the document end";
  PressKey(VK_UP);
  EXPECT_EQ(lastUnit, CaretIndex) << "Up from far right: in front of the last unit, not behind it";
}

TEST_F(CaretKeysTest, PageKeysStepByTheViewAndCtrlJumpsByPages) {
  std::u16string forty = Repeated(u"line\r\n", 40);  // line L starts at 6 L; 41 lines, pages of 16
  OpenDocumentWindow(800, 144 + 3 * 47);  // three whole rows: one line a step
  ShowText(forty);
  PressKey(VK_NEXT);
  EXPECT_EQ(6, CaretIndex);
  fake::ResizeWindow(800, 144 + 10 * 47);  // ten rows: eight lines a step
  PressKey(VK_NEXT);
  EXPECT_EQ(6 * 9, CaretIndex);
  PressKey(VK_PRIOR);
  EXPECT_EQ(6, CaretIndex);

  const KeyCase cases[] = {
      {6 * 32, VK_PRIOR, Ctrl, 6 * 16, "from the top of page 3: the top of page 2"},
      {6 * 33 + 1, VK_PRIOR, Ctrl, 6 * 32, "inside page 3: its top"},
      {6 * 32 + 2, VK_PRIOR, Ctrl, 6 * 32, "on page 3's first line, not at its start: its top"},
      {6 * 3, VK_NEXT, Ctrl, 6 * 16, "the top of the next page"},
      {6 * 35, VK_NEXT, Ctrl, 6 * 40, "on the last page: the last line's start"},
  };
  for (const KeyCase &c : cases) {
    CaretIndex = c.caret;
    PressKey(c.key, c.modifiers);
    EXPECT_EQ(c.expected, CaretIndex) << c.why;
  }
}

TEST_F(CaretKeysTest, AKeyMovingTheCaretOutOfViewScrollsByLinesAndPageGaps) {
  OpenDocumentWindow();
  ShowText(Repeated(u"line\r\n", 40));
  PressKey(VK_NEXT, Ctrl);  // to line 16: ScrollLine 7, no page boundary crossed
  EXPECT_EQ(7, ScrollLine);
  fake::ClearCalls();
  PressKey(VK_NEXT, Ctrl);  // to line 32: ScrollLine 23, one page boundary crossed
  EXPECT_EQ(23, ScrollLine);
  EXPECT_EQ((std::vector<std::string>{"ScrollWindow(hwnd1, 0, -768, {0, 144, 800, 700}, {0, 144, 800, 700})"}),
            fake::CallsTo({"ScrollWindow"}));
}

TEST_F(CaretKeysTest, ShiftMovesGrowShrinkAndEmptyTheSelectionFromTheAnchor) {
  OpenDocumentWindow();
  // Lines start at 0, 12 and 29.
  ShowText(u"abcdeklmno\r\nabcdeklmnoabcde\r\nabcdeklmnoabcde");
  CaretIndex = 5;
  PressKey(VK_RIGHT, Shift);
  PressKey(VK_RIGHT, Shift);
  EXPECT_EQ("5..7 caret 7", SelectionState());
  PressKey(VK_LEFT, Shift);
  EXPECT_EQ("5..6 caret 6", SelectionState());
  PressKey(VK_LEFT, Shift);
  EXPECT_EQ("off 5..5 caret 5", SelectionState()) << "an emptied selection is dropped after the key";
  ShowSelection(14, 20, 20);  // the anchor at the start: Shift+Up crosses it
  PressKey(VK_UP, Shift);
  EXPECT_EQ("8..14 caret 8", SelectionState());
  ShowSelection(4, 14, 4);  // the anchor at the end: Shift+Down crosses it
  PressKey(VK_DOWN, Shift);
  EXPECT_EQ("14..16 caret 16", SelectionState());
}

TEST_F(CaretKeysTest, EachMoveRepaintsTheOldCaretAndHighlightAfterTheStateChangedThenTheNewOnes) {
  OpenDocumentWindow();
  ShowText(u"abcdeklmno");
  const struct {
    int start, end, caret, key, modifiers;
    std::vector<std::string> repaints;
    const char *after, *why;
  } cases[] = {
      {0, 0, 2, VK_RIGHT, 0,
       {CaretStripRepaint(2), "WM_PAINT selection 0 caret 3", CaretStripRepaint(3), "WM_PAINT selection 0 caret 3"},
       "off 0..0 caret 3", "the old strip after the caret has left it"},
      {4, 6, 6, VK_HOME, Shift,
       {CaretStripRepaint(6), "WM_PAINT selection 4..6 caret 0", CaretStripRepaint(0), "WM_PAINT selection 4..6 caret 0",
        // the old highlight as an empty selection at the anchor, then the new one from the anchor to the caret
        CellsRepaint(4, 6), "WM_PAINT selection 4..4 caret 0", CellsRepaint(0, 4), "WM_PAINT selection 0..4 caret 0"},
       "0..4 caret 0", "across the anchor"},
      {2, 5, 5, VK_ESCAPE, 0, {CellsRepaint(2, 5), "WM_PAINT selection 0 caret 5"}, "off 5..5 caret 5",
       "Escape drops the selection before repainting it"},
      {5, 5, 5, VK_ESCAPE, 0, {}, "off 5..5 caret 5", "Escape without a selection does nothing"},
      {0, 3, 0, VK_LEFT, 0, {}, "0..3 caret 0", "at a document edge a key does nothing, the selection stays"},
      {0, 3, 0, VK_RIGHT, 0,
       {CaretStripRepaint(0), "WM_PAINT selection 0..3 caret 1", CaretStripRepaint(1), "WM_PAINT selection 0..3 caret 1",
        CellsRepaint(0, 3), "WM_PAINT selection 0 caret 1"},
       "off 1..1 caret 1", "an unshifted move moves the caret, then drops the selection"},
  };
  for (const auto &c : cases) {
    SelectionStart = c.start, SelectionEnd = c.end, SelectionActive = c.start != c.end, CaretIndex = c.caret;
    fake::RepaintWholeWindow();
    fake::ClearCalls();
    PressKey(c.key, c.modifiers);
    EXPECT_CALLS(c.repaints, Repaints());
    EXPECT_EQ(c.after, SelectionState()) << c.why;
  }
}

TEST_F(CaretKeysTest, AShiftMoveFromInsideTheSelectionRepaintsBothTheOldAndTheNewRange) {
  OpenDocumentWindow();
  ShowText(u"abcdeklmno\r\nabcdeklmno");
  for (int target : {1, 12}) {  // Shift+Right onto the anchor; Shift+Down into the old range
    ShowSelection(1, 18, 18);
    // A point-size change puts the caret at 0 and keeps the selection.
    fake::Send(WM_COMMAND, IDM_POINT_SIZE_BASE + (target == 1 ? 20 : 32), 0);
    ASSERT_EQ(0, CaretIndex);
    ASSERT_EQ(1, SelectionActive);
    PressKey(target == 1 ? VK_RIGHT : VK_DOWN, Shift);
    ASSERT_EQ(target, CaretIndex);
    EXPECT_EQ(target == 1 ? 0 : 1, SelectionActive) << "the anchor rule takes SelectionStart";
    EXPECT_EQ("", StaleScreen()) << "the old highlight stayed on screen after moving to " << target;
  }
}

TEST_F(CaretKeysTest, SelectingTheCrOfALineBreakShowsTheBreakBlock) {
  OpenDocumentWindow();
  ShowText(u"a\rX\nb");
  CaretIndex = 2;
  fake::RepaintWholeWindow();
  PressKey(VK_DELETE);  // the lone CR and LF become a pair, the caret between them
  ASSERT_EQ(2, LineCount);
  ASSERT_EQ(2, CaretIndex);
  PressKey(VK_LEFT, Shift);  // selects the CR alone
  ASSERT_EQ("1..2 caret 1", SelectionState());
  EXPECT_EQ(0, fake::Pixel(PageLeft + Cell + 3, TextTop + 20)) << "the break block is inverted";
  EXPECT_EQ("", StaleScreen());
}
