// The character picker in the program's window: layout, presses, the
// accelerating autorepeat and how it stops, and what the cells show.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/program_window.h"
#include "document/document_store.h"
#include "document/page_geometry.h"
#include "support/call_log_check.h"
#include "support/program_fixture.h"
#include "view/character_picker.h"

namespace {

void Press(int button) {
  POINT centre = PickerButtonCentre(button);
  PressAt(centre.x, centre.y);
}

void Release(int button) {
  POINT centre = PickerButtonCentre(button);
  ReleaseAt(centre.x, centre.y);
}

std::vector<int> RowsWhileHeld(int ticks) {
  std::vector<int> rows = {PickerRow};
  for (int i = 0; i < ticks && PickerButtonHeld; i++) {
    fake::FireTimer(PickerRepeatTimer);
    rows.push_back(PickerRow);
  }
  return rows;
}

}  // namespace

using CharacterPickerTest = ProgramTest;

TEST_F(CharacterPickerTest, PanelIsSixInchesWideCentredBelowTheTopIn36PixelUnits) {
  StartProgram(800, 700);
  RECT frame = {(800 - 16 * 36) / 2, 36, (800 - 16 * 36) / 2 + 16 * 36, 108};
  EXPECT_EQ(frame.left, PickerFrame.left);
  EXPECT_EQ(frame.top, PickerFrame.top);
  EXPECT_EQ(frame.right, PickerFrame.right);
  EXPECT_EQ(frame.bottom, PickerFrame.bottom);
  EXPECT_EQ(frame.left + 6 * 36 + 7 * 36, PickerRects[PickerFirstCell + 7].left);
  EXPECT_EQ(72, PickerRects[PickerFirstCell + 7].top);
  // The frame's outline is drawn, and the buttons tile it.
  EXPECT_EQ(0, fake::Pixel(frame.left, frame.top + 10));
  EXPECT_EQ(0, fake::Pixel(frame.right - 1, frame.top + 10));
  EXPECT_EQ(0, fake::Pixel(frame.left + 10, frame.bottom - 1));
}

TEST_F(CharacterPickerTest, HoldingDownStepsOnceThenByOnesTensAndHundredsUntilReleased) {
  StartProgram();
  Press(PickerDown);
  EXPECT_EQ(4, PickerRow);
  EXPECT_EQ(MainWindow, fake::Capture());
  EXPECT_EQ(400u, fake::TimerPeriod(PickerRepeatTimer));
  std::vector<int> rows = RowsWhileHeld(22);
  EXPECT_EQ((std::vector<int>{4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 24, 34, 44, 54, 64, 74, 84, 94, 104, 114, 214, 314}),
            rows);
  EXPECT_EQ(100u, fake::TimerPeriod(PickerRepeatTimer));
  Release(PickerDown);
  EXPECT_EQ(0, PickerButtonHeld);
  EXPECT_EQ(nullptr, fake::Capture());
  EXPECT_EQ(0u, fake::TimerPeriod(PickerRepeatTimer));
}

TEST_F(CharacterPickerTest, AutorepeatStopsByItselfAtTheLastRow) {
  StartProgram();
  PickerRow = PickerLastRow - 250;
  Press(PickerDown);
  RowsWhileHeld(40);
  EXPECT_EQ(PickerLastRow, PickerRow);
  EXPECT_EQ(0, PickerButtonHeld);
  EXPECT_EQ(0u, fake::TimerPeriod(PickerRepeatTimer));
  Press(PickerDown);
  EXPECT_EQ(PickerLastRow, PickerRow) << "Down at the last row only takes the focus";
  EXPECT_EQ(0, PickerButtonHeld);
}

TEST_F(CharacterPickerTest, LeavingTheHeldButtonOrLosingTheCaptureStopsTheAutorepeat) {
  StartProgram();
  Press(PickerDown);
  POINT outside = PickerButtonCentre(PickerUp);
  fake::Send(WM_MOUSEMOVE, 0, MAKELPARAM(outside.x, outside.y));
  EXPECT_EQ(0, PickerButtonHeld);
  POINT back = PickerButtonCentre(PickerDown);
  fake::Send(WM_MOUSEMOVE, 0, MAKELPARAM(back.x, back.y));
  EXPECT_EQ(0, PickerButtonHeld) << "coming back does not restart it";

  // Another window takes the capture: the button-up will never come.
  Press(PickerDown);
  fake::TakeCaptureAway();
  EXPECT_EQ(0, PickerButtonHeld);
  EXPECT_EQ(0u, fake::TimerPeriod(PickerRepeatTimer));

  Press(PickerDown);
  fake::Send(WM_CANCELMODE, 0, 0);
  EXPECT_EQ(0, PickerButtonHeld);
  EXPECT_EQ(nullptr, fake::Capture());
  EXPECT_EQ(0u, fake::TimerPeriod(PickerRepeatTimer));
}

