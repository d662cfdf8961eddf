// A window holding the document core as window creation and the first
// WM_SIZE leave it, for tests of the document model and layout.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "win32/fake_win32.h"

enum Modifier { Shift = 1, Ctrl = 2 };

// The cell of a letter in the 32-point document font at 96 dpi, on the double's default glyphs.
const int Cell = 29;

class DocumentTest : public testing::Test {
 protected:
  // Opens the window at this client size and resolution and starts the empty
  // document; PointSize and WordWrapChoice as the test set them before.
  void OpenDocumentWindow(int clientWidth = 800, int clientHeight = 700, int dpi = 96);
  // Replaces the text (CR LF and all, terminator added) and runs layout,
  // as a completed edit would; the caret and the selection go to 0.
  void SetText(const std::u16string &text);
  // SetText, then a full repaint: the screen shows the new state.
  void ShowText(const std::u16string &text);
  // A scroll-bar request as WM_VSCROLL brings it.
  void SendScrollRequest(int request, int thumbPosition = 0);
  // WM_KEYDOWN of a virtual key with the modifiers held (Shift, Ctrl), then
  // WM_KEYUP; KeyDown alone is a held key repeating.
  void PressKey(int key, int modifiers = 0);
  void KeyDown(int key, int modifiers = 0);
  void KeyUp(int key);
  void TearDown() override;
};

// An active selection [start, end) with the caret at one of its ends, shown
// by a full repaint.
void ShowSelection(int start, int end, int caret);
// The text of display line L, visible units only.
std::u16string VisibleText(int line);
