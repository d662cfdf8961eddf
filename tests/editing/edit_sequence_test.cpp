// The order in which typing and deletion change the state and repaint: the
// recorded invalidations, with the state each paint saw, against the rules.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/document_store.h"
#include "document/line_layout.h"
#include "document/page_geometry.h"
#include "editing/delete_selection.h"
#include "editing/typed_characters.h"
#include "support/call_log_check.h"
#include "support/document_fixture.h"

namespace {

void Select(int start, int end) { ShowSelection(start, end, end); }

}  // namespace

using EditSequenceTest = DocumentTest;

TEST_F(EditSequenceTest, TypingOverASelectionClearsTheFlagAndMovesTheCaretBeforeEachRepaint) {
  OpenDocumentWindow();
  ShowText(u"abcdef");
  Select(1, 4);
  fake::ClearCalls();
  TypeCharacter(u'x');
  // The highlight goes while no selection is active, the old caret strip while
  // the caret stands nowhere, then the new caret and the line from the edit point.
  EXPECT_CALLS((std::vector<std::string>{CellsRepaint(1, 4), "WM_PAINT selection 0 caret 4", CaretStripRepaint(4),
                                         "WM_PAINT selection 0 caret -1", CaretStripRepaint(2),
                                         "WM_PAINT selection 0 caret 2", Invalidated(PageLeft + Cell, 144, 800, 191),
                                         "WM_PAINT selection 0 caret 2"}),
               Repaints());
  EXPECT_EQ(u"axef", VisibleText(0));
  EXPECT_EQ("off 2..2 caret 2", SelectionState());
}

TEST_F(EditSequenceTest, RepaintAfterEditRepaintsOnlyTheTailsWhoseBoundsMoved) {
  // Rule D: lines after the edit whose bounds only shifted are left alone.
  OpenDocumentWindow();
  ShowText(u"ab\r\ncd\r\nef");
  CaretIndex = SelectionStart = SelectionEnd = 1;
  fake::RepaintWholeWindow();
  fake::ClearCalls();
  TypeCharacter(u'x');
  std::vector<std::string> tails = fake::CallsTo({"InvalidateRect"});
  ASSERT_EQ(3u, tails.size()) << "old caret, new caret, line 0 from the edit point";
  EXPECT_EQ(Invalidated(PageLeft + Cell, 144, 800, 191), tails[2]);

  // Rule C: a line that began inside the removed units repaints from its new start.
  Select(2, 6);  // b, CR, LF, c
  fake::ClearCalls();
  DeleteSelection();
  EXPECT_EQ(u"axd", VisibleText(0));
  int x2 = PageLeft + 2 * Cell;
  EXPECT_CALLS((std::vector<std::string>{
                   Invalidated(x2, 144, 800, 191),                 // the selection's first line, to the right edge
                   Invalidated(0, 191, PageLeft + Cell, 238),      // its last line, from the left edge
                   Invalidated(PageLeft + Cell, 191, PageLeft + Cell + 1, 238),  // the old caret
                   CaretStripRepaint(2),                           // the new caret
                   Invalidated(x2, 144, 800, 191),                 // rule B: line 0 from the edit point
                   Invalidated(PageLeft, 191, 800, 238),           // rule C: line 1 from its new start
                   Invalidated(0, 237, 800, 700),                  // from the last row both share: a rule may lie there
               }),
               fake::CallsTo({"InvalidateRect"}));
}

TEST_F(EditSequenceTest, RuleAWrapPullingAWordUpRepaintsTheLineBeforeTheEdit) {
  for (char16_t unit : std::u16string(u"ab ")) fake::SetGlyph(unit, 0, 100, 0);  // five cells fit
  OpenDocumentWindow();
  ShowText(u"aaa bbbbb");
  ASSERT_EQ(3, LineTable[0].End);
  Select(5, 9);
  fake::ClearCalls();
  DeleteSelection();
  ASSERT_EQ(1, LineCount) << "aaa b now fits on one line";
  std::vector<std::string> tails = fake::CallsTo({"InvalidateRect"});
  // Line 0 ended before the edit point: repainted from just after its old end.
  EXPECT_EQ(Invalidated(PageLeft + 4 * 104, 144, 800, 191), tails.at(tails.size() - 2));
  EXPECT_EQ(Invalidated(0, 190, 800, 700), tails.back());
}

TEST_F(EditSequenceTest, TypingWhereTheCaretLineLeftTheViewScrollsByThePageAwareDistance) {
  OpenDocumentWindow();
  ShowText(Repeated(u"line\r\n", 39));
  CaretIndex = SelectionStart = SelectionEnd = DocumentLength - 1;  // line 39, page 2
  fake::ClearCalls();
  TypeCharacter(u'x');
  // The caret's line becomes row 9 of the view: ScrollLine 30, 30 lines and one page gap down.
  EXPECT_EQ(30, ScrollLine);
  EXPECT_EQ(std::vector<std::string>{"ScrollWindow(hwnd1, 0, -1426, {0, 144, 800, 700}, {0, 144, 800, 700})"},
            fake::CallsTo({"ScrollWindow"}));
}

TEST_F(EditSequenceTest, ControlCodesAreIgnoredAndDeleteNeedsASelection) {
  OpenDocumentWindow();
  ShowText(u"ab");
  fake::ClearCalls();
  for (int code : {8, 9, 10, 13, 27, 31, -5, 65536}) TypeCharacter(code);
  CaretIndex = 1;
  DeleteSelection();
  SelectionActive = 1;  // active but empty
  DeleteSelection();
  EXPECT_EQ(3, DocumentLength);
  EXPECT_TRUE(fake::Calls().empty());
}

TEST_F(EditSequenceTest, DeletingEverythingLeavesOneEmptyLineAndZeros) {
  OpenDocumentWindow();
  ShowText(u"one\r\ntwo\r\nthree");
  Select(0, DocumentLength - 1);
  DeleteSelection();
  EXPECT_EQ(1, DocumentLength);
  EXPECT_EQ(1, LineCount);
  EXPECT_EQ(0, CaretIndex);
  for (int i = 0; i < 20; i++) EXPECT_EQ(0, DocumentText[i]);
}
