// Cutting the text into display lines, and what layout does to the scroll range.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "document/document_store.h"
#include "document/layout_settings.h"
#include "document/line_layout.h"
#include "document/page_geometry.h"
#include "resources/command_ids.h"
#include "support/call_log_check.h"
#include "support/document_fixture.h"

namespace {

typedef std::vector<std::pair<int, int>> Lines;

Lines LaidOutLines() {
  Lines lines;
  for (int line = 0; line < LineCount; line++) lines.push_back({LineTable[line].Start, LineTable[line].End});
  return lines;
}

// Gives these units cells of 104 pixels at 32 points (B 100 plus spacing 4):
// five fit in the 576-pixel text area, six do not. Glyphs do not change under
// a font once measured, so tests set them before the first layout.
void MakeFiveUnitsFit(const std::u16string &units) {
  for (char16_t unit : units) fake::SetGlyph(unit, 0, 100, 0);
}

}  // namespace

using LineLayoutTest = DocumentTest;

TEST_F(LineLayoutTest, LinesEndAtEveryCrLfOnlyAndTheTerminatorHasALine) {
  OpenDocumentWindow();
  SetText(u"");
  EXPECT_EQ((Lines{{0, 0}}), LaidOutLines());
  SetText(u"abc\r\n");
  EXPECT_EQ((Lines{{0, 4}, {5, 5}}), LaidOutLines()) << "the caret can stand on the line after the break";
  SetText(u"a\rb\nc\n\rd\r\n\r\n");
  EXPECT_EQ((Lines{{0, 9}, {10, 11}, {12, 12}}), LaidOutLines()) << "lone CR and LF are ordinary units";
}

TEST_F(LineLayoutTest, VisibleEndLeavesOutCrLfAndTerminatorEvenOnTheEmptyDocument) {
  MakeFiveUnitsFit(u"ab ");
  OpenDocumentWindow();
  EXPECT_EQ(-1, VisibleEnd(0)) << "the empty document's line shows nothing";
  SetText(u"ab\r\n\r\ncd");
  EXPECT_EQ(1, VisibleEnd(0));
  EXPECT_EQ(3, VisibleEnd(1)) << "a line of only CR LF shows nothing";
  EXPECT_EQ(7, VisibleEnd(2));
  SetText(u"aaa bbb");
  EXPECT_EQ(3, VisibleEnd(0)) << "the space a line was cut after is drawn";
}

TEST_F(LineLayoutTest, WordWrapYesCutsAfterTheLastSpaceThatFitted) {
  OpenDocumentWindow();
  MakeFiveUnitsFit(u"ab ");
  SetText(u"aaa bbb");
  EXPECT_EQ((Lines{{0, 3}, {4, 7}}), LaidOutLines());
  SetText(u"a  bbbb");
  EXPECT_EQ((Lines{{0, 2}, {3, 7}}), LaidOutLines()) << "spaces that fit stay together at the end";
  SetText(u"aaaaaaaaaaaa");
  EXPECT_EQ((Lines{{0, 4}, {5, 9}, {10, 12}}), LaidOutLines()) << "a word with no space is cut where it overflows";
  SetText(u"aaaa  b");
  EXPECT_EQ((Lines{{0, 5}, {6, 7}}), LaidOutLines()) << "a space that does not fit ends its line";
}

TEST_F(LineLayoutTest, WordWrapNoCutsInFrontOfTheUnitThatDidNotFit) {
  OpenDocumentWindow();
  WordWrapChoice = IDM_WORD_WRAP_NO;
  MakeFiveUnitsFit(u"ab ");
  SetText(u"aaa bbb");
  EXPECT_EQ((Lines{{0, 4}, {5, 7}}), LaidOutLines());
  SetText(u"aaaa  b");
  EXPECT_EQ((Lines{{0, 5}, {6, 7}}), LaidOutLines()) << "a space that does not fit ends its line";
}

TEST_F(LineLayoutTest, AUnitWiderThanTheTextAreaStandsAlone) {
  for (int choice : {IDM_WORD_WRAP_YES, IDM_WORD_WRAP_NO}) {
    SCOPED_TRACE(choice);
    OpenDocumentWindow();
    WordWrapChoice = choice;
    fake::SetGlyph(u'W', 0, 600, 0);
    SetText(u"xWWx");
    EXPECT_EQ((Lines{{0, 0}, {1, 1}, {2, 2}, {3, 4}}), LaidOutLines());
  }
}

TEST_F(LineLayoutTest, ALineExactlyAsWideAsTheTextAreaFits) {
  OpenDocumentWindow();
  fake::SetGlyph(u'a', 0, 92, 0);  // cells of 96: six make 576
  SetText(u"aaaaaaa");
  EXPECT_EQ((Lines{{0, 5}, {6, 7}}), LaidOutLines());
}

TEST_F(LineLayoutTest, ShrinkingTheTextBelowTheScrollPositionScrollsTheViewUp) {
  OpenDocumentWindow();
  std::u16string text;
  for (int i = 0; i < 39; i++) text += u"line\r\n";
  SetText(text);
  ASSERT_EQ(39, ScrollMax);
  SendScrollRequest(SB_THUMBPOSITION, 39);
  ASSERT_EQ(39, ScrollLine);

  fake::ClearCalls();
  SetText(u"short\r\n");
  ASSERT_EQ(7, ScrollMax);
  EXPECT_EQ(7, ScrollLine);
  EXPECT_EQ(7, fake::ScrollPosition());
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
