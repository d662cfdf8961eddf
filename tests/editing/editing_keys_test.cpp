// Return, Tab, Backspace and Delete: what they insert and remove and what they
// leave alone; theirs and typing's capacity and allocation messages.
#include <gtest/gtest.h>

#include <string>

#include "document/document_store.h"
#include "document/line_layout.h"
#include "editing/delete_selection.h"
#include "editing/typed_characters.h"
#include "support/document_fixture.h"

namespace {

// "caption: text; " of each message box from the first'th on.
std::string Boxes(size_t first = 0) {
  std::string shown;
  for (size_t i = first; i < fake::MessageBoxes().size(); i++) {
    shown += fake::MessageBoxes()[i].caption + ": " + fake::MessageBoxes()[i].text + "; ";
  }
  return shown;
}

void Select(int start, int end) { ShowSelection(start, end, end); }

bool ZerosBehindTheTerminator() {
  for (int i = DocumentLength - 1; i < DocumentCapacity; i++) {
    if (DocumentText[i] != 0) return false;
  }
  return true;
}

}  // namespace

using EditingKeysTest = DocumentTest;

TEST_F(EditingKeysTest, ReturnAndTabInsertALineEndAndFourSpaces) {
  OpenDocumentWindow();
  PressKey(VK_RETURN);
  EXPECT_EQ(u"\r\n", CurrentText());
  EXPECT_EQ(3, DocumentLength);
  EXPECT_EQ(2, CaretIndex);
  EXPECT_EQ(2, LineCount);
  PressKey(VK_TAB);
  EXPECT_EQ(u"\r\n    ", CurrentText());
  EXPECT_EQ(6, CaretIndex);
  PressKey(VK_RETURN, Shift | Ctrl);
  EXPECT_EQ(u"\r\n    \r\n", CurrentText()) << "modifiers change nothing";
  // Over a selection the key's text replaces it.
  SetText(u"abcdef");
  Select(1, 5);
  PressKey(VK_TAB);
  EXPECT_EQ(u"a    f", CurrentText());
  EXPECT_EQ(5, CaretIndex);
  EXPECT_EQ(0, SelectionActive);
  EXPECT_TRUE(ZerosBehindTheTerminator());
}

TEST_F(EditingKeysTest, BackspaceAndDeleteTakeALineEndWholeAndALoneLfAlone) {
  OpenDocumentWindow();
  ShowText(u"ab\r\ncd\nef");
  CaretIndex = 4;  // behind CR LF
  PressKey(VK_BACK);
  EXPECT_EQ(u"abcd\nef", CurrentText());
  EXPECT_EQ(2, CaretIndex);
  CaretIndex = 5;  // behind the lone LF
  PressKey(VK_BACK);
  EXPECT_EQ(u"abcdef", CurrentText());

  SetText(u"ab\r\ncd");
  CaretIndex = 2;  // in front of CR LF
  PressKey(VK_DELETE);
  EXPECT_EQ(u"abcd", CurrentText());
  EXPECT_EQ(2, CaretIndex) << "Delete leaves the caret where it was";
  EXPECT_EQ(1, LineCount);

  // With a selection both keys remove exactly the selection.
  Select(1, 3);
  PressKey(VK_DELETE);
  EXPECT_EQ(u"ad", CurrentText());
  Select(0, 1);
  PressKey(VK_BACK);
  EXPECT_EQ(u"d", CurrentText());
  EXPECT_EQ(0, CaretIndex);
  EXPECT_TRUE(ZerosBehindTheTerminator());

  // At the document's edges they do nothing and show nothing.
  fake::ClearCalls();
  PressKey(VK_BACK);
  CaretIndex = 1;
  PressKey(VK_DELETE);
  EXPECT_EQ(u"d", CurrentText());
  EXPECT_TRUE(fake::CallsTo({"InvalidateRect", "MessageBoxA"}).empty());
}

// Over a selection the limit counts the units an edit replaces; a refused
// edit is announced and repaints nothing.
TEST_F(EditingKeysTest, TypingReturnAndTabThatWouldOverfillTheDocumentAreRefused) {
  OpenDocumentWindow();
  const struct {
    int units, key, selected;  // key 0 types a 'b'
    const char *refusal;       // "" when it fits
  } rows[] = {
      {DocumentCapacity - 1, 0, 0, "Can Not Add Character"},       // full
      {DocumentCapacity - 2, VK_RETURN, 0, "Can Not Add Characters"},  // room for one unit
      {DocumentCapacity - 4, VK_TAB, 0, "Can Not Add Characters"},     // room for three, not four
      {DocumentCapacity - 1, 0, 1, ""},
      {DocumentCapacity - 1, VK_RETURN, 2, ""},  // 32768 - 2 + 2 fits
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.key);
    ShowText(std::u16string((size_t)row.units, u'a'));
    if (row.selected) Select(10, 10 + row.selected);
    fake::Screen before = fake::CaptureScreen();
    size_t boxes = fake::MessageBoxes().size();
    fake::ClearCalls();
    if (row.key) PressKey(row.key);
    else TypeCharacter(u'b');
    if (!*row.refusal) {
      EXPECT_EQ(boxes, fake::MessageBoxes().size());
      EXPECT_EQ(row.key ? u'\r' : u'b', DocumentText[10]);
      EXPECT_EQ(DocumentCapacity, DocumentLength);
      continue;
    }
    EXPECT_EQ(std::string(row.refusal) + ": Input exceeds memory limit; ", Boxes(boxes));
    EXPECT_EQ(0x30u, fake::MessageBoxes().back().style);
    EXPECT_EQ(row.units + 1, DocumentLength);
    EXPECT_EQ(0, CaretIndex);
    EXPECT_TRUE(fake::CallsTo({"InvalidateRect", "ScrollWindow"}).empty());
    EXPECT_EQ("", fake::DescribeScreenDifference(before, fake::CaptureScreen()));
  }
}

TEST_F(EditingKeysTest, AFailedSnapshotStopsEveryEditBeforeAnyChange) {
  OpenDocumentWindow();
  ShowText(u"abc\r\ndef");
  Select(1, 6);
  fake::Screen before = fake::CaptureScreen();
  fake::FailCalls(fake::Fault::kHeap, 1, 6);
  TypeCharacter(u'x');
  DeleteSelection();
  for (int key : {VK_RETURN, VK_TAB, VK_BACK, VK_DELETE}) PressKey(key);
  EXPECT_EQ(
      "Can Not Add Character: Can not allocate memory; Can Not Delete: Can not allocate memory; "
      "Can Not Add Characters: Can not allocate memory; Can Not Add Characters: Can not allocate memory; "
      "Can Not Delete: Can not allocate memory; Can Not Delete: Can not allocate memory; ",
      Boxes());
  EXPECT_EQ(u"abc\r\ndef", CurrentText());
  EXPECT_EQ(u"abc", VisibleText(0));
  EXPECT_EQ("1..6 caret 6", SelectionState());
  EXPECT_EQ("", fake::DescribeScreenDifference(before, fake::CaptureScreen()));
}
