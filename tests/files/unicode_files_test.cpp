// New, Open and Save through the file dialogs, the exact bytes of the file
// format, every refusal, and a save that fails without costing the old file.
#include <gtest/gtest.h>

#include <commdlg.h>

#include <string>

#include "app/program_window.h"
#include "document/document_store.h"
#include "document/page_geometry.h"
#include "files/unicode_files.h"
#include "resources/command_ids.h"
#include "support/program_fixture.h"

namespace {

const std::string Folder = "C:\\docs";
const std::string PathA = "C:\\docs\\a.txt";
const std::string PathB = "C:\\docs\\b.txt";

void Command(int id) { fake::Send(WM_COMMAND, (WPARAM)id, 0); }

void Type(const std::u16string &text) {
  for (char16_t unit : text) fake::Send(WM_CHAR, unit, 0);
}

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int value : values) bytes += (char)value;
  return bytes;
}

void OpenFile(const std::string &path, const std::string &bytes) {
  fake::PutFile(path, bytes);
  fake::AnswerNextFileDialog(path);
  Command(IDM_FILE_OPEN);
}

void SaveAs(const std::string &path) {
  fake::AnswerNextFileDialog(path);
  Command(IDM_FILE_SAVE);
}

std::u16string Text() { return std::u16string((const char16_t *)DocumentText, (size_t)DocumentLength - 1); }

class UnicodeFilesTest : public ProgramTest {
 protected:
  void SetUp() override {
    fake::MakeFolder(Folder);
    StartProgram();
  }
  std::string LastFailure() { return fake::MessageBoxes().empty() ? "" : fake::MessageBoxes().back().text; }
};

}  // namespace

TEST_F(UnicodeFilesTest, SaveWritesTheMarkTheUnitsAndTheTerminator) {
  SaveAs(PathA);
  EXPECT_EQ(Bytes({0xFF, 0xFE, 0, 0}), fake::FileBytes(PathA));
  EXPECT_EQ("a.txt", fake::WindowTitle());

  OpenFile(PathB, Bytes({0xFF, 0xFE, 'A', 0, 'B', 0, 13, 0, 10, 0, 'C', 0}));
  SaveAs(PathA);
  EXPECT_EQ(Bytes({0xFF, 0xFE, 'A', 0, 'B', 0, 13, 0, 10, 0, 'C', 0, 0, 0}), fake::FileBytes(PathA))
      << "a file without a final 0 unit gets one";
  EXPECT_EQ((std::vector<std::string>{PathA, PathB}), fake::FilePaths()) << "no temporary file is left behind";
  EXPECT_EQ(sizeof(OPENFILENAMEA), fake::LastFileDialogRecord().lStructSize);
  EXPECT_EQ((DWORD)(OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST), fake::LastFileDialogRecord().Flags);
  EXPECT_EQ("Unicode Text Files (*.txt)|*.txt|All Files (*.*)|*.*||", fake::LastFileDialogFilter());
}

TEST_F(UnicodeFilesTest, OpenTakesTheUnitsAsTheyAreAndShowsTheTop) {
  Type(u"old");
  fake::AnswerNextMessageBox(IDCANCEL);
  Command(IDM_FILE_OPEN);
  EXPECT_EQ("The current file has changed since the last save\nDo you wish to save the current file?",
            fake::MessageBoxes().back().text);
  EXPECT_EQ(u"old", Text()) << "Cancel: nothing happened";

  fake::AnswerNextMessageBox(IDNO);
  OpenFile(PathA, Bytes({0xFF, 0xFE, 'a', 0, 10, 0, 'b', 0, 0, 0}));
  EXPECT_EQ((std::u16string{u'a', 10, u'b'}), Text()) << "a lone LF stays as it is";
  EXPECT_FALSE(DocumentChangedSinceSave());
  EXPECT_EQ("a.txt", fake::WindowTitle());
  EXPECT_EQ(0, CaretIndex);
  EXPECT_EQ(0, SelectionActive);
  EXPECT_EQ(0, ScrollLine);

  OpenFile(PathB, Bytes({0xFF, 0xFE}));
  EXPECT_EQ(1, DocumentLength) << "the mark alone is the empty document";
}