TEST_F(CharacterPickerTest, PressesMoveTheFocusAndACellInsertsItsCode) {
  StartProgram();
  EXPECT_EQ(0, PickerKeyboardMode);
  Press(PickerFirstDigit + 7);
  EXPECT_EQ(1, PickerKeyboardMode);
  EXPECT_EQ(PickerFirstCell + 7, PickerFocus) << "a digit passes the focus to its cell";
  Press(PickerRowLabel);
  EXPECT_EQ(PickerUp, PickerFocus);
  EXPECT_EQ(1, DocumentLength) << "neither inserts anything";
  Press(PickerUp);
  EXPECT_EQ(PickerFirstRow, PickerRow) << "Up at the first row only takes the focus";
  EXPECT_EQ(0, PickerButtonHeld);

  Press(PickerFirstCell + 0);  // code 30: crossed out, inserts nothing
  Press(PickerFirstCell + 3);  // code 33
  EXPECT_EQ(2, DocumentLength);
  EXPECT_EQ(u'!', DocumentText[0]);
  EXPECT_EQ(PickerFirstCell + 3, PickerFocus);
  fake::Send(WM_CHAR, u'a', 0);
  EXPECT_EQ(2, DocumentLength) << "typed characters do not reach the text while the picker has the keyboard";
}

TEST_F(CharacterPickerTest, FocusMovesRepaintTheTextMarkAndTheFramesAndLeaveNothingStale) {
  StartProgram();
  fake::ClearCalls();
  Press(PickerFirstCell + 5);
  std::vector<std::string> repaints = fake::CallsTo({"InvalidateRect"});
  ASSERT_GE(repaints.size(), 2u);
  const RECT &cell = PickerRects[PickerFirstCell + 5];
  EXPECT_EQ(Invalidated(PageLeft, TextTop - 2, PageRight, TextTop - 1), repaints[0]);
  EXPECT_EQ(Invalidated(cell.left - 1, cell.top - 1, cell.right + 1, cell.bottom + 1), repaints[1]);
  EXPECT_EQ(255, fake::Pixel(PageLeft + 20, TextTop - 2)) << "the text focus mark is gone";
  EXPECT_EQ(0, fake::Pixel(PageLeft + 20, TextTop - 1)) << "the top border stays";

  for (int button : {PickerFirstCell + 9, PickerDown, PickerFirstDigit + 2, PickerUp}) {
    Press(button);
    Release(button);
    fake::Screen incremental = fake::CaptureScreen();
    fake::RepaintWholeWindow();
    ASSERT_EQ("", fake::DescribeScreenDifference(fake::CaptureScreen(), incremental)) << "after button " << button;
  }
}

TEST_F(CharacterPickerTest, AGlyphWiderThanItsCellIsClippedToIt) {
  fake::SetGlyph(u'\'', 0, 120, 0);  // code 39, the last cell of row 3
  StartProgram();
  const RECT &cell = PickerRects[PickerFirstCell + 9];
  for (int x = cell.right; x < cell.right + 40; x++) {
    for (int y = cell.top; y < cell.bottom; y++) ASSERT_EQ(255, fake::Pixel(x, y)) << x << "," << y;
  }
  Press(PickerDown);
  Release(PickerDown);
  fake::Screen incremental = fake::CaptureScreen();
  fake::RepaintWholeWindow();
  EXPECT_EQ("", fake::DescribeScreenDifference(fake::CaptureScreen(), incremental));
}

TEST_F(CharacterPickerTest, CellsOutsideTheUnitRangeAreCrossedOut) {
  StartProgram();
  const RECT &code30 = PickerRects[PickerFirstCell];
  EXPECT_EQ(0, fake::Pixel(code30.left + 5, code30.top + 5)) << "a diagonal from the top left";
  PickerRow = PickerLastRow;
  fake::RepaintWholeWindow();
  const RECT &code65536 = PickerRects[PickerFirstCell + 6];
  EXPECT_EQ(0, fake::Pixel(code65536.left + 5, code65536.top + 5));
  const RECT &code65535 = PickerRects[PickerFirstCell + 5];
  EXPECT_EQ(255, fake::Pixel(code65535.left + 5, code65535.top + 5));
}
