// The character picker in the program's window: layout, presses, the
// accelerating autorepeat and how it stops, and what the cells show.
#include "document/page_geometry.h"
#include "support/program_fixture.h"

namespace {

void Press(int button) {
  POINT centre = PickerButtonCentre(button);
  PressAt(centre.x, centre.y);
}

void Click(int button) {
  Press(button);
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

// Whether a button is held, the autorepeat timer's period (0: none) and whether the window has the capture.
std::string Hold() {
  return "held " + std::to_string(PickerButtonHeld) + " timer " + std::to_string(fake::TimerPeriod(PickerRepeatTimer)) +
         (fake::Capture() == MainWindow ? " captured" : "");
}

}  // namespace

using CharacterPickerTest = ProgramTest;

TEST_F(CharacterPickerTest, PanelIsSixInchesWideCentredBelowTheTopIn36PixelUnits) {
  StartProgram(800, 700);
  RECT frame = {(800 - 16 * 36) / 2, 36, (800 - 16 * 36) / 2 + 16 * 36, 108};
  EXPECT_EQ(Describe(frame), Describe(PickerFrame));
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
  EXPECT_EQ("held 1 timer 400 captured", Hold());
  EXPECT_EQ((std::vector<int>{4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 24, 34, 44, 54, 64, 74, 84, 94, 104, 114, 214, 314}),
            RowsWhileHeld(22));
  EXPECT_EQ(100u, fake::TimerPeriod(PickerRepeatTimer));
  POINT centre = PickerButtonCentre(PickerDown);
  ReleaseAt(centre.x, centre.y);
  EXPECT_EQ("held 0 timer 0", Hold());
  EXPECT_EQ(nullptr, fake::Capture());
}

TEST_F(CharacterPickerTest, AutorepeatStopsByItselfAtTheLastRow) {
  StartProgram();
  PickerRow = PickerLastRow - 250;
  Press(PickerDown);
  RowsWhileHeld(40);
  EXPECT_EQ(PickerLastRow, PickerRow);
  EXPECT_EQ("held 0 timer 0", Hold());
  Press(PickerDown);
  EXPECT_EQ(PickerLastRow, PickerRow) << "Down at the last row only takes the focus";
  EXPECT_EQ(0, PickerButtonHeld);
}

TEST_F(CharacterPickerTest, LeavingTheHeldButtonOrLosingTheCaptureStopsTheAutorepeat) {
  StartProgram();
  Press(PickerDown);
  POINT outside = PickerButtonCentre(PickerUp), back = PickerButtonCentre(PickerDown);
  fake::Send(WM_MOUSEMOVE, 0, MAKELPARAM(outside.x, outside.y));
  EXPECT_EQ(0, PickerButtonHeld);
  fake::Send(WM_MOUSEMOVE, 0, MAKELPARAM(back.x, back.y));
  EXPECT_EQ(0, PickerButtonHeld) << "coming back does not restart it";
  Press(PickerDown);
  fake::TakeCaptureAway();  // another window takes it: the button-up will never come
  EXPECT_EQ("held 0 timer 0", Hold());
  Press(PickerDown);
  fake::Send(WM_CANCELMODE, 0, 0);
  EXPECT_EQ("held 0 timer 0", Hold());
  EXPECT_EQ(nullptr, fake::Capture());
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
    Click(button);
    ASSERT_EQ("", StaleScreen()) << "after button " << button;
  }
}

TEST_F(CharacterPickerTest, AGlyphWiderThanItsCellIsClippedToIt) {
  fake::SetGlyph(u'\'', 0, 120, 0);  // code 39, the last cell of row 3
  StartProgram();
  const RECT &cell = PickerRects[PickerFirstCell + 9];
  for (int x = cell.right; x < cell.right + 40; x++) {
    for (int y = cell.top; y < cell.bottom; y++) ASSERT_EQ(255, fake::Pixel(x, y)) << x << "," << y;
  }
  Click(PickerDown);
  EXPECT_EQ("", StaleScreen());
}

TEST_F(CharacterPickerTest, CellsOutsideTheUnitRangeAreCrossedOut) {
  StartProgram();
  const RECT &code30 = PickerRects[PickerFirstCell];
  EXPECT_EQ(0, fake::Pixel(code30.left + 5, code30.top + 5)) << "a diagonal from the top left";
  PickerRow = PickerLastRow;
  fake::RepaintWholeWindow();
  const RECT &code65536 = PickerRects[PickerFirstCell + 6], &code65535 = PickerRects[PickerFirstCell + 5];
  EXPECT_EQ(0, fake::Pixel(code65536.left + 5, code65536.top + 5));
  EXPECT_EQ(255, fake::Pixel(code65535.left + 5, code65535.top + 5));
}
