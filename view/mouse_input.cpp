// Left-button presses: in the picker they go to the picker.
#include "view/mouse_input.h"

#include "view/character_picker.h"

void HandleLeftButtonDown(LPARAM position) {
  int x = LOWORD(position);
  int y = HIWORD(position);
  if (PickerFrame.left <= x && x < PickerFrame.right && PickerFrame.top <= y && y < PickerFrame.bottom) {
    ClickPicker(x, y);
  }
}
