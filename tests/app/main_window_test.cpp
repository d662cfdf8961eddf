// The main window: start-up state, typed characters, the question before a
// changed document is closed, and shutdown.
#include <gtest/gtest.h>

#include "app/program_window.h"
#include "document/document_store.h"
#include "document/line_layout.h"
#include "document/page_geometry.h"
#include "input/caret_keys.h"
#include "support/program_fixture.h"
#include "view/character_picker.h"

using MainWindowTest = ProgramTest;

TEST_F(MainWindowTest, StartsWithTheEmptyDocumentPaintedAndTheCaretAtTheTop) {
  StartProgram(800, 1000);
  EXPECT_EQ(1, DocumentLength);
  EXPECT_FALSE(DocumentChangedSinceSave());
  EXPECT_EQ(144, TextTop);
  EXPECT_EQ(0, fake::Pixel(PageLeft, TextTop)) << "the caret";
  EXPECT_EQ(0, fake::Pixel(PageLeft + 5, TextTop - 1)) << "the top border";
  EXPECT_EQ(0, fake::Pixel(PageLeft + 5, TextTop - 2)) << "the text focus mark";
  EXPECT_EQ(0, fake::Pixel(PageLeft + 5, TextTop + PageHeight)) << "the end of the page";
  EXPECT_TRUE(fake::UpdateRegionEmpty());
  // The key-up of a key released while another window has the focus goes there.
  KeyRepeatCount = 10;
  fake::Send(WM_KILLFOCUS, 0, 0);
  EXPECT_EQ(0, KeyRepeatCount) << "losing the focus ends the key repeat";
}

TEST_F(MainWindowTest, TypedCharactersArriveAsUtf16Units) {
  StartProgram();
  for (WPARAM unit : {0x41u, 0xE9u, 0x20ACu, 0x416u, 0xD83Du, 0xDE00u}) fake::Send(WM_CHAR, unit, 0);
  fake::Send(WM_CHAR, 13, 0);
  ASSERT_EQ(7, DocumentLength);
  EXPECT_EQ((std::u16string{u'A', u'\u00E9', u'\u20AC', u'\u0416', 0xD83D, 0xDE00}),
            std::u16string((const char16_t *)DocumentText, 6));
}

// A character beyond the BMP arrives as two WM_CHAR units: it goes in whole,
// or not at all with one message. The DEL that Ctrl+Backspace sends after its
// key-down is no text.
TEST_F(MainWindowTest, KeyboardCharactersGoInWholeOrNotAtAll) {
  StartProgram();
  const struct {
    int room;              // units the document can still take
    int failedAllocations;
    bool oneUnitSelected;
    bool inserted;
    const char *why;
  } rows[] = {
      {2, 0, false, true, "room for both halves"},
      {1, 0, false, false, "room for the high half alone"},
      {2, 1, false, false, "the high half's snapshot cannot be allocated"},
      {1, 0, true, true, "the selected unit makes room for both"},
  };
  for (const auto &row : rows) {
    DocumentLength = DocumentCapacity - row.room;
    for (int i = 0; i < DocumentLength - 1; i++) DocumentText[i] = u'a';
    DocumentText[DocumentLength - 1] = 0;
    ReflowDocument();
    CaretIndex = SelectionStart = 0;
    SelectionEnd = row.oneUnitSelected ? 1 : 0;
    SelectionActive = row.oneUnitSelected;
    size_t boxes = fake::MessageBoxes().size();
    fake::FailCalls(fake::Fault::kHeap, 1, row.failedAllocations);
    for (WPARAM unit : {0xD83Du, 0xDE00u, 127u}) fake::Send(WM_CHAR, unit, 0);
    std::u16string start((const char16_t *)DocumentText, 2);
    if (row.inserted) {
      EXPECT_EQ((std::u16string{0xD83D, 0xDE00}), start) << row.why;
      EXPECT_EQ(boxes, fake::MessageBoxes().size()) << row.why;
    } else {
      EXPECT_EQ(u"aa", start) << row.why;
      EXPECT_EQ(DocumentCapacity - row.room, DocumentLength) << row.why;
      EXPECT_EQ(boxes + 1, fake::MessageBoxes().size()) << row.why;
      EXPECT_EQ("Can Not Add Character", fake::MessageBoxes().back().caption) << row.why;
    }
  }
}

TEST_F(MainWindowTest, ClosingAChangedDocumentAsksAndCancelKeepsEverything) {
  StartProgram();
  fake::Send(WM_CHAR, 'x', 0);
  fake::AnswerNextMessageBox(IDCANCEL);
  fake::Send(WM_CLOSE, 0, 0);
  ASSERT_EQ(1u, fake::MessageBoxes().size());
  EXPECT_EQ("The current file has changed since the last save.\nDo you wish to save the current file?",
            fake::MessageBoxes()[0].text);
  EXPECT_EQ("Save Current File?", fake::MessageBoxes()[0].caption);
  EXPECT_EQ(0x23u, fake::MessageBoxes()[0].style);
  EXPECT_EQ(MainWindow, fake::MessageBoxes()[0].owner);
  EXPECT_FALSE(fake::WindowDestroyed());
  EXPECT_EQ(2, DocumentLength);

  fake::AnswerNextMessageBox(IDNO);
  fake::Send(WM_CLOSE, 0, 0);
  EXPECT_TRUE(fake::WindowDestroyed());
  EXPECT_EQ(0, fake::QuitCode());
}

TEST_F(MainWindowTest, ClosingAnUnchangedDocumentWhileAPickerButtonIsHeldAsksNothingAndLeavesNoTimer) {
  StartProgram();
  POINT down = PickerButtonCentre(PickerDown);
  PressAt(down.x, down.y);
  ASSERT_EQ(1, PickerButtonHeld);
  fake::Send(WM_CLOSE, 0, 0);
  EXPECT_TRUE(fake::MessageBoxes().empty());
  EXPECT_TRUE(fake::WindowDestroyed());
  EXPECT_EQ(0u, fake::TimerPeriod(PickerRepeatTimer));
  EXPECT_EQ(nullptr, fake::Capture());
  EXPECT_EQ(0, fake::QuitCode());
}
