// A window holding the document core as window creation and the first
// WM_SIZE leave it, for tests of the document model and layout, and the
// ways those tests set up, read and check the document.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/program_window.h"
#include "document/document_store.h"
#include "document/line_layout.h"
#include "document/page_geometry.h"
#include "support/call_log_check.h"
#include "win32/fake_win32.h"

enum Modifier { Shift = 1, Ctrl = 2 };

// The cell of a letter in the 32-point document font at 96 dpi, on the double's default glyphs.
const int Cell = 29;

class DocumentTest : public testing::Test {
 protected:
  // PointSize and WordWrapChoice as the test set them before.
  void OpenDocumentWindow(int clientWidth = 800, int clientHeight = 700, int dpi = 96);
  // Replaces the text (terminator added) and runs layout, as a completed
  // edit would; the caret and the selection go to 0.
  void SetText(const std::u16string &text);
  // SetText, then a full repaint: the screen shows the new state.
  void ShowText(const std::u16string &text);
  void SendScrollRequest(int request, int thumbPosition = 0);
  // WM_KEYDOWN with the modifiers held, then WM_KEYUP; KeyDown alone is a held key repeating.
  void PressKey(int key, int modifiers = 0);
  void KeyDown(int key, int modifiers = 0);
  void KeyUp(int key);
  void TearDown() override;  // nothing leaked
};

// A DocumentTest that also finds the layout and state invariants holding as the test leaves them.
class InvariantCheckedTest : public DocumentTest {
 protected:
  void TearDown() override;
};

// An active selection [start, end) with the caret at one of its ends, shown by a full repaint.
void ShowSelection(int start, int end, int caret);
// "START..END caret C", "off" in front when no selection is active.
std::string SelectionState();
// The text of display line L, visible units only.
std::u16string VisibleText(int line);
// The document's text without its terminator.
std::u16string CurrentText();
std::u16string Repeated(const std::u16string &piece, int times);

typedef std::vector<std::pair<int, int>> Lines;
// Each display line's first and last index.
Lines LaidOutLines();

// The InvalidateRect of a row of line 0: the caret strip at a cell, or cells [from, to).
std::string CaretStripRepaint(int cell);
std::string CellsRepaint(int from, int to);

// A screen DC holding the document font at dpi, put back when it goes.
struct DocumentFontDc {
  HDC dc;
  HFONT previous;
  explicit DocumentFontDc(int dpi = 96);
  ~DocumentFontDc();
  int Width(const std::u16string &units);
};
