// The picker's keyboard mode: entering and leaving it, the focus moves and
// their repaints, the accelerating row steps, the jumps, and pressed cells.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "document/document_store.h"
#include "document/page_geometry.h"
#include "app/program_window.h"
#include "input/caret_keys.h"
#include "support/call_log_check.h"
#include "support/document_fixture.h"
#include "support/view_window.h"
#include "view/character_picker.h"

namespace {

RECT FrameArea(int button) {
  const RECT &r = PickerRects[button];
  return {r.left - 1, r.top - 1, r.right + 1, r.bottom + 1};
}

RECT CellsArea() {
  return {PickerRects[PickerFirstCell].left, PickerRects[PickerFirstCell].top, PickerRects[PickerFirstCell + 9].right,
          PickerRects[PickerFirstCell + 9].bottom};
}

std::u16string Text() { return std::u16string((const char16_t *)DocumentText, (size_t)DocumentLength - 1); }

class PickerKeysTest : public DocumentTest {
 protected:
  void SetUp() override {
    OpenDocumentWindow();
    PressKey(VK_TAB, Shift);
  }
  // Holds a key: key-downs without a key-up, as the system repeats them.
  std::vector<int> RowsWhileHeld(int key, int downs) {
    std::vector<int> rows;
    for (int i = 0; i < downs; i++) {
      KeyDown(key);
      rows.push_back(PickerRow);
    }
    KeyUp(key);
    return rows;
  }
};

}  // namespace

using PickerKeysEntryTest = DocumentTest;

TEST_F(PickerKeysEntryTest, ShiftTabHandsTheKeyboardToThePickerAndBack) {
  OpenDocumentWindow();
  fake::Screen textMode = fake::CaptureScreen();
  RECT mark = {PageLeft, TextTop - 2, PageRight, TextTop - 1};
  fake::ClearCalls();
  PressKey(VK_TAB, Shift);
  EXPECT_EQ(1, PickerKeyboardMode);
  EXPECT_EQ(PickerUp, PickerFocus);
  EXPECT_CALLS((std::vector<std::string>{Invalidated(mark), Invalidated(FrameArea(PickerUp))}),
               fake::CallsTo({"InvalidateRect"}));
  EXPECT_EQ(255, fake::Pixel(PageLeft + 5, TextTop - 2)) << "the text focus mark is gone";
  EXPECT_EQ(0, fake::Pixel(PickerRects[PickerUp].left + 5, PickerRects[PickerUp].top - 1)) << "the frame is drawn";
  EXPECT_TRUE(Text().empty());

  fake::ClearCalls();
  PressKey(VK_TAB, Shift);
  EXPECT_EQ(0, PickerKeyboardMode);
  EXPECT_CALLS((std::vector<std::string>{Invalidated(mark), Invalidated(FrameArea(PickerUp))}),
               fake::CallsTo({"InvalidateRect"}));
  EXPECT_EQ("", fake::DescribeScreenDifference(textMode, fake::CaptureScreen()));
}

TEST_F(PickerKeysTest, TabArrowsHomeAndEndMoveTheFrameWithinTheirLimits) {
  struct Step {
    int key;
    int modifiers;
    int focus;
  };
  const Step steps[] = {
      {VK_UP, 0, PickerUp},                 // Up on Up: nothing
      {VK_DOWN, 0, PickerDown},             // to Down
      {VK_DOWN, 0, PickerDown},             // Down on Down: nothing
      {VK_UP, 0, PickerUp},                 // back to Up
      {VK_LEFT, 0, PickerUp},               // no arrow leaves the Up/Down column sideways
      {VK_TAB, 0, PickerFirstCell},         // from Up or Down to the first cell
      {VK_LEFT, 0, PickerFirstCell},        // Left on the first cell: nothing
      {VK_RIGHT, 0, PickerFirstCell + 1},   //
      {VK_END, 0, PickerFirstCell + 9},     // the last cell
      {VK_RIGHT, 0, PickerFirstCell + 9},   // Right on the last cell: nothing
      {VK_HOME, 0, PickerFirstCell},        // the first cell
      {VK_TAB, 0, PickerUp},                // from a cell to Up
      {VK_BACK, 0, PickerUp},               // keys without a meaning here
      {VK_DELETE, 0, PickerUp},
      {VK_ESCAPE, 0, PickerUp},
  };
  for (const Step &step : steps) {
    int before = PickerFocus;
    fake::ClearCalls();
    PressKey(step.key, step.modifiers);
    EXPECT_EQ(step.focus, PickerFocus) << "key " << step.key << " from button " << before;
    std::vector<std::string> expected;
    if (step.focus != before) expected = {Invalidated(FrameArea(before)), Invalidated(FrameArea(step.focus))};
    EXPECT_CALLS(expected, fake::CallsTo({"InvalidateRect"}));
  }
  EXPECT_EQ(PickerFirstRow, PickerRow);
  EXPECT_TRUE(Text().empty());
  ViewWindowProc(MainWindow, WM_CHAR, 'a', 0);
  EXPECT_TRUE(Text().empty()) << "typed characters do not reach the text in picker mode";
}

