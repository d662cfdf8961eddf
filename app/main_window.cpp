// The program's one top-level window.
#include "app/main_window.h"

HWND MainWindow;
