// A window holding the document core as window creation and the first
// WM_SIZE leave it, for tests of the document model and layout.
#include "support/document_fixture.h"

#include <string.h>

#include "app/main_window.h"
#include "document/document_store.h"
#include "document/line_layout.h"
#include "document/page_geometry.h"
#include "view/page_painter.h"

// Stands in for the main window procedure until the program's own exists:
// sizing and scrolling reach the core, and paints draw the page view.
static LRESULT CALLBACK DocumentWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
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

void DocumentTest::OpenDocumentWindow(int clientWidth, int clientHeight, int dpi) {
  fake::SetScreenDpi(dpi);
  MainWindow = fake::OpenWindow(DocumentWindowProc, clientWidth, clientHeight);
  InitPageMetrics();
  StartEmptyDocument();
  fake::ResizeWindow(clientWidth, clientHeight);
  UpdateWindow(MainWindow);
}

void DocumentTest::SetText(const std::u16string &text) {
  ASSERT_LT(text.size(), (size_t)DocumentCapacity);
  memset(DocumentText, 0, sizeof DocumentText);
  memcpy(DocumentText, text.data(), text.size() * sizeof(WCHAR));
  DocumentLength = (int)text.size() + 1;
  CaretIndex = SelectionStart = SelectionEnd = SelectionActive = 0;
  ReflowDocument();
}

void DocumentTest::ShowText(const std::u16string &text) {
  SetText(text);
  fake::RepaintWholeWindow();
}

void DocumentTest::SendScrollRequest(int request, int thumbPosition) {
  DocumentWindowProc(MainWindow, WM_VSCROLL, MAKEWPARAM(request, thumbPosition), 0);
}

void DocumentTest::TearDown() {
  for (const std::string &leak : fake::Leaks()) ADD_FAILURE() << "leak: " << leak;
}

std::u16string VisibleText(int line) {
  int start = LineTable[line].Start;
  return std::u16string((const char16_t *)DocumentText + start, (size_t)(VisibleEnd(line) - start + 1));
}
