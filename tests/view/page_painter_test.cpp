// What the painters put on the framebuffer: page lines, caret and selection.
#include "support/document_fixture.h"

namespace {

// Default glyphs at 32 points (not f, g, j, p, q, y): cells of 29 pixels; CR and LF are cells too.
bool HorizontalRule(int y) {
  for (int x = PageLeft; x < PageRight; x++) {
    if (fake::Pixel(x, y) != 0) return false;
  }
  return fake::Pixel(PageLeft - 1, y) == 255 && fake::Pixel(PageRight, y) == 255;
}

// Cells [from, to) of display line L on the first page.
RECT Cells(int line, int from, int to) {
  return {PageLeft + from * Cell, TextTop + line * LineHeight, PageLeft + to * Cell, TextTop + (line + 1) * LineHeight};
}

// "" when showing the selection [start, end) inverts every pixel inside the areas and no other.
std::string SelectionInverts(int start, int end, const std::vector<RECT> &areas) {
  SelectionStart = start, SelectionEnd = end, SelectionActive = 0;
  fake::RepaintWholeWindow();
  fake::Screen before = fake::CaptureScreen();
  SelectionActive = 1;
  fake::RepaintWholeWindow();
  fake::Screen after = fake::CaptureScreen();
  int wrong = 0;
  std::string first;
  for (int y = 0; y < before.height; y++) {
    for (int x = 0; x < before.width; x++) {
      bool inside = false;
      for (const RECT &r : areas) inside = inside || (x >= r.left && x < r.right && y >= r.top && y < r.bottom);
      int expected = inside ? 255 - before.At(x, y) : before.At(x, y);
      if (after.At(x, y) != expected && wrong++ == 0) first = std::to_string(x) + "," + std::to_string(y);
    }
  }
  return wrong == 0 ? "" : std::to_string(wrong) + " pixels wrong, first at " + first;
}

}  // namespace

using PagePainterTest = InvariantCheckedTest;

TEST_F(PagePainterTest, EmptyDocumentShowsCaretBorderFocusMarkAndPageEnd) {
  OpenDocumentWindow(800, 1000);
  for (int y = TextTop; y < TextTop + LineHeight; y++) ASSERT_EQ(0, fake::Pixel(PageLeft, y)) << y;
  EXPECT_EQ(255, fake::Pixel(PageLeft, TextTop + LineHeight));
  EXPECT_EQ(255, fake::Pixel(PageLeft + 1, TextTop));
  EXPECT_TRUE(HorizontalRule(TextTop - 1)) << "top border";
  EXPECT_TRUE(HorizontalRule(TextTop - 2)) << "the text has the keyboard";
  EXPECT_FALSE(HorizontalRule(TextTop - 3));
  EXPECT_TRUE(HorizontalRule(TextTop + PageHeight)) << "end of the last page";
  EXPECT_FALSE(HorizontalRule(TextTop + PageHeight - 1));
}

TEST_F(PagePainterTest, PageBreakLinesMoveWithTheTextAndTheTopBorderStays) {
  OpenDocumentWindow(800, 1000);
  ShowText(Repeated(u"\r\n", 16));
  ASSERT_EQ(2, PageCount);
  EXPECT_TRUE(HorizontalRule(TextTop + PageHeight - 1)) << "break between pages 1 and 2";
  SendScrollRequest(SB_LINEDOWN);
  EXPECT_TRUE(HorizontalRule(TextTop + PageHeight - 1 - LineHeight));
  EXPECT_FALSE(HorizontalRule(TextTop + PageHeight - 1));
  EXPECT_TRUE(HorizontalRule(TextTop - 1));
  EXPECT_TRUE(HorizontalRule(TextTop - 2));
}

TEST_F(PagePainterTest, CaretOnTheCrOfALineBreakStandsAfterTheLastCharacter) {
  OpenDocumentWindow();
  ShowText(u"abc\r\nd");
  CaretIndex = 3;
  fake::RepaintWholeWindow();
  EXPECT_EQ(0, fake::Pixel(PageLeft + 3 * Cell, TextTop + LineHeight - 1));
  EXPECT_EQ(255, fake::Pixel(PageLeft, TextTop + LineHeight)) << "not at the start of the next line";
}

TEST_F(PagePainterTest, ASelectionInvertsItsCellsTailWholeLinesAndHeadAndAHeldLineBreakAsABlock) {
  OpenDocumentWindow();
  ShowText(u"ab\r\ncd");
  EXPECT_EQ("", SelectionInverts(0, 4, {Cells(0, 0, 4)})) << "the CR LF a block of two cells after the line";
  EXPECT_EQ("", SelectionInverts(1, 2, {Cells(0, 1, 2)})) << "a selection that stops on the CR shows no block";
  ShowText(u"abc\r\ndek\r\nmno");
  EXPECT_EQ("", SelectionInverts(1, 11, {Cells(0, 1, 5), Cells(1, 0, 5), Cells(2, 0, 1)}));
}
