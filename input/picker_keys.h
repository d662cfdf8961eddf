// The picker's keyboard mode: keys move the focus frame, step the row and
// press the framed button.
#pragma once

// Shift+Tab in text mode: the picker takes the keyboard with Up framed.
void EnterPickerKeyboardMode();
// One key-down while the picker has the keyboard.
void HandlePickerKey(int key);
