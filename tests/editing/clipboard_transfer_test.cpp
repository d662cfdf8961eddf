// Cut, Copy and Paste against the clipboard of the double: the exact blocks,
// units pasted as they stand, the capacity, and every failure leaving the
// document, the selection, the caret and the screen as they were.
#include <gtest/gtest.h>

#include <string>

#include "app/program_window.h"
#include "document/document_store.h"
#include "resources/command_ids.h"
#include "support/document_fixture.h"
#include "support/view_window.h"

namespace {

const std::u16string Text = u"one two\r\nthree";  // the CR LF is 7..8

void Command(int id) { ViewWindowProc(MainWindow, WM_COMMAND, (WPARAM)id, 0); }

struct ClipboardCase {
  const char *why;
  int command;
  int start, end;  // the selection [start, end) with the caret at end; none when equal
  std::u16string before;  // what another program put on the clipboard; nothing when empty
  fake::Fault fault;      // the class of the call made to fail,
  int k;                  // and which of its calls from now: 0 for none
  std::u16string text;       // the document after
  int caret;                 // the caret after
  std::u16string clipboard;  // the clipboard after
  const char *boxes;         // the messages shown
};

const fake::Fault NoFault = fake::Fault::kHeap;

const ClipboardCase Cases[] = {
    {"Copy: the selection and one 0 in 2n + 2 bytes", IDM_EDIT_COPY, 4, 11, u"old", NoFault, 0, Text, 11,
     std::u16string(u"two\r\nth\0", 8), ""},
    {"Copy without a selection keeps the clipboard", IDM_EDIT_COPY, 4, 4, u"old", NoFault, 0, Text, 4, u"old", ""},
    {"Cut: the clipboard first, then the deletion", IDM_EDIT_CUT, 3, 9, u"old", NoFault, 0, u"onethree", 3,
     std::u16string(u" two\r\n\0", 7), ""},
    {"Paste at the caret: a block without a 0 is taken whole", IDM_EDIT_PASTE, 3, 3, u"xy", NoFault, 0,
     u"onexy two\r\nthree", 5, u"xy", ""},
    {"Paste over the selection", IDM_EDIT_PASTE, 0, 3, std::u16string(u"1\0", 2), NoFault, 0, u"1 two\r\nthree", 1,
     std::u16string(u"1\0", 2), ""},
    {"a TAB and a lone LF are pasted as they stand", IDM_EDIT_PASTE, 0, 0, std::u16string(u"\t\n\0", 3), NoFault, 0,
     u"\t\none two\r\nthree", 2, std::u16string(u"\t\n\0", 3), ""},
    {"the text ends at its first 0", IDM_EDIT_PASTE, 0, 0, std::u16string(u"ab\0cd", 5), NoFault, 0,
     u"abone two\r\nthree", 2, std::u16string(u"ab\0cd", 5), ""},
    {"an empty text deletes the selection", IDM_EDIT_PASTE, 0, 4, std::u16string(u"\0", 1), NoFault, 0, u"two\r\nthree",
     0, std::u16string(u"\0", 1), ""},
    {"no Unicode text: nothing, no message", IDM_EDIT_PASTE, 0, 4, u"", NoFault, 0, Text, 4, u"", ""},
    {"Copy: no global block", IDM_EDIT_COPY, 4, 7, u"old", fake::Fault::kGlobalMemory, 1, Text, 7, u"old",
     "Can Not Copy: Can not allocate memory; "},
    {"Copy: the block cannot be locked", IDM_EDIT_COPY, 4, 7, u"old", fake::Fault::kGlobalMemory, 2, Text, 7, u"old",
     "Can Not Copy: Can not obtain a pointer to global memory; "},
    {"Copy: another program holds the clipboard", IDM_EDIT_COPY, 4, 7, u"old", fake::Fault::kClipboard, 1, Text, 7,
     u"old", "Can Not Copy: Can not put the text on the Clipboard; "},
    {"Cut: no global block", IDM_EDIT_CUT, 4, 7, u"old", fake::Fault::kGlobalMemory, 1, Text, 7, u"old",
     "Can Not Cut: Can not allocate memory; "},
    {"Cut: the block cannot be locked", IDM_EDIT_CUT, 4, 7, u"old", fake::Fault::kGlobalMemory, 2, Text, 7, u"old",
     "Can Not Cut: Can not obtain a pointer to global memory; "},
    {"Cut: another program holds the clipboard: the text stays", IDM_EDIT_CUT, 4, 7, u"old", fake::Fault::kClipboard, 1,
     Text, 7, u"old", "Can Not Cut: Can not put the text on the Clipboard; "},
    {"Cut: the clipboard refuses the block: the text stays", IDM_EDIT_CUT, 4, 7, u"old", fake::Fault::kClipboard, 3,
     Text, 7, u"", "Can Not Cut: Can not put the text on the Clipboard; "},
    {"Cut: no snapshot: the text is in both places", IDM_EDIT_CUT, 4, 7, u"old", fake::Fault::kHeap, 1, Text, 7,
     std::u16string(u"two\0", 4), "Can Not Cut: Can not allocate memory; "},
    {"Paste: another program holds the clipboard", IDM_EDIT_PASTE, 4, 7, u"xy", fake::Fault::kClipboard, 1, Text, 7,
     u"xy", "Can Not Paste: Can not obtain a handle to the Clipboard memory object; "},
    {"Paste: no handle", IDM_EDIT_PASTE, 4, 7, u"xy", fake::Fault::kClipboard, 2, Text, 7, u"xy",
     "Can Not Paste: Can not obtain a handle to the Clipboard memory object; "},
    {"Paste: no heap copy", IDM_EDIT_PASTE, 4, 7, u"xy", fake::Fault::kHeap, 1, Text, 7, u"xy",
     "Can Not Paste: Can not allocate memory; "},
    {"Paste: the block cannot be locked", IDM_EDIT_PASTE, 4, 7, u"xy", fake::Fault::kGlobalMemory, 1, Text, 7, u"xy",
     "Can Not Paste: Can not obtain a pointer to global memory; "},
};

}  // namespace

