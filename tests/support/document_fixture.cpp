// A window holding the document core as window creation and the first
// WM_SIZE leave it, for tests of the document model and layout, and the
// ways those tests set up, read and check the document.
#include "support/document_fixture.h"

#include <string.h>

#include "app/program_window.h"
#include "document/document_store.h"
#include "document/line_layout.h"
#include "document/page_geometry.h"
#include "document/text_measure.h"
#include "support/call_log_check.h"
#include "support/invariants.h"
#include "support/program_fixture.h"
#include "support/view_window.h"

void DocumentTest::OpenDocumentWindow(int clientWidth, int clientHeight, int dpi) {
  OpenViewWindow(clientWidth, clientHeight, dpi);
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
  ViewWindowProc(MainWindow, WM_VSCROLL, MAKEWPARAM(request, thumbPosition), 0);
}

void DocumentTest::KeyDown(int key, int modifiers) {
  fake::HoldKey(VK_SHIFT, (modifiers & Shift) != 0);
  fake::HoldKey(VK_CONTROL, (modifiers & Ctrl) != 0);
  ViewWindowProc(MainWindow, WM_KEYDOWN, (WPARAM)key, 1);
}

void DocumentTest::KeyUp(int key) {
  ViewWindowProc(MainWindow, WM_KEYUP, (WPARAM)key, (LPARAM)0xC0000001u);
  fake::HoldKey(VK_SHIFT, false);
  fake::HoldKey(VK_CONTROL, false);
}

void DocumentTest::PressKey(int key, int modifiers) {
  KeyDown(key, modifiers);
  KeyUp(key);
}

void DocumentTest::TearDown() { ExpectNoLeaks(); }

void InvariantCheckedTest::TearDown() {
  if (MainWindow) EXPECT_EQ("", LayoutInvariantViolation() + StateInvariantViolation()) << "as the test left it";
  DocumentTest::TearDown();
}

void ShowSelection(int start, int end, int caret) {
  SelectionStart = start, SelectionEnd = end, SelectionActive = 1, CaretIndex = caret;
  fake::RepaintWholeWindow();
}

std::string SelectionState() {
  return std::string(SelectionActive ? "" : "off ") + std::to_string(SelectionStart) + ".." +
         std::to_string(SelectionEnd) + " caret " + std::to_string(CaretIndex);
}

std::u16string VisibleText(int line) {
  int start = LineTable[line].Start;
  return std::u16string((const char16_t *)DocumentText + start, (size_t)(VisibleEnd(line) - start + 1));
}

std::u16string CurrentText() { return std::u16string((const char16_t *)DocumentText, (size_t)DocumentLength - 1); }

std::u16string Repeated(const std::u16string &piece, int times) {
  std::u16string text;
  for (int i = 0; i < times; i++) text += piece;
  return text;
}

Lines LaidOutLines() {
  Lines lines;
  for (int line = 0; line < LineCount; line++) lines.push_back({LineTable[line].Start, LineTable[line].End});
  return lines;
}

std::string CaretStripRepaint(int cell) {
  return Invalidated(PageLeft + cell * Cell, TextTop, PageLeft + cell * Cell + 1, TextTop + LineHeight);
}

std::string CellsRepaint(int from, int to) {
  return Invalidated(PageLeft + from * Cell, TextTop, PageLeft + to * Cell, TextTop + LineHeight);
}

DocumentFontDc::DocumentFontDc(int dpi) : dc(GetDC(MainWindow)), previous(SelectDocumentFont(dc, dpi)) {}

DocumentFontDc::~DocumentFontDc() {
  RestoreFont(dc, previous);
  ReleaseDC(MainWindow, dc);
}

int DocumentFontDc::Width(const std::u16string &units) {
  SIZE size;
  MeasureRun(dc, units.data(), (int)units.size(), &size);
  return size.cx;
}
