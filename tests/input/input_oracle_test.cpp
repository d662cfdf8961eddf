// The screen and selection oracles over random input: after every key-down,
// key-up, typed character, press (with or without Shift), Select All, Cut,
// Copy, Paste, setting change or scroll, the screen the incremental repaints
// left equals a full repaint, the layout and state invariants hold, and the
// keys keep the caret where the keys may put it.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <tuple>

#include "app/program_window.h"
#include "document/document_store.h"
#include "document/layout_settings.h"
#include "document/line_layout.h"
#include "document/page_geometry.h"
#include "resources/command_ids.h"
#include "support/document_fixture.h"
#include "support/invariants.h"
#include "support/view_window.h"
#include "view/character_picker.h"

namespace {

int Random(std::mt19937 &random, int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

std::u16string RandomText(std::mt19937 &random, int units) {
  static const std::u16string pieces[] = {u"the ", u"page ", u"jumpy ", u"fig ", u"wide\u4E2D ", u"\r\n", u"\r\n\r\n",
                                          u"\r", u"\n", u"a", u"longwordwithoutanyspaceatall", u"  "};
  std::u16string text;
  while ((int)text.size() < units) text += pieces[Random(random, 0, (int)std::size(pieces) - 1)];
  return text;
}

const int Keys[] = {VK_LEFT, VK_RIGHT, VK_UP,     VK_DOWN,   VK_HOME,  VK_END,   VK_PRIOR, VK_NEXT,
                    VK_LEFT, VK_RIGHT, VK_UP,     VK_DOWN,   VK_ESCAPE, VK_RETURN, VK_TAB, VK_BACK,
                    VK_DELETE, VK_SPACE, VK_INSERT};
const int MovementKeys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_PRIOR, VK_NEXT};

bool IsMovementKey(int key) { return std::find(std::begin(MovementKeys), std::end(MovementKeys), key) != std::end(MovementKeys); }

bool CaretAtASelectionEnd() { return !SelectionActive || CaretIndex == SelectionStart || CaretIndex == SelectionEnd; }

class InputOracleTest : public DocumentTest, public testing::WithParamInterface<std::tuple<int, int, int>> {
 protected:
  std::mt19937 random{1};
  std::ostringstream history;

