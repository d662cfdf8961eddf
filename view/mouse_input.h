// Left-button presses and Select All: the caret and the selection set by
// pointing; presses in the picker go to the picker.
#pragma once

#include <windows.h>

// position: the WM_LBUTTONDOWN lParam, client x and y as unsigned 16-bit numbers.
void HandleLeftButtonDown(LPARAM position);
// Selects every unit but the terminator and puts the caret at the end.
void SelectAll();
