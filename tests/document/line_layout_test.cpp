// Cutting the text into display lines, and what layout does to the scroll range.
#include "document/layout_settings.h"
#include "resources/command_ids.h"
#include "support/document_fixture.h"

using LineLayoutTest = InvariantCheckedTest;

TEST_F(LineLayoutTest, LinesEndAtCrLfAndWhereTheNextUnitOverflowsBehindTheLastSpaceIfWordWrapSaysSo) {
  // At 32 points a, b and space get cells of 104 (B 100 plus spacing 4): five
  // fit in the 576-pixel text area, six do not; e gets 96: six fill it exactly.
  // Glyphs do not change under a font once measured, so they are set before the first layout.
  for (char16_t unit : std::u16string(u"ab ")) fake::SetGlyph(unit, 0, 100, 0);
  fake::SetGlyph(u'e', 0, 92, 0);
  fake::SetGlyph(u'W', 0, 600, 0);
  OpenDocumentWindow();
  const int Yes = IDM_WORD_WRAP_YES, No = IDM_WORD_WRAP_NO;
  const struct {
    int wrap;
    std::u16string text;
    Lines lines;
    const char *why;
  } cases[] = {
      {Yes, u"", {{0, 0}}, "the terminator has a line"},
      {Yes, u"abc\r\n", {{0, 4}, {5, 5}}, "the caret can stand on the line after the break"},
      {Yes, u"a\rb\nc\n\rd\r\n\r\n", {{0, 9}, {10, 11}, {12, 12}}, "lone CR and LF are ordinary units"},
      {Yes, u"aaa bbb", {{0, 3}, {4, 7}}, "behind the last space that fitted"},
      {Yes, u"a  bbbb", {{0, 2}, {3, 7}}, "spaces that fit stay together at the end"},
      {Yes, u"aaaaaaaaaaaa", {{0, 4}, {5, 9}, {10, 12}}, "a word with no space is cut where it overflows"},
      {Yes, u"aaaa  b", {{0, 5}, {6, 7}}, "a space that does not fit ends its line"},
      {No, u"aaa bbb", {{0, 4}, {5, 7}}, "in front of the unit that did not fit"},
      {No, u"aaaa  b", {{0, 5}, {6, 7}}, "a space that does not fit ends its line"},
      {Yes, u"xWWx", {{0, 0}, {1, 1}, {2, 2}, {3, 4}}, "a unit wider than the text area stands alone"},
      {No, u"xWWx", {{0, 0}, {1, 1}, {2, 2}, {3, 4}}, "a unit wider than the text area stands alone"},
      {Yes, u"eeeeeee", {{0, 5}, {6, 7}}, "a line exactly as wide as the text area fits"},
  };
  for (const auto &c : cases) {
    WordWrapChoice = c.wrap;
    SetText(c.text);
    EXPECT_EQ(c.lines, LaidOutLines()) << c.why;
  }
}

TEST_F(LineLayoutTest, VisibleEndLeavesOutCrLfAndTerminatorEvenOnTheEmptyDocument) {
  for (char16_t unit : std::u16string(u"ab ")) fake::SetGlyph(unit, 0, 100, 0);  // five fit a line
  OpenDocumentWindow();
  EXPECT_EQ(-1, VisibleEnd(0)) << "the empty document's line shows nothing";
  SetText(u"ab\r\n\r\ncd");
  EXPECT_EQ(1, VisibleEnd(0));
  EXPECT_EQ(3, VisibleEnd(1)) << "a line of only CR LF shows nothing";
  EXPECT_EQ(7, VisibleEnd(2));
  SetText(u"aaa bbb");
  EXPECT_EQ(3, VisibleEnd(0)) << "the space a line was cut after is drawn";
}

TEST_F(LineLayoutTest, ShrinkingTheTextBelowTheScrollPositionScrollsTheViewUp) {
  OpenDocumentWindow();
  SetText(Repeated(u"line\r\n", 39));
  ASSERT_EQ(39, ScrollMax);
  SendScrollRequest(SB_THUMBPOSITION, 39);
  ASSERT_EQ(39, ScrollLine);
  fake::ClearCalls();
  SetText(u"short\r\n");
  ASSERT_EQ(7, ScrollMax);
  EXPECT_EQ(7, ScrollLine);
  // From line 39 (page 2) to line 7 (page 0): 32 lines and two page gaps down.
  EXPECT_CALLS((std::vector<std::string>{
                   "SetScrollRange(hwnd1, SB_VERT, 0, 7, FALSE)",
                   "SetScrollPos(hwnd1, SB_VERT, 7, TRUE) -> 7",  // the new range moved it already
                   "ScrollWindow(hwnd1, 0, 1536, {0, 144, 800, 700}, {0, 144, 800, 700})",
               }),
               fake::CallsTo({"SetScrollRange", "SetScrollPos", "ScrollWindow"}));
}

// Each call to the scroll bar redraws it: one whose range and position stay is left alone.
TEST_F(LineLayoutTest, LayoutThatLeavesTheScrollPositionScrollsNothing) {
  OpenDocumentWindow();
  fake::ClearCalls();
  SetText(u"one\r\ntwo");
  EXPECT_CALLS(std::vector<std::string>{},
               fake::CallsTo({"SetScrollRange", "SetScrollPos", "ScrollWindow", "InvalidateRect"}));
}