  // A press anywhere in the client area (the picker, the page's margins and
  // the area below the pages included), then its release.
  void PressSomewhere() {
    int x = Random(random, 0, ClientWidth - 1);
    int y = Random(random, 0, ClientHeight - 1);
    bool shift = Random(random, 0, 2) == 0;
    history << (shift ? "shift+" : "") << "press " << x << "," << y << "; ";
    fake::HoldKey(VK_SHIFT, shift);
    ViewWindowProc(MainWindow, WM_LBUTTONDOWN, 0, MAKELPARAM(x, y));
    fake::HoldKey(VK_SHIFT, false);
    ViewWindowProc(MainWindow, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }

  void EditCommand() {
    static const int commands[] = {IDM_EDIT_SELECT_ALL, IDM_EDIT_CUT, IDM_EDIT_COPY, IDM_EDIT_PASTE, IDM_EDIT_PASTE};
    int command = commands[Random(random, 0, (int)std::size(commands) - 1)];
    if (command == IDM_EDIT_PASTE && Random(random, 0, 1)) {
      std::u16string units = RandomText(random, Random(random, 0, 40)).substr(0, 40);
      if (Random(random, 0, 3) == 0) units.insert(units.begin() + Random(random, 0, (int)units.size()), u'\0');
      if (Random(random, 0, 3) == 0) units.push_back(u'\t');
      fake::PutClipboardUnits(units);
      history << "clipboard of " << units.size() << " units; ";
    }
    history << "command " << command << "; ";
    ViewWindowProc(MainWindow, WM_COMMAND, (WPARAM)command, 0);
  }

  // One random step; returns the key pressed, or 0 for other steps.
  int Operate() {
    int choice = Random(random, 0, 119);
    if (choice >= 108) {
      EditCommand();
      return 0;
    }
    if (choice >= 100) {
      PressSomewhere();
      return 0;
    }
    if (choice < 80) {
      int key = Keys[Random(random, 0, (int)std::size(Keys) - 1)];
      int modifiers = (Random(random, 0, 2) == 0 ? Shift : 0) | (Random(random, 0, 4) == 0 ? Ctrl : 0);
      history << "key " << key << "/" << modifiers << "; ";
      KeyDown(key, modifiers);
      if (Random(random, 0, 3) != 0) KeyUp(key);  // else held: the next key-down repeats
      return key;
    }
    if (choice < 86) {
      history << "shift+tab; ";
      PressKey(VK_TAB, Shift);
    } else if (choice < 92) {
      WCHAR unit = u"xy \u4E2D"[Random(random, 0, 3)];
      history << "char " << (int)unit << "; ";
      ViewWindowProc(MainWindow, WM_CHAR, unit, 0);
    } else if (choice < 95) {
      static const int sizes[] = {8, 20, 32, 72};
      int command = Random(random, 0, 1) ? IDM_POINT_SIZE_BASE + sizes[Random(random, 0, 3)]
                                         : Random(random, 0, 1) ? IDM_WORD_WRAP_YES : IDM_WORD_WRAP_NO;
      history << "command " << command << "; ";
      ViewWindowProc(MainWindow, WM_COMMAND, (WPARAM)command, 0);
    } else if (choice < 98) {
      int position = Random(random, 0, ScrollMax);
      history << "scroll to " << position << "; ";
      SendScrollRequest(SB_THUMBTRACK, position);
    } else {
      int a = Random(random, 0, DocumentLength - 1);
      int b = Random(random, 0, DocumentLength - 1);
      SelectionStart = std::min(a, b);
      SelectionEnd = std::max(a, b);
      SelectionActive = SelectionStart < SelectionEnd;
      CaretIndex = Random(random, 0, 1) ? SelectionStart : SelectionEnd;
      history << "select " << SelectionStart << ".." << SelectionEnd << " caret " << CaretIndex << "; ";
      fake::RepaintWholeWindow();
    }
    return 0;
  }
};

}  // namespace

TEST_P(InputOracleTest, EveryInputLeavesATrueScreenAndTheInvariants) {
  auto [points, wrap, height] = GetParam();
  PointSize = -points;
  WordWrapChoice = wrap;
  OpenDocumentWindow(900, height);
  fake::SetRecording(false);
  random.seed((unsigned)(points * 31 + wrap + height));
  ShowText(RandomText(random, 1200));

  for (int step = 0; step < 500; step++) {
    bool caretWasAtAnEnd = CaretAtASelectionEnd();
    int caretBefore = CaretIndex;
    bool textMode = !PickerKeyboardMode;
    int key = Operate();
    ASSERT_EQ("", LayoutInvariantViolation()) << history.str();
    ASSERT_EQ("", StateInvariantViolation()) << history.str();
    if (key != 0 && textMode && caretWasAtAnEnd) {
      ASSERT_TRUE(CaretAtASelectionEnd()) << "the caret left the selection's ends: " << history.str();
    }
    if (textMode && IsMovementKey(key) && CaretIndex != caretBefore) {
      ASSERT_FALSE(CaretIndex > 0 && LineBreakAt(CaretIndex - 1)) << "caret between CR and LF: " << history.str();
    }
    ASSERT_TRUE(PickerFocus == PickerUp || PickerFocus == PickerDown || PickerFocus >= PickerFirstCell);
    fake::Screen incremental = fake::CaptureScreen();
    fake::RepaintWholeWindow();
    ASSERT_EQ("", fake::DescribeScreenDifference(fake::CaptureScreen(), incremental))
        << "stale pixels after step " << step << ": " << history.str();
  }
}

INSTANTIATE_TEST_SUITE_P(SizesWrapAndHeights, InputOracleTest,
                         testing::Combine(testing::Values(8, 32, 72),
                                          testing::Values(IDM_WORD_WRAP_YES, IDM_WORD_WRAP_NO),
                                          testing::Values(285, 700)));
