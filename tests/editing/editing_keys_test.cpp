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

// Each key on a text with the caret, or a selection [start, end) with the
// caret at end; at the document's edges a key does nothing and shows nothing.
TEST_F(EditingKeysTest, EachKeyInsertsOrRemovesExactlyItsUnits) {
  OpenDocumentWindow();
  const struct {
    std::u16string text;
    int caret, start, key, modifiers;
    std::u16string after;
    int caretAfter, lines;
  } rows[] = {
      {u"", 0, 0, VK_RETURN, 0, u"\r\n", 2, 2},
      {u"\r\n", 2, 2, VK_TAB, 0, u"\r\n    ", 6, 2},
      {u"\r\n    ", 6, 6, VK_RETURN, Shift | Ctrl, u"\r\n    \r\n", 8, 3},  // modifiers change nothing
      {u"abcdef", 5, 1, VK_TAB, 0, u"a    f", 5, 1},                     // the key's text replaces the selection
      {u"ab\r\ncd\nef", 4, 4, VK_BACK, 0, u"abcd\nef", 2, 1},            // behind CR LF: both go
      {u"abcd\nef", 5, 5, VK_BACK, 0, u"abcdef", 4, 1},                  // behind a lone LF: it alone
      {u"ab\r\ncd", 2, 2, VK_DELETE, 0, u"abcd", 2, 1},                  // Delete leaves the caret where it was
      {u"abcd", 3, 1, VK_DELETE, 0, u"ad", 1, 1},                        // with a selection, exactly it
      {u"ad", 1, 0, VK_BACK, 0, u"d", 0, 1},
      {u"d", 0, 0, VK_BACK, 0, u"d", 0, 1},
      {u"d", 1, 1, VK_DELETE, 0, u"d", 1, 1},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(std::to_string(row.key) + " at " + std::to_string(row.caret));
    ShowText(row.text);
    if (row.start != row.caret) Select(row.start, row.caret);
    CaretIndex = row.caret;
    fake::ClearCalls();
    PressKey(row.key, row.modifiers);
    EXPECT_EQ(row.after, CurrentText());
    EXPECT_EQ(row.caretAfter, CaretIndex);
    EXPECT_EQ(0, SelectionActive);
    EXPECT_EQ(row.lines, LineCount);
    EXPECT_TRUE(ZerosBehindTheTerminator());
    if (row.after == row.text) EXPECT_TRUE(fake::CallsTo({"InvalidateRect", "MessageBoxA"}).empty());
  }
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