TEST_F(UnicodeFilesTest, OpenRefusesWhatIsNotOneOfItsFilesAndChangesNothing) {
  Type(u"kept");
  SaveAs(PathA);
  struct Case {
    std::string bytes;
    std::string failure;
  };
  std::string largest(65538, 'x');
  largest[0] = (char)0xFF, largest[1] = (char)0xFE;
  std::string largestWithTerminator = largest;
  largestWithTerminator[65536] = 0, largestWithTerminator[65537] = 0;
  const Case cases[] = {
      {"", "The selected file is not a Unicode text file"},
      {Bytes({0xFF}), "The selected file is not a Unicode text file"},
      {Bytes({0xFE, 0xFF, 0, 'a'}), "The selected file is not a Unicode text file"},
      {Bytes({0xFF, 0xFE, 'a'}), "The selected file is not a Unicode text file"},
      {"\xEF\xBB\xBFutf8", "The selected file is not a Unicode text file"},
      {largest, "The selected file is large to open"},
      {largest + "xx", "The selected file is too large to open"},
  };
  for (const Case &c : cases) {
    OpenFile(PathB, c.bytes);
    EXPECT_EQ(c.failure, LastFailure()) << c.bytes.size() << " bytes";
    EXPECT_EQ("Can Not Open File", fake::MessageBoxes().back().caption);
    EXPECT_EQ(u"kept", Text());
    EXPECT_EQ("a.txt", fake::WindowTitle());
    EXPECT_EQ(PathA, FilePath) << "the next Save proposes the document's own file";
  }
  OpenFile(PathB, largestWithTerminator);
  EXPECT_EQ(DocumentCapacity, DocumentLength);
}

TEST_F(UnicodeFilesTest, OpenReportsFailuresOfTheFileCalls) {
  fake::PutFile(PathA, Bytes({0xFF, 0xFE, 'a', 0}));
  const std::pair<const char *, const char *> cases[] = {
      {"CreateFileA", "Can not obtain a file handle to the selected file"},
      {"GetFileSize", "Can not obtain the size of the selected file"},
      {"ReadFile", "Can not read the selected file"},
  };
  for (const auto &c : cases) {
    fake::FailNext(c.first);
    fake::AnswerNextFileDialog(PathA);
    Command(IDM_FILE_OPEN);
    EXPECT_EQ(c.second, LastFailure());
    EXPECT_EQ(1, DocumentLength);
  }
}

// Each call of a save over a file, failing in turn: the old bytes stay or
// come back, and no copy of them is left behind.
TEST_F(UnicodeFilesTest, AFailedSaveKeepsTheOldFileAndTheDocumentChanged) {
  Type(u"first");
  SaveAs(PathA);
  std::string saved = fake::FileBytes(PathA);
  Type(u" and more");
  const std::pair<const char *, int> faults[] = {
      {"CreateFileA", 0},  {"GetFileInformationByHandle", 0}, {"GetTempPathA", 0}, {"GetTempFileNameA", 0},
      {"CreateFileA", 1},  {"ReadFile", 0},                   {"WriteFile", 0},    {"SetEndOfFile", 0},
      {"FlushFileBuffers", 0}, {"SetFilePointer", 3},         {"WriteFile", 1},    {"WriteFile", 2},
      {"SetEndOfFile", 1}, {"FlushFileBuffers", 1},
  };
  for (const auto &fault : faults) {
    fake::FailLater(fault.first, fault.second);
    SaveAs(PathA);
    std::string where = std::string(fault.first) + " after " + std::to_string(fault.second);
    EXPECT_EQ("Can not write to the selected file", LastFailure()) << where;
    EXPECT_EQ("Can Not Save File", fake::MessageBoxes().back().caption);
    EXPECT_EQ(saved, fake::FileBytes(PathA)) << where;
    EXPECT_EQ((std::vector<std::string>{PathA}), fake::FilePaths()) << where << ": the old bytes' copy is removed";
    EXPECT_TRUE(DocumentChangedSinceSave());
    fake::FailNext(fault.first, 0);
  }
  fake::ShortenNextWrite(6, 1);  // the disk fills up during the growth
  SaveAs(PathA);
  EXPECT_EQ(saved, fake::FileBytes(PathA));
  EXPECT_EQ((std::vector<std::string>{PathA}), fake::FilePaths());
  fake::ShortenNextWrite(6, 2);     // the old bytes are overwritten in part,
  fake::FailLater("WriteFile", 3);  // and cannot go back: their copy is kept
  SaveAs(PathA);
  ASSERT_EQ(2u, fake::FilePaths().size());
  EXPECT_EQ(std::string(fake::TemporaryFolder) + "\\scr", fake::FilePaths()[0].substr(0, 11));
  EXPECT_EQ(saved, fake::FileBytes(fake::FilePaths()[0]));
  fake::FailNext("WriteFile", 0);

  fake::AnswerNextFileDialog(PathB);  // under a new name: a failure leaves no empty file
  fake::FailNext("WriteFile");
  Command(IDM_FILE_SAVE);
  EXPECT_FALSE(fake::FileExists(PathB));
  EXPECT_TRUE(DocumentChangedSinceSave());
  fake::MarkReadOnly(PathA);
  SaveAs(PathA);
  EXPECT_EQ("Can not write to the selected file", LastFailure());
  EXPECT_TRUE(DocumentChangedSinceSave());
  SaveAs(PathB);
  EXPECT_FALSE(DocumentChangedSinceSave());
  EXPECT_EQ(u"first and more", Text());
}

