// The picker's keyboard mode: keys move the focus frame, step the row and
// press the framed button.
#include "input/picker_keys.h"

#include <windows.h>

#include "editing/typed_characters.h"
#include "input/caret_keys.h"
#include "view/character_picker.h"

const int PickerLastCell = PickerFirstCell + 9;

void EnterPickerKeyboardMode() { MovePickerFocus(PickerUp); }

static void LeavePickerKeyboardMode() {
  PickerKeyboardMode = 0;
  RepaintTextFocusMark();
  RepaintFocusFrame(PickerFocus);
}

static bool FocusOnCell() { return PickerFocus >= PickerFirstCell; }

static void PressFramedButton() {
  if (PickerFocus == PickerUp) StepPickerRow(-1, &KeyRepeatCount);
  else if (PickerFocus == PickerDown) StepPickerRow(1, &KeyRepeatCount);
  else TypeCharacter(PickerRow * 10 + (PickerFocus - PickerFirstCell));
}

// Sets the row and frames focus, repainting each only if it changed.
static void JumpTo(int row, int focus) {
  if (row < PickerFirstRow) row = PickerFirstRow;
  if (row > PickerLastRow) row = PickerLastRow;
  if (row != PickerRow) {
    PickerRow = row;
    RepaintPickerRow();
  }
  MovePickerFocus(focus);
}

// Page Up and Page Down: ten rows at a time, a hundred once held ten presses
// long or with Ctrl.
static void PageRows(int direction) {
  int rows = 100;
  if (!KeyHeld(VK_CONTROL) && KeyRepeatCount < 10) {
    rows = 10;
    KeyRepeatCount++;
  }
  JumpTo(PickerRow + direction * rows, PickerFirstCell);
}

void HandlePickerKey(int key) {
  switch (key) {
    case VK_TAB:
      if (KeyHeld(VK_SHIFT)) LeavePickerKeyboardMode();
      else MovePickerFocus(FocusOnCell() ? PickerUp : PickerFirstCell);
      break;
    case VK_RETURN:
    case VK_SPACE: PressFramedButton(); break;
    case VK_LEFT: if (PickerFocus > PickerFirstCell) MovePickerFocus(PickerFocus - 1); break;
    case VK_RIGHT: if (FocusOnCell() && PickerFocus < PickerLastCell) MovePickerFocus(PickerFocus + 1); break;
    case VK_UP:
      if (PickerFocus == PickerDown) MovePickerFocus(PickerUp);
      else if (FocusOnCell()) StepPickerRow(-1, &KeyRepeatCount);
      break;
    case VK_DOWN:
      if (PickerFocus == PickerUp) MovePickerFocus(PickerDown);
      else if (FocusOnCell()) StepPickerRow(1, &KeyRepeatCount);
      break;
    case VK_HOME:
      if (KeyHeld(VK_CONTROL)) JumpTo(PickerFirstRow, PickerFirstCell);
      else MovePickerFocus(PickerFirstCell);
      break;
    case VK_END:
      if (KeyHeld(VK_CONTROL)) JumpTo(PickerLastRow, PickerLastCell);
      else MovePickerFocus(PickerLastCell);
      break;
    case VK_PRIOR: PageRows(-1); break;
    case VK_NEXT: PageRows(1); break;
  }
}
