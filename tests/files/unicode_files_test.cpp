// New, Open and Save through the file dialogs, the exact bytes of the file
// format, every refusal, and a save that fails without costing the old file.
#include <gtest/gtest.h>

#include <commdlg.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "app/program_window.h"
#include "document/document_store.h"
#include "document/page_geometry.h"
#include "files/unicode_files.h"
#include "resources/command_ids.h"
#include "support/document_fixture.h"
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
  EXPECT_EQ(u"old", CurrentText()) << "Cancel: nothing happened";

  fake::AnswerNextMessageBox(IDNO);
  OpenFile(PathA, Bytes({0xFF, 0xFE, 'a', 0, 10, 0, 'b', 0, 0, 0}));
  EXPECT_EQ((std::u16string{u'a', 10, u'b'}), CurrentText()) << "a lone LF stays as it is";
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
  std::string largest(65538, 'x');
  largest[0] = (char)0xFF, largest[1] = (char)0xFE;
  std::string largestWithTerminator = largest;
  largestWithTerminator[65536] = 0, largestWithTerminator[65537] = 0;
  const struct {
    std::string bytes, failure;
  } cases[] = {
      {"", "The selected file is not a Unicode text file"},
      {Bytes({0xFF}), "The selected file is not a Unicode text file"},
      {Bytes({0xFE, 0xFF, 0, 'a'}), "The selected file is not a Unicode text file"},
      {Bytes({0xFF, 0xFE, 'a'}), "The selected file is not a Unicode text file"},
      {"\xEF\xBB\xBFutf8", "The selected file is not a Unicode text file"},
      {largest, "The selected file is large to open"},
      {largest + "xx", "The selected file is too large to open"},
  };
  for (const auto &c : cases) {
    OpenFile(PathB, c.bytes);
    EXPECT_EQ(c.failure, LastFailure()) << c.bytes.size() << " bytes";
    EXPECT_EQ("Can Not Open File", fake::MessageBoxes().back().caption);
    EXPECT_EQ(u"kept", CurrentText());
    EXPECT_EQ("a.txt", fake::WindowTitle());
    EXPECT_EQ(PathA, FilePath) << "the next Save proposes the document's own file";
  }
  OpenFile(PathB, largestWithTerminator);
  EXPECT_EQ(DocumentCapacity, DocumentLength);
}

// Each file call of an Open, failing in turn: a call it needs fails it with
// its own message and changes nothing; a failed close does not.
TEST_F(UnicodeFilesTest, OpenReportsFailuresOfTheFileCalls) {
  fake::PutFile(PathA, Bytes({0xFF, 0xFE, 'a', 0}));
  const std::map<std::string, std::string> messages = {
      {"CreateFileA", "Can not obtain a file handle to the selected file"},
      {"GetFileSize", "Can not obtain the size of the selected file"},
      {"ReadFile", "Can not read the selected file"},
  };
  for (int k = 1;; k++) {
    Command(IDM_FILE_NEW);
    size_t boxes = fake::MessageBoxes().size();
    fake::FailCalls(fake::Fault::kFileIo, k);
    fake::AnswerNextFileDialog(PathA);
    Command(IDM_FILE_OPEN);
    if ((int)fake::StruckCalls().size() < k) break;
    const std::string &struck = fake::StruckCalls().back();
    bool needed = messages.count(struck) > 0;
    EXPECT_EQ(needed ? messages.at(struck) : "", fake::MessageBoxes().size() > boxes ? LastFailure() : "") << struck;
    EXPECT_EQ(needed ? 1 : 2, DocumentLength) << struck;
  }
  EXPECT_EQ((std::vector<std::string>{"CreateFileA", "GetFileSize", "ReadFile", "ReadFile", "CloseHandle"}),
            fake::StruckCalls());
}

