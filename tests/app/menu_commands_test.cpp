// Menu commands on the program's window: the layout settings with their check
// marks and repaints, the Edit items' enabled state, About and Exit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/main_window.h"
#include "document/document_store.h"
#include "document/layout_settings.h"
#include "document/line_layout.h"
#include "document/page_geometry.h"
#include "resources/command_ids.h"
#include "support/program_fixture.h"

namespace {

void Command(int id) { fake::Send(WM_COMMAND, (WPARAM)id, 0); }

void Type(const std::u16string &text) {
  for (char16_t unit : text) fake::Send(WM_CHAR, unit, 0);
}

}  // namespace

using MenuCommandsTest = ProgramTest;

TEST_F(MenuCommandsTest, PointSizeChangeRelaysMovesTheCaretHomeAndRepaintsTheStrip) {
  StartProgram();
  Type(u"some words to lay out again");
  SelectionStart = 2, SelectionEnd = 6, SelectionActive = 1;
  fake::ClearCalls();
  Command(IDM_POINT_SIZE_BASE + 8);
  EXPECT_EQ(-8, PointSize);
  EXPECT_EQ(MF_UNCHECKED, fake::MenuItemCheck(IDM_POINT_SIZE_BASE + 32));
  EXPECT_EQ((UINT)MF_CHECKED, fake::MenuItemCheck(IDM_POINT_SIZE_BASE + 8));
  EXPECT_LT(LineHeight, 47);
  EXPECT_EQ(0, CaretIndex);
  EXPECT_EQ(1, SelectionActive) << "the selection survives";
  EXPECT_EQ(std::vector<std::string>{"InvalidateRect(hwnd1, {0, 144, 800, 700}, TRUE)"},
            fake::CallsTo({"InvalidateRect"}));

  fake::ClearCalls();
  Command(IDM_POINT_SIZE_BASE + 8);
  EXPECT_TRUE(fake::CallsTo({"InvalidateRect", "CheckMenuItem", "ScrollWindow"}).empty()) << "the checked item does nothing";
}

TEST_F(MenuCommandsTest, WordWrapChangeWithoutASnapshotKeepsTheOldSettingElseRepaintsOnlyTheCaret) {
  StartProgram();
  Type(u"short");
  fake::Send(WM_CHAR, 13, 0);  // ignored: lines of typed text only
  fake::FailCalls(fake::Fault::kHeap, 1, 1);
  Command(IDM_WORD_WRAP_NO);  // without its snapshot the old setting stays
  ASSERT_EQ(1u, fake::MessageBoxes().size());
  EXPECT_EQ("Can not allocate memory", fake::MessageBoxes()[0].text);
  EXPECT_EQ("Can Not Adjust Word Wrap", fake::MessageBoxes()[0].caption);
  EXPECT_EQ(IDM_WORD_WRAP_YES, WordWrapChoice);
  EXPECT_EQ(0u, fake::MenuItemCheck(IDM_WORD_WRAP_NO));
  fake::ClearCalls();
  Command(IDM_WORD_WRAP_NO);
  EXPECT_EQ(IDM_WORD_WRAP_NO, WordWrapChoice);
  EXPECT_EQ((UINT)MF_CHECKED, fake::MenuItemCheck(IDM_WORD_WRAP_NO));
  EXPECT_EQ(MF_UNCHECKED, fake::MenuItemCheck(IDM_WORD_WRAP_YES));
  EXPECT_EQ(0, CaretIndex);
  EXPECT_EQ(2u, fake::CallsTo({"InvalidateRect"}).size()) << "the old caret and the new one";
  EXPECT_EQ("", StaleScreen());
}

TEST_F(MenuCommandsTest, WordWrapChangeScrolledDownReturnsToTheTopAndLeavesNothingStale) {
  StartProgram();
  for (int i = 0; i < 30; i++) Type(u"wrapped words fill these lines ");
  fake::Send(WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 12), 0);
  Command(IDM_WORD_WRAP_NO);
  EXPECT_EQ(0, ScrollLine);
  EXPECT_EQ("", StaleScreen());
}

TEST_F(MenuCommandsTest, EditItemsAreEnabledByWhatTheyCanActOn) {
  StartProgram();
  fake::Send(WM_INITMENUPOPUP, 0, 0);
  for (UINT id : {IDM_EDIT_CUT, IDM_EDIT_COPY, IDM_EDIT_DELETE, IDM_EDIT_PASTE, IDM_EDIT_SELECT_ALL}) {
    EXPECT_EQ((UINT)MF_GRAYED, fake::MenuItemEnable(id)) << id;
  }
  Type(u"ab");
  SelectionStart = 0, SelectionEnd = 1, SelectionActive = 1;
  fake::PutClipboardUnits(u"x");
  fake::Send(WM_INITMENUPOPUP, 0, 0);
  for (UINT id : {IDM_EDIT_CUT, IDM_EDIT_COPY, IDM_EDIT_DELETE, IDM_EDIT_PASTE, IDM_EDIT_SELECT_ALL}) {
    EXPECT_EQ((UINT)MF_ENABLED, fake::MenuItemEnable(id)) << id;
  }
  Command(IDM_EDIT_DELETE);
  EXPECT_EQ(2, DocumentLength);
}

TEST_F(MenuCommandsTest, AboutShowsTwoLinesAndExitGoesThroughTheCloseQuestion) {
  StartProgram();
  Command(IDM_ABOUT);
  ASSERT_EQ(1u, fake::MessageBoxes().size());
  EXPECT_EQ("Scrivlet\nText Editor Computer Program", fake::MessageBoxes()[0].text);
  EXPECT_EQ("Scrivlet", fake::MessageBoxes()[0].caption);
  EXPECT_EQ(0x40u, fake::MessageBoxes()[0].style);
  Type(u"x");
  fake::AnswerNextMessageBox(IDCANCEL);
  Command(IDM_FILE_EXIT);
  EXPECT_EQ("Save Current File?", fake::MessageBoxes().at(1).caption);
  EXPECT_FALSE(fake::WindowDestroyed());
  fake::Send(WM_COMMAND, 40999, 0);
  EXPECT_EQ("DefWindowProcW(hwnd1, 0x111, 40999, 0)", fake::CallsTo({"DefWindowProcW"}).back()) << "an unknown id";
}
