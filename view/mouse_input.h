// Left-button presses: in the picker they go to the picker.
#pragma once

#include <windows.h>

// position: the WM_LBUTTONDOWN lParam, client x and y as unsigned 16-bit numbers.
void HandleLeftButtonDown(LPARAM position);
