// Return, Tab, Backspace and Delete: what they insert and remove, their
// capacity and allocation messages, and what they leave alone.
#include <gtest/gtest.h>

#include <string>

#include "document/document_store.h"
#include "document/line_layout.h"
#include "support/document_fixture.h"

namespace {

std::u16string Text() { return std::u16string((const char16_t *)DocumentText, (size_t)DocumentLength - 1); }

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
  EXPECT_EQ(u"\r\n", Text());
  EXPECT_EQ(3, DocumentLength);
  EXPECT_EQ(2, CaretIndex);
  EXPECT_EQ(2, LineCount);
  PressKey(VK_TAB);
  EXPECT_EQ(u"\r\n    ", Text());
  EXPECT_EQ(6, CaretIndex);
  PressKey(VK_RETURN, Shift | Ctrl);
  EXPECT_EQ(u"\r\n    \r\n", Text()) << "modifiers change nothing";
  // Over a selection the key's text replaces it.
  SetText(u"abcdef");
  Select(1, 5);
  PressKey(VK_TAB);
  EXPECT_EQ(u"a    f", Text());
  EXPECT_EQ(5, CaretIndex);
  EXPECT_EQ(0, SelectionActive);
  EXPECT_TRUE(ZerosBehindTheTerminator());
}

TEST_F(EditingKeysTest, BackspaceAndDeleteTakeALineEndWholeAndALoneLfAlone) {
  OpenDocumentWindow();
  ShowText(u"ab\r\ncd\nef");
  CaretIndex = 4;  // behind CR LF
  PressKey(VK_BACK);
  EXPECT_EQ(u"abcd\nef", Text());
  EXPECT_EQ(2, CaretIndex);
  CaretIndex = 5;  // behind the lone LF
  PressKey(VK_BACK);
  EXPECT_EQ(u"abcdef", Text());

  SetText(u"ab\r\ncd");
  CaretIndex = 2;  // in front of CR LF
  PressKey(VK_DELETE);
  EXPECT_EQ(u"abcd", Text());
  EXPECT_EQ(2, CaretIndex) << "Delete leaves the caret where it was";
  EXPECT_EQ(1, LineCount);

  // With a selection both keys remove exactly the selection.
  Select(1, 3);
  PressKey(VK_DELETE);
  EXPECT_EQ(u"ad", Text());
  Select(0, 1);
  PressKey(VK_BACK);
  EXPECT_EQ(u"d", Text());
  EXPECT_EQ(0, CaretIndex);
  EXPECT_TRUE(ZerosBehindTheTerminator());

  // At the document's edges they do nothing and show nothing.
  fake::ClearCalls();
  PressKey(VK_BACK);
  CaretIndex = 1;
  PressKey(VK_DELETE);
  EXPECT_EQ(u"d", Text());
  EXPECT_TRUE(fake::CallsTo({"InvalidateRect", "MessageBoxA"}).empty());
}

TEST_F(EditingKeysTest, ReturnAndTabThatWouldOverfillTheDocumentAreRefused) {
  OpenDocumentWindow();
  ShowText(std::u16string(DocumentCapacity - 2, u'a'));  // 32767 units with the terminator
  fake::Screen before = fake::CaptureScreen();
  PressKey(VK_RETURN);
  ASSERT_EQ(1u, fake::MessageBoxes().size());
  EXPECT_EQ("Input exceeds memory limit", fake::MessageBoxes()[0].text);
  EXPECT_EQ("Can Not Add Characters", fake::MessageBoxes()[0].caption);
  EXPECT_EQ(0x30u, fake::MessageBoxes()[0].style);
  EXPECT_EQ(DocumentCapacity - 1, DocumentLength);
  EXPECT_EQ("", fake::DescribeScreenDifference(before, fake::CaptureScreen()));

  SetText(std::u16string(DocumentCapacity - 4, u'a'));  // 32765: room for three, not four
  PressKey(VK_TAB);
  EXPECT_EQ(2u, fake::MessageBoxes().size());
  EXPECT_EQ(DocumentCapacity - 3, DocumentLength);

  SetText(std::u16string(DocumentCapacity - 1, u'a'));  // full
  Select(10, 12);
  PressKey(VK_RETURN);
  EXPECT_EQ(2u, fake::MessageBoxes().size()) << "32768 - 2 + 2 fits";
  EXPECT_EQ(u'\r', DocumentText[10]);
  EXPECT_EQ(DocumentCapacity, DocumentLength);
}

TEST_F(EditingKeysTest, AFailedSnapshotStopsEachEditingKeyBeforeAnyChange) {
  OpenDocumentWindow();
  ShowText(u"abc\r\ndef");
  Select(1, 6);
  fake::Screen before = fake::CaptureScreen();
  fake::FailCalls(fake::Fault::kHeap, 1, 4);
  for (int key : {VK_RETURN, VK_TAB, VK_BACK, VK_DELETE}) PressKey(key);
  ASSERT_EQ(4u, fake::MessageBoxes().size());
  EXPECT_EQ("Can Not Add Characters", fake::MessageBoxes()[0].caption);
  EXPECT_EQ("Can Not Add Characters", fake::MessageBoxes()[1].caption);
  EXPECT_EQ("Can Not Delete", fake::MessageBoxes()[2].caption);
  EXPECT_EQ("Can Not Delete", fake::MessageBoxes()[3].caption);
  for (const fake::MessageBoxRecord &box : fake::MessageBoxes()) EXPECT_EQ("Can not allocate memory", box.text);
  EXPECT_EQ(u"abc\r\ndef", Text());
  EXPECT_EQ(1, SelectionActive);
  EXPECT_EQ(6, CaretIndex);
  EXPECT_EQ("", fake::DescribeScreenDifference(before, fake::CaptureScreen()));
}
