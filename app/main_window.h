// The program's one top-level window.
#pragma once

#include <windows.h>

extern HWND MainWindow;  // owner of every message box and target of every repaint

// Reports a failed operation at once: caption names the operation, text the cause.
void ReportFailure(LPCSTR text, LPCSTR caption);
