// The window the document core runs in for tests and benchmarks, until the
// program's own main window exists: as window creation and the first
// WM_SIZE leave it, with paints drawing the page view.
#pragma once

#include <windows.h>

LRESULT CALLBACK ViewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Opens the window at this client size and resolution with the empty document.
void OpenViewWindow(int clientWidth, int clientHeight, int dpi);