// Each file call of a save, failing in turn, alone or with the next, or
// writing short, over a file and under a new name: the old bytes stay or come
// back and no copy of them is left, unless putting them back failed too, when
// their copy is kept; a new file goes. A call the save can do without (a
// close, the copy's deletion) lets it succeed.
TEST_F(UnicodeFilesTest, AFailedSaveKeepsTheOldFileAndTheDocumentChanged) {
  Type(u"first");
  SaveAs(PathA);
  const std::string saved = fake::FileBytes(PathA);
  int copiesKept = 0;
  for (const std::string &path : {PathA, PathB}) {
    for (auto [kind, n] :
         {std::pair{fake::Fault::kFileIo, 1}, {fake::Fault::kShortWrite, 1}, {fake::Fault::kFileIo, 2}}) {
      for (int k = 1;; k++) {
        SCOPED_TRACE(path + ": from file call " + std::to_string(k) + ", " + std::to_string(n) + " failing");
        if (path == PathA) fake::PutFile(PathA, saved);
        if (path == PathB && fake::FileExists(PathB)) DeleteFileA(PathB.c_str());
        Type(u"!");
        const std::u16string text = CurrentText();
        const std::string bytes = "\xFF\xFE" + std::string((const char *)DocumentText, 2 * (size_t)DocumentLength);
        size_t boxes = fake::MessageBoxes().size(), struck = fake::StruckCalls().size();
        fake::FailCalls(kind, k, n);
        SaveAs(path);
        fake::FailCalls(kind, 1, 0);
        std::vector<std::string> copies, strikes(fake::StruckCalls().begin() + (long)struck, fake::StruckCalls().end());
        for (const std::string &file : fake::FilePaths()) {
          if (file.rfind(fake::TemporaryFolder, 0) == 0) copies.push_back(file);
        }
        EXPECT_EQ(text, CurrentText());
        if (fake::MessageBoxes().size() > boxes) {
          EXPECT_EQ("Can not write to the selected file", LastFailure());
          EXPECT_EQ("Can Not Save File", fake::MessageBoxes().back().caption);
          EXPECT_TRUE(DocumentChangedSinceSave());
          bool kept = n == 2 && copies.size() == 1 && fake::FileBytes(copies[0]) == saved;
          bool deleteFailed = std::count(strikes.begin(), strikes.end(), "DeleteFileA") > 0;
          copiesKept += kept;
          if (!kept && !deleteFailed) EXPECT_TRUE(copies.empty()) << "the old bytes' copy is removed";
          if (!kept && path == PathA) EXPECT_EQ(saved, fake::FileBytes(PathA));
          if (path == PathB && !deleteFailed) EXPECT_FALSE(fake::FileExists(PathB)) << "a failure leaves no new file";
        } else {
          EXPECT_EQ(bytes, fake::FileBytes(path));
          EXPECT_FALSE(DocumentChangedSinceSave());
          for (const std::string &call : strikes) EXPECT_TRUE(call == "CloseHandle" || call == "DeleteFileA") << call;
          EXPECT_EQ((size_t)std::count(strikes.begin(), strikes.end(), "DeleteFileA"), copies.size());
        }
        for (const std::string &copy : copies) DeleteFileA(copy.c_str());
        if (strikes.empty()) break;
      }
    }
  }
  EXPECT_GT(copiesKept, 0) << "no pair of failures reached the putting back";
  Type(u" and more");
  fake::MarkReadOnly(PathA);
  SaveAs(PathA);
  EXPECT_EQ("Can not write to the selected file", LastFailure());
  EXPECT_TRUE(DocumentChangedSinceSave());
  SaveAs(PathB);
  EXPECT_FALSE(DocumentChangedSinceSave());
}

TEST_F(UnicodeFilesTest, YesToTheQuestionSavesAndStopsTheCommand) {
  OpenFile(PathA, Bytes({0xFF, 0xFE, 'a', 0}));
  Type(u"b");
  fake::AnswerNextMessageBox(IDYES);
  fake::AnswerNextFileDialog("");  // the Save dialog cancelled
  Command(IDM_FILE_NEW);
  EXPECT_EQ(u"ba", CurrentText()) << "New was not carried out";
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
  fake::FailCalls(fake::Fault::kFileIo);
  fake::AnswerNextFileDialog(PathA);
  EXPECT_EQ(FALSE, fake::Send(WM_QUERYENDSESSION, 0, 0)) << "the save failed";
  fake::AnswerNextMessageBox(IDYES);
  fake::AnswerNextFileDialog(PathA);
  EXPECT_EQ(TRUE, fake::Send(WM_QUERYENDSESSION, 0, 0));
  EXPECT_EQ(TRUE, fake::Send(WM_QUERYENDSESSION, 0, 0)) << "unchanged: nothing asked";
  fake::Send(WM_CLOSE, 0, 0);
  EXPECT_TRUE(fake::WindowDestroyed());
}
