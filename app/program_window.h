// The program's one window, which every part repaints and owns its message
// boxes by, and the report of a failed operation.
#pragma once

#include <windows.h>

extern HWND MainWindow;  // owner of every message box and target of every repaint

// Reports a failed operation at once: caption names the operation, text the cause.
void ReportFailure(LPCSTR text, LPCSTR caption);
