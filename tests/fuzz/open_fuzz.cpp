// Fuzzes Open with any bytes as the chosen file, and Save followed by Open of
// the saved file, on one program that stays up from input to input as it
// would for a person opening file after file, while a call they make may
// fail. Each command either does all it should or shows its one message and
// leaves everything as it was. The last bytes of an input choose the steps
// (FuzzedDataProvider reads them from the end, in the order of Steps()); the
// bytes before them are the file.
#include <fuzzer/FuzzedDataProvider.h>
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "document/document_store.h"
#include "document/line_layout.h"
#include "document/page_geometry.h"
#include "resources/command_ids.h"
#include "support/invariants.h"
#include "win32/fake_win32.h"

namespace {

const char OpenQuestion[] =
    "The current file has changed since the last save\nDo you wish to save the current file?";
const char OpenPath[] = "C:\\docs\\open.txt";
const char SavePath[] = "C:\\docs\\saved.txt";
const size_t LargestFile = 2 * DocumentCapacity + 2;

[[noreturn]] void Violation(const std::string &what) {
  fprintf(stderr, "\n*** open_fuzz: %s\n", what.c_str());
  __builtin_trap();
}

// The message is built only when the check fails: most cost more than the check.
#define CHECK(holds, what) do { if (!(holds)) Violation(what); } while (0)

// The double reports misuse and scripting mistakes as test failures; there
// is no test here, so each is a violation, caught where it happens.
class FailureTrap : public testing::EmptyTestEventListener {
  void OnTestPartResult(const testing::TestPartResult &result) override {
    if (result.failed()) Violation(std::string("the double reports: ") + result.message());
  }
};

// A class of calls failing during one command from its k-th call (the heap's
// from then on); what it struck decides what the command must do.
struct Fault {
  fake::Fault kind;
  int k;  // 0: nothing fails
};

// The file call the fault struck, or "".
std::string Command(int id, const Fault &fault) {
  size_t struck = fake::StruckCalls().size();
  if (fault.k) fake::FailCalls(fault.kind, fault.k, fault.kind == fake::Fault::kHeap ? 1 << 30 : 1);
  fake::Send(WM_COMMAND, (WPARAM)id, 0);
  // A fault the command did not reach must not hit the next one.
  fake::FailCalls(fault.kind, 1, 0);
  return fake::StruckCalls().size() > struck && fault.kind != fake::Fault::kHeap ? fake::StruckCalls().back() : "";
}

// A save needs every file call it makes but the closes and the deletion of the old bytes' copy.
bool FailsSave(const std::string &struck) {
  return !struck.empty() && struck != "CloseHandle" && struck != "DeleteFileA";
}

// Texts and lines are kept as bytes: std::string compares with memcmp.
template <typename T>
std::string Bytes(const T *items, int count) { return std::string((const char *)items, sizeof(T) * (size_t)count); }
bool EndsInZeroUnit(const std::string &bytes) { return bytes.size() >= 2 && !bytes[bytes.size() - 2] && !bytes.back(); }
bool SameScreen(const fake::Screen &a, const fake::Screen &b) {
  return a.width == b.width && a.height == b.height && a.pixels == b.pixels;
}

// What a command may change, and a failed one must leave as it was.
struct Observed {
  std::string text, saved;  // terminator included
  std::vector<int> view;    // caret, selection, scroll position
  std::string title;
  fake::Screen screen;
  std::map<std::string, std::string> files;  // path -> bytes
};

Observed Observe() {
  Observed now{Bytes(DocumentText, DocumentLength), Bytes(SavedText, SavedLength),
               {CaretIndex, SelectionStart, SelectionEnd, SelectionActive, ScrollLine}, fake::WindowTitle(),
               fake::CaptureScreen(), {}};
  for (const std::string &path : fake::FilePaths()) now.files[path] = fake::FileBytes(path);
  return now;
}

void CheckState(const Observed &expected, const std::string &after) {
  Observed now = Observe();
  std::string wrong = after + ", wrong: ";
  CHECK(now.text == expected.text && now.saved == expected.saved, wrong + "the text or its saved copy");
  CHECK(now.view == expected.view, wrong + "the caret, the selection or the view");
  CHECK(now.title == expected.title, wrong + "the title \"" + now.title + "\"");
  CHECK(SameScreen(now.screen, expected.screen),
        wrong + "the screen: " + fake::DescribeScreenDifference(expected.screen, now.screen));
  CHECK(now.files == expected.files, wrong + "the files");
}

std::string Box(const char *caption, const char *text, UINT style = MB_OK | MB_ICONEXCLAMATION) {
  return std::string(caption) + ": " + text + " (style " + std::to_string(style) + ")\n";
}

// The boxes the window showed since first, each as Box() gives it.
void CheckBoxes(size_t first, const std::string &expected, const char *command) {
  std::string shown;
  for (size_t i = first; i < fake::MessageBoxes().size(); i++) {
    const fake::MessageBoxRecord &box = fake::MessageBoxes()[i];
    shown += box.owner == MainWindow ? Box(box.caption.c_str(), box.text.c_str(), box.style) : "a box of no window\n";
  }
  CHECK(shown == expected, std::string(command) + " showed\n" + shown + "instead of\n" + expected);
}

// After a Save as SavePath: either its message and nothing changed, or the
// file holds the mark and every unit, the terminator included, and nothing
// else changed but the saved copy and the title. True when it saved.
bool CheckSave(const Observed &before, size_t firstBox, const std::string &question, const std::string &struck) {
  CheckBoxes(firstBox,
             question + (FailsSave(struck) ? Box("Can Not Save File", "Can not write to the selected file") : ""),
             "Save");
  std::vector<std::string> copies;
  for (const std::string &path : fake::FilePaths()) {
    if (path.rfind(fake::TemporaryFolder, 0) == 0) copies.push_back(path);
  }
  CHECK(copies.size() == (struck == "DeleteFileA" ? 1u : 0u), "after Save, wrong: the old bytes' copies left");
  for (const std::string &copy : copies) DeleteFileA(copy.c_str());
  if (FailsSave(struck)) return CheckState(before, "after a failed Save"), false;
  Observed expected = before;
  expected.saved = before.text, expected.title = "saved.txt", expected.files[SavePath] = "\xFF\xFE" + before.text;
  CheckState(expected, "after Save");
  return true;
}

bool Save(const Fault &fault) {
  Observed before = Observe();
  fake::AnswerNextFileDialog(SavePath);
  size_t firstBox = fake::MessageBoxes().size();
  return CheckSave(before, firstBox, "", Command(IDM_FILE_SAVE, fault));
}

// What Open of the file shows: nullptr when it opens.
// The struck call is the k-th: the open, the size, the mark's read, the rest's read.
const char *OpenFailure(const std::string &file, const std::string &struck, int k) {
  const char *notUnicode = "The selected file is not a Unicode text file", *noRead = "Can not read the selected file";
  if (struck == "CreateFileA") return "Can not obtain a file handle to the selected file";
  if (struck == "GetFileSize") return "Can not obtain the size of the selected file";
  if (file.size() < 2) return notUnicode;
  if (struck == "ReadFile" && k == 3) return noRead;
  if (file.compare(0, 2, "\xFF\xFE") != 0 || file.size() % 2 != 0) return notUnicode;
  if (file.size() > LargestFile) return "The selected file is too large to open";
  if (struck == "ReadFile" && k == 4) return noRead;
  if (file.size() == LargestFile && !EndsInZeroUnit(file)) return "The selected file is large to open";
  return nullptr;
}

// Opens the file at path. A changed text brings the question first: No goes
// on, Cancel ends, Yes saves instead. In the dialog the person may cancel.
// After it opened: the text is the file's units, a final 0 unit taken as the
// terminator, unchanged, at the top with nothing selected, under the file's
// name, cut into the lines a reflow makes and shown as a full repaint shows it.
void Open(const char *path, const char *title, const Fault &fault, int answer = IDNO, bool chooses = true) {
  Observed before = Observe();
  bool asked = before.text != before.saved, opens = !asked || answer == IDNO;
  if (asked) fake::AnswerNextMessageBox(answer);
  if (asked && answer == IDYES) fake::AnswerNextFileDialog(SavePath);
  if (opens) fake::AnswerNextFileDialog(chooses ? path : "");
  size_t firstBox = fake::MessageBoxes().size();
  std::string struck = Command(IDM_FILE_OPEN, fault);
  std::string question = asked ? Box("Save Current File?", OpenQuestion, MB_YESNOCANCEL | MB_ICONQUESTION) : "";
  if (asked && answer == IDYES) return (void)CheckSave(before, firstBox, question, struck);
  std::string file = fake::FileBytes(path);
  const char *failure = opens && chooses ? OpenFailure(file, struck, fault.k) : nullptr;
  CheckBoxes(firstBox, question + (failure ? Box("Can Not Open File", failure) : ""), "Open");
  if (failure || !opens || !chooses) return CheckState(before, "after an Open failed or cancelled");
  std::string units = file.substr(2);
  if (!EndsInZeroUnit(units)) units.append(2, '\0');
  Observed expected{units, units, {0, 0, 0, 0, 0}, title, fake::CaptureScreen(), before.files};
  std::string lines = Bytes(LineTable, LineCount);
  ReflowDocument();
  CHECK(Bytes(LineTable, LineCount) == lines, "after Open, wrong: the lines, not those a reflow of the text makes");
  fake::RepaintWholeWindow();  // must show what the repaints of Open left
  CheckState(expected, "after Open");
}

// The person may first type at the end of the text; then opens the file, or
// opens it, saves it and opens the saved file again.
void Steps(FuzzedDataProvider &input) {
  bool roundTrip = input.ConsumeBool();
  // Open makes up to five file calls, a save over a file about twenty.
  Fault fault{input.PickValueInArray({fake::Fault::kHeap, fake::Fault::kFileIo, fake::Fault::kShortWrite}),
              input.ConsumeIntegralInRange(0, roundTrip ? 24 : 6)};
  bool typesFirst = input.ConsumeBool();
  int answer = input.PickValueInArray({IDNO, IDCANCEL, IDYES});
  bool chooses = input.ConsumeIntegralInRange(0, 7) != 7;
  // Mutation would take long to grow a file to the largest size: fill 0 to 7
  // puts 'a' bytes after the mark until the file is 65534 to 65541 bytes.
  int fill = input.ConsumeIntegralInRange(-56, 7);
  std::string file = input.ConsumeRemainingBytesAsString();
  size_t filledSize = LargestFile - 4 + (size_t)std::max(fill, 0);
  if (fill >= 0 && file.size() < filledSize) file.insert(std::min<size_t>(file.size(), 2), filledSize - file.size(), 'a');

  if (typesFirst) {
    fake::HoldKey(VK_CONTROL, true);
    fake::Send(WM_KEYDOWN, VK_END, 1);
    fake::Send(WM_KEYUP, VK_END, (LPARAM)0xC0000001u);
    fake::HoldKey(VK_CONTROL, false);
    fake::Send(WM_CHAR, 'x', 1);
  }
  fake::PutFile(OpenPath, file);
  if (!roundTrip) return Open(OpenPath, "open.txt", fault, answer, chooses);
  Open(OpenPath, "open.txt", Fault{fake::Fault::kHeap, 0}, answer, chooses);
  if (Save(fault)) Open(SavePath, "saved.txt", Fault{fake::Fault::kHeap, 0});
}

}  // namespace

