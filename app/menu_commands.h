// Menu and accelerator commands, and which Edit items are enabled.
#pragma once

#include <windows.h>

// WM_COMMAND: runs the command of the low word of wParam; other ids get
// default processing.
LRESULT DispatchCommand(HWND window, WPARAM wParam, LPARAM lParam);
// WM_INITMENUPOPUP: enables Cut, Copy, Delete, Paste and Select All by what they can act on.
void UpdateMenuState();