using ClipboardTransferTest = DocumentTest;

TEST_F(ClipboardTransferTest, ClipboardCommandsMoveExactUnitsAndFailWithoutChangingAnything) {
  OpenDocumentWindow();
  for (const ClipboardCase &c : Cases) {
    SCOPED_TRACE(c.why);
    ShowText(Text);
    if (c.start != c.end) ShowSelection(c.start, c.end, c.end);
    CaretIndex = c.end;
    fake::RepaintWholeWindow();
    if (c.before.empty()) fake::EmptyClipboardElsewhere();
    else fake::PutClipboardUnits(c.before);
    size_t struck = fake::StruckCalls().size();
    if (c.k) fake::FailCalls(c.fault, c.k);
    fake::Screen before = fake::CaptureScreen();
    size_t boxesBefore = fake::MessageBoxes().size();

    Command(c.command);

    fake::FailCalls(c.fault, 1, 0);
    EXPECT_EQ(c.k ? 1u : 0u, fake::StruckCalls().size() - struck) << "the injected failure struck";
    EXPECT_EQ(c.text, CurrentText());
    EXPECT_EQ(c.caret, CaretIndex);
    EXPECT_EQ(c.clipboard, fake::ClipboardHoldsText() ? fake::ClipboardUnits() : u"");
    std::string shown;
    for (size_t i = boxesBefore; i < fake::MessageBoxes().size(); i++) {
      shown += fake::MessageBoxes()[i].caption + ": " + fake::MessageBoxes()[i].text + "; ";
    }
    EXPECT_EQ(c.boxes, shown);
    if (*c.boxes != 0) {
      EXPECT_EQ(c.start != c.end, SelectionActive != 0);
      EXPECT_EQ(c.start, SelectionStart);
      EXPECT_EQ(c.end, SelectionEnd);
      EXPECT_EQ("", fake::DescribeScreenDifference(before, fake::CaptureScreen())) << "the screen changed";
    }
    EXPECT_TRUE(fake::Leaks().empty());
  }
}

TEST_F(ClipboardTransferTest, PasteFillsTheDocumentToItsLastUnitAndReadsNoMoreOfABlockThanCanFit) {
  OpenDocumentWindow();
  SetText(std::u16string(32760, u'a'));  // 32761 units with the terminator
  const struct {
    int selected;  // units selected at the start
    int pasted;
    int length;  // DocumentLength after
    const char *why;
  } rows[] = {
      {0, 8, 32761, "one unit too many: refused"},
      {0, 7, 32768, "exactly full"},
      {8, 9, 32768, "over a selection the limit counts what it replaces: refused"},
      {8, 8, 32768, "over a selection, exactly full"},
  };
  for (const auto &row : rows) {
    if (row.selected) ShowSelection(0, row.selected, row.selected);
    fake::PutClipboardUnits(std::u16string((size_t)row.pasted, u'b'));
    Command(IDM_EDIT_PASTE);
    EXPECT_EQ(row.length, DocumentLength) << row.why;
  }
  ASSERT_EQ(2u, fake::MessageBoxes().size());
  EXPECT_EQ("Input exceeds memory limit", fake::MessageBoxes()[1].text);
  EXPECT_EQ("Can Not Paste", fake::MessageBoxes()[1].caption);

  // Whatever size a block claims, no more than a full document's bytes are read.
  ShowText(u"x");
  fake::PutClipboardUnits(std::u16string(u"cd\0", 3));
  fake::SetClipboardReportedSize((SIZE_T)1 << 32);
  Command(IDM_EDIT_PASTE);
  EXPECT_EQ(u"cdx", CurrentText());
  fake::PutClipboardUnits(u"cd");  // no 0 among the first 32768 units
  fake::SetClipboardReportedSize((SIZE_T)1 << 32);
  Command(IDM_EDIT_PASTE);
  EXPECT_EQ(u"cdx", CurrentText()) << "a full document's worth and more is refused";
  EXPECT_EQ("Input exceeds memory limit", fake::MessageBoxes().back().text);
  fake::PutClipboardUnits(u"ef");
  fake::SetClipboardReportedSize(3);
  Command(IDM_EDIT_PASTE);
  EXPECT_EQ(u"cdex", CurrentText()) << "an odd last byte holds no unit";
}