TEST_F(PickerKeysTest, AHeldArrowStepsTheRowByOnesTensAndHundredsAndAnyReleaseRestarts) {
  PressKey(VK_TAB);  // the first cell
  std::vector<int> rows = RowsWhileHeld(VK_DOWN, 22);
  EXPECT_EQ((std::vector<int>{4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 23, 33, 43, 53, 63, 73, 83, 93, 103, 113, 213, 313}),
            rows);
  EXPECT_EQ(0, KeyRepeatCount);
  fake::ClearCalls();
  PressKey(VK_UP);
  EXPECT_EQ(312, PickerRow) << "after a release the steps start at 1 again";
  EXPECT_EQ(PickerFirstCell, PickerFocus) << "the frame stays on the cell";
  EXPECT_CALLS((std::vector<std::string>{Invalidated(PickerRects[PickerRowLabel]), Invalidated(CellsArea())}),
               fake::CallsTo({"InvalidateRect"}));

  // Return on Up and Down steps the same way, and not past the limits.
  PressKey(VK_HOME, Ctrl);
  EXPECT_EQ(PickerFirstRow, PickerRow);
  PressKey(VK_TAB);
  EXPECT_EQ(PickerUp, PickerFocus);
  fake::ClearCalls();
  PressKey(VK_RETURN);
  EXPECT_EQ(PickerFirstRow, PickerRow);
  EXPECT_TRUE(fake::CallsTo({"InvalidateRect"}).empty());
  PressKey(VK_DOWN);
  PressKey(VK_SPACE);
  EXPECT_EQ(PickerFirstRow + 1, PickerRow);
  PressKey(VK_END, Ctrl);
  PressKey(VK_TAB);
  PressKey(VK_DOWN);
  KeyDown(VK_RETURN);
  EXPECT_EQ(PickerLastRow, PickerRow);
  EXPECT_EQ(0, KeyRepeatCount) << "a step refused at the limit is not counted";
}

TEST_F(PickerKeysTest, CtrlHomeAndEndAndThePageKeysJumpAndFrameACell) {
  PressKey(VK_END, Ctrl);
  EXPECT_EQ(PickerLastRow, PickerRow);
  EXPECT_EQ(PickerFirstCell + 9, PickerFocus);
  PressKey(VK_HOME, Ctrl);
  EXPECT_EQ(PickerFirstRow, PickerRow);
  EXPECT_EQ(PickerFirstCell, PickerFocus);

  PickerRow = 6500;
  PressKey(VK_NEXT);
  EXPECT_EQ(6510, PickerRow);
  std::vector<int> rows = RowsWhileHeld(VK_NEXT, 6);
  EXPECT_EQ((std::vector<int>{6520, 6530, 6540, 6550, 6553, 6553}), rows);
  PressKey(VK_PRIOR, Ctrl);
  EXPECT_EQ(6453, PickerRow);
  rows = RowsWhileHeld(VK_PRIOR, 12);
  EXPECT_EQ((std::vector<int>{6443, 6433, 6423, 6413, 6403, 6393, 6383, 6373, 6363, 6353, 6253, 6153}), rows);

  // From Up, a page key frames the first cell even at the limit.
  PressKey(VK_HOME, Ctrl);
  PressKey(VK_TAB);
  fake::ClearCalls();
  PressKey(VK_PRIOR);
  EXPECT_EQ(PickerFirstRow, PickerRow);
  EXPECT_EQ(PickerFirstCell, PickerFocus);
  EXPECT_CALLS((std::vector<std::string>{Invalidated(FrameArea(PickerUp)), Invalidated(FrameArea(PickerFirstCell))}),
               fake::CallsTo({"InvalidateRect"}));
}

TEST_F(PickerKeysTest, ReturnOrSpaceOnACellInsertsItsCodeAtTheCaret) {
  PressKey(VK_TAB);
  PressKey(VK_RETURN);
  PressKey(VK_RIGHT);
  PressKey(VK_SPACE);
  EXPECT_TRUE(Text().empty()) << "codes 30 and 31 insert nothing";
  PickerRow = 6;
  PressKey(VK_HOME);
  PressKey(VK_RETURN);
  PressKey(VK_RIGHT);
  PressKey(VK_SPACE);
  EXPECT_EQ(u"<=", Text());
  EXPECT_EQ(2, CaretIndex);
  PressKey(VK_END, Ctrl);
  PressKey(VK_RETURN);
  EXPECT_EQ(u"<=", Text()) << "code 65539 inserts nothing";
  EXPECT_EQ(1, PickerKeyboardMode);
}

TEST_F(PickerKeysTest, KeyDownsWaitWhileAPickerButtonIsHeldButKeyUpsStillCount) {
  PressKey(VK_TAB);
  KeyDown(VK_DOWN);
  KeyDown(VK_DOWN);
  ASSERT_EQ(2, KeyRepeatCount);
  PickerButtonHeld = 1;  // as a mouse press on Down leaves it
  int row = PickerRow;
  fake::ClearCalls();
  KeyDown(VK_DOWN);
  PressKey(VK_TAB, Shift);
  EXPECT_EQ(row, PickerRow);
  EXPECT_EQ(1, PickerKeyboardMode);
  EXPECT_TRUE(fake::CallsTo({"InvalidateRect"}).empty());
  KeyUp(VK_DOWN);
  EXPECT_EQ(0, KeyRepeatCount);
  PickerButtonHeld = 0;
}
