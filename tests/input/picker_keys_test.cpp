// The picker's keyboard mode: entering and leaving it, the focus moves and
// their repaints, the accelerating row steps, the jumps, and pressed cells.
#include "input/caret_keys.h"
#include "support/document_fixture.h"
#include "support/view_window.h"
#include "view/character_picker.h"

namespace {

std::string FrameRepaint(int button) {
  const RECT &r = PickerRects[button];
  return Invalidated(r.left - 1, r.top - 1, r.right + 1, r.bottom + 1);
}

std::string Where() { return "row " + std::to_string(PickerRow) + " focus " + std::to_string(PickerFocus); }

// Starts in keyboard mode, the frame on Up.
class PickerKeysTest : public InvariantCheckedTest {
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

using PickerKeysEntryTest = InvariantCheckedTest;

TEST_F(PickerKeysEntryTest, ShiftTabHandsTheKeyboardToThePickerAndBack) {
  OpenDocumentWindow();
  fake::Screen textMode = fake::CaptureScreen();
  const std::vector<std::string> repaints = {Invalidated(PageLeft, TextTop - 2, PageRight, TextTop - 1),
                                             FrameRepaint(PickerUp)};  // the text's focus mark and Up's frame
  fake::ClearCalls();
  PressKey(VK_TAB, Shift);
  EXPECT_EQ(1, PickerKeyboardMode);
  EXPECT_EQ(PickerUp, PickerFocus);
  EXPECT_CALLS(repaints, fake::CallsTo({"InvalidateRect"}));
  EXPECT_EQ(255, fake::Pixel(PageLeft + 5, TextTop - 2)) << "the text focus mark is gone";
  EXPECT_EQ(0, fake::Pixel(PickerRects[PickerUp].left + 5, PickerRects[PickerUp].top - 1)) << "the frame is drawn";
  EXPECT_TRUE(CurrentText().empty());
  fake::ClearCalls();
  PressKey(VK_TAB, Shift);
  EXPECT_EQ(0, PickerKeyboardMode);
  EXPECT_CALLS(repaints, fake::CallsTo({"InvalidateRect"}));
  EXPECT_EQ("", fake::DescribeScreenDifference(textMode, fake::CaptureScreen()));
}

TEST_F(PickerKeysTest, TabArrowsHomeAndEndMoveTheFrameWithinTheirLimits) {
  const int Cell0 = PickerFirstCell, Cell9 = PickerFirstCell + 9;
  const int steps[][2] = {  // a key and the focus it leaves
      {VK_UP, PickerUp},      {VK_DOWN, PickerDown}, {VK_DOWN, PickerDown},  {VK_UP, PickerUp},
      {VK_LEFT, PickerUp},    // no arrow leaves the Up/Down column sideways
      {VK_TAB, Cell0},        // from Up or Down to the first cell
      {VK_LEFT, Cell0},       {VK_RIGHT, Cell0 + 1}, {VK_END, Cell9},        {VK_RIGHT, Cell9},
      {VK_HOME, Cell0},       {VK_TAB, PickerUp},    // from a cell to Up
      {VK_BACK, PickerUp},    {VK_DELETE, PickerUp}, {VK_ESCAPE, PickerUp},  // keys without a meaning here
  };
  for (const auto &step : steps) {
    int before = PickerFocus;
    fake::ClearCalls();
    PressKey(step[0]);
    EXPECT_EQ(step[1], PickerFocus) << "key " << step[0] << " from button " << before;
    std::vector<std::string> expected;
    if (step[1] != before) expected = {FrameRepaint(before), FrameRepaint(step[1])};
    EXPECT_CALLS(expected, fake::CallsTo({"InvalidateRect"}));
  }
  EXPECT_EQ(PickerFirstRow, PickerRow);
  ViewWindowProc(MainWindow, WM_CHAR, 'a', 0);
  EXPECT_TRUE(CurrentText().empty()) << "typed characters do not reach the text in picker mode";
}

TEST_F(PickerKeysTest, AHeldArrowStepsTheRowByOnesTensAndHundredsAndAnyReleaseRestarts) {
  PressKey(VK_TAB);  // the first cell
  EXPECT_EQ((std::vector<int>{4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 23, 33, 43, 53, 63, 73, 83, 93, 103, 113, 213, 313}),
            RowsWhileHeld(VK_DOWN, 22));
  EXPECT_EQ(0, KeyRepeatCount);
  fake::ClearCalls();
  PressKey(VK_UP);
  // After a release the steps start at 1 again, and the frame stays on the cell.
  EXPECT_EQ("row 312 focus " + std::to_string(PickerFirstCell), Where());
  const RECT &first = PickerRects[PickerFirstCell], &last = PickerRects[PickerFirstCell + 9];
  EXPECT_CALLS((std::vector<std::string>{Invalidated(PickerRects[PickerRowLabel]),
                                         Invalidated(first.left, first.top, last.right, last.bottom)}),
               fake::CallsTo({"InvalidateRect"}));

  // Return on Up and Down steps the same way, and not past the limits.
  PressKey(VK_HOME, Ctrl);
  PressKey(VK_TAB);
  EXPECT_EQ("row 3 focus " + std::to_string(PickerUp), Where());
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
  EXPECT_EQ("row 6553 focus " + std::to_string(PickerFirstCell + 9), Where());
  PressKey(VK_HOME, Ctrl);
  EXPECT_EQ("row 3 focus " + std::to_string(PickerFirstCell), Where());
  PickerRow = 6500;
  PressKey(VK_NEXT);
  EXPECT_EQ(6510, PickerRow);
  EXPECT_EQ((std::vector<int>{6520, 6530, 6540, 6550, 6553, 6553}), RowsWhileHeld(VK_NEXT, 6));
  PressKey(VK_PRIOR, Ctrl);
  EXPECT_EQ(6453, PickerRow);
  EXPECT_EQ((std::vector<int>{6443, 6433, 6423, 6413, 6403, 6393, 6383, 6373, 6363, 6353, 6253, 6153}),
            RowsWhileHeld(VK_PRIOR, 12));

  // From Up, a page key frames the first cell even at the limit.
  PressKey(VK_HOME, Ctrl);
  PressKey(VK_TAB);
  fake::ClearCalls();
  PressKey(VK_PRIOR);
  EXPECT_EQ("row 3 focus " + std::to_string(PickerFirstCell), Where());
  EXPECT_CALLS((std::vector<std::string>{FrameRepaint(PickerUp), FrameRepaint(PickerFirstCell)}),
               fake::CallsTo({"InvalidateRect"}));
}

TEST_F(PickerKeysTest, ReturnOrSpaceOnACellInsertsItsCodeAtTheCaret) {
  for (int key : {VK_TAB, VK_RETURN, VK_RIGHT, VK_SPACE}) PressKey(key);
  EXPECT_TRUE(CurrentText().empty()) << "codes 30 and 31 insert nothing";
  PickerRow = 6;
  for (int key : {VK_HOME, VK_RETURN, VK_RIGHT, VK_SPACE}) PressKey(key);
  EXPECT_EQ(u"<=", CurrentText());
  EXPECT_EQ(2, CaretIndex);
  PressKey(VK_END, Ctrl);
  PressKey(VK_RETURN);
  EXPECT_EQ(u"<=", CurrentText()) << "code 65539 inserts nothing";
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
