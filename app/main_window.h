// The program's entry and its one window: start-up, message routing, the
// question before a changed document is closed, and shutdown.
#pragma once

#include "app/program_window.h"

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Registers the class, creates MainWindow, shows and paints it; NULL when the
// class cannot be registered (the user has been told).
HWND CreateMainWindow(HINSTANCE instance, int showCommand);
