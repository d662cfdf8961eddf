// The window the document core runs in for tests and benchmarks, until the
// program's own main window exists: as window creation and the first
// WM_SIZE leave it, with paints drawing the page view.
#include "support/view_window.h"

#include <string>

#include "app/main_window.h"
#include "document/document_store.h"
#include "document/page_geometry.h"
#include "view/page_painter.h"
#include "win32/fake_win32.h"

LRESULT CALLBACK ViewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE: HandleSize(lParam); UpdatePageFrame(); return 0;
    case WM_VSCROLL: HandleVerticalScroll(wParam); return 0;
    case WM_PAINT: {
      fake::Note("WM_PAINT selection " + std::to_string(SelectionActive) + " caret " + std::to_string(CaretIndex));
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      PaintPageLines(dc);
      PaintTextLines(dc);
      PaintCaret(dc);
      PaintSelection(dc);
      EndPaint(window, &paint);
      return 0;
    }
  }
  return 0;
}

void OpenViewWindow(int clientWidth, int clientHeight, int dpi) {
  fake::SetScreenDpi(dpi);
  MainWindow = fake::OpenWindow(ViewWindowProc, clientWidth, clientHeight);
  InitPageMetrics();
  StartEmptyDocument();
  fake::ResizeWindow(clientWidth, clientHeight);
  UpdateWindow(MainWindow);
}