// The target checks the program's heap and handles itself after every input;
// a leak check would only rescan the double's records, which grow with every
// input. A small quarantine still catches a late use of a block freed within
// a command; the default one holds hundreds of megabytes of screens and texts,
// and the allocator maps fresh pages for them over and over.
extern "C" const char *__asan_default_options() {
  return "detect_leaks=0:quarantine_size_mb=16:allocator_release_to_os_interval_ms=-1";
}

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  testing::UnitTest::GetInstance()->listeners().Append(new FailureTrap);
  fake::MakeFolder("C:\\docs");
  fake::PutFile(SavePath, "an old file!");  // even-sized as every saved one: any growth is over a byte
  fake::SetRecording(false);  // the log of millions of commands would fill the memory
  // A small window at a low resolution: screens are captured and compared after every command.
  fake::SetScreenDpi(48);
  fake::SetDefaultClientSize(320, 240);
  if (CreateMainWindow(NULL, 1) == NULL) Violation("the window could not be created");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  size_t misuse = fake::Misuse().size();
  FuzzedDataProvider input(data, size);
  Steps(input);
  CHECK(fake::Misuse().size() == misuse, "misuse: " + fake::Misuse().back());
  std::vector<std::string> leaks = fake::Leaks();
  CHECK(leaks.empty(), "leak: " + leaks[0]);
  CHECK(fake::UpdateRegionEmpty(), "an invalidated area was left unpainted: " + fake::UpdateRegion());
  std::string problem = StateInvariantViolation();
  CHECK(problem.empty(), "state: " + problem);
  return 0;
}
