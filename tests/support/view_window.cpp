// The program's window procedure behind a thin wrapper that notes, for the
// call log, the state each WM_PAINT sees; opened at a size and resolution a
// test chooses.
#include "support/view_window.h"

#include <string>

#include "app/main_window.h"
#include "document/document_store.h"
#include "win32/fake_win32.h"

LRESULT CALLBACK ViewWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    std::string selection = SelectionActive ? std::to_string(SelectionStart) + ".." + std::to_string(SelectionEnd) : "0";
    fake::Note("WM_PAINT selection " + selection + " caret " + std::to_string(CaretIndex));
  }
  return MainWindowProc(window, message, wParam, lParam);
}

void OpenViewWindow(int clientWidth, int clientHeight, int dpi) {
  fake::SetScreenDpi(dpi);
  fake::OpenWindow(ViewWindowProc, clientWidth, clientHeight);
  fake::Send(WM_CREATE, 0, 0);
  fake::ResizeWindow(clientWidth, clientHeight);
  UpdateWindow(MainWindow);
}