TEST_F(UnicodeFilesTest, YesToTheQuestionSavesAndStopsTheCommand) {
  OpenFile(PathA, Bytes({0xFF, 0xFE, 'a', 0}));
  Type(u"b");
  fake::AnswerNextMessageBox(IDYES);
  fake::AnswerNextFileDialog("");  // the Save dialog cancelled
  Command(IDM_FILE_NEW);
  EXPECT_EQ(u"ba", Text()) << "New was not carried out";
  EXPECT_EQ("The current file has changed since the last save.\nDo you wish to save the current file?",
            fake::MessageBoxes().back().text);
  EXPECT_EQ(std::string(PathA), fake::LastFileDialogRecord().lpstrFile) << "the dialog proposes the last file";

  fake::AnswerNextMessageBox(IDNO);
  Command(IDM_FILE_NEW);
  EXPECT_EQ(1, DocumentLength);
  EXPECT_EQ("Scrivlet", fake::WindowTitle());
  fake::AnswerNextFileDialog(PathB);
  Command(IDM_FILE_SAVE);
  EXPECT_EQ(Bytes({0xFF, 0xFE, 0, 0}), fake::FileBytes(PathB));
}

TEST_F(UnicodeFilesTest, CloseAndTheEndOfTheSessionAskAboutAChangedDocument) {
  Type(u"x");
  fake::AnswerNextMessageBox(IDYES);
  fake::AnswerNextFileDialog(PathA);
  fake::Send(WM_CLOSE, 0, 0);
  EXPECT_FALSE(fake::WindowDestroyed()) << "Yes saves and keeps the window";
  EXPECT_FALSE(DocumentChangedSinceSave());

  Type(u"y");
  fake::AnswerNextMessageBox(IDCANCEL);
  EXPECT_EQ(FALSE, fake::Send(WM_QUERYENDSESSION, 0, 0));
  fake::AnswerNextMessageBox(IDYES);
  fake::FailNext("CreateFileA");
  fake::AnswerNextFileDialog(PathA);
  EXPECT_EQ(FALSE, fake::Send(WM_QUERYENDSESSION, 0, 0)) << "the save failed";
  fake::AnswerNextMessageBox(IDYES);
  fake::AnswerNextFileDialog(PathA);
  EXPECT_EQ(TRUE, fake::Send(WM_QUERYENDSESSION, 0, 0));
  EXPECT_EQ(TRUE, fake::Send(WM_QUERYENDSESSION, 0, 0)) << "unchanged: nothing asked";
  fake::Send(WM_CLOSE, 0, 0);
  EXPECT_TRUE(fake::WindowDestroyed());
}
