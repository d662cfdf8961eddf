// The program's window procedure behind a thin wrapper that notes, for the
// call log, the state each WM_PAINT sees ("selection 0" when none is active,
// else "selection START..END"); opened at a size and resolution a
// test chooses.
#pragma once

#include <windows.h>

LRESULT CALLBACK ViewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Opens the window at this client size and resolution with the empty document.
void OpenViewWindow(int clientWidth, int clientHeight, int dpi);
