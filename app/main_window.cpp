// The program's one top-level window.
#include "app/main_window.h"

HWND MainWindow;

void ReportFailure(LPCSTR text, LPCSTR caption) { MessageBoxA(MainWindow, text, caption, MB_OK | MB_ICONEXCLAMATION); }
