// The model test: random sequences of everything a user does (typed units,
// every key with Shift and Ctrl, presses anywhere, the Edit, File, Word Wrap
// and Font Point Size commands, scrolling, the picker, printing) sent through
// the window procedure while failures are injected into the heap, global
// memory, the clipboard, the file calls and the printer. A small model of the
// document predicts every step. After each step the program agrees with the
// model, a step that reported a failure changed nothing, the layout and state
// invariants hold, the incremental screen equals a full repaint, and nothing
// is misused or leaked. SCRIVLET_MODEL_STEPS multiplies the steps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "app/program_window.h"
#include "document/document_store.h"
#include "document/layout_settings.h"
#include "document/line_layout.h"
#include "document/page_geometry.h"
#include "resources/command_ids.h"
#include "support/invariants.h"
#include "support/program_fixture.h"
#include "view/character_picker.h"

namespace {

using Units = std::u16string;

const std::string Folder = "C:\\docs";
const int StepsPerInstance = 250;  // 40 instances: 10^4 steps in all

// ---- The model ------------------------------------------------------------

struct Document {
  Units text;  // without the terminator
  int caret = 0;
  bool active = false;     // a selection is shown
  int start = 0, end = 0;  // the selection, while one is shown
  Units saved;             // the text as last opened or saved
  std::string title;
  int points = 0, wrap = 0;
  bool SameSelection(const Document &o) const {
    return active == o.active && (!active || (start == o.start && end == o.end));
  }
};

Document ProgramDocument() {
  Document d;
  d.text.assign((const char16_t *)DocumentText, (size_t)std::max(DocumentLength - 1, 0));
  d.caret = CaretIndex;
  d.active = SelectionActive != 0;
  d.start = SelectionStart;
  d.end = SelectionEnd;
  d.saved.assign((const char16_t *)SavedText, (size_t)std::max(SavedLength - 1, 0));
  d.title = fake::WindowTitle();
  d.points = -PointSize;
  d.wrap = WordWrapChoice;
  return d;
}

// What a step expects: the document if it succeeds, the failure it reports
// even without an injected fault, the caption of any failure, the questions
// (and About boxes) it shows, and what it checks itself afterwards.
struct Step {
  Document after;
  std::string failure, caption;
  int asked = 0;
  bool moves = false;  // the caret goes where the glyphs put it: taken from the program
  bool shift = false;
  bool keepsCaretAtAnEnd = true;
  bool toTop = false;           // the view shows the first line afterwards
  bool holdsResources = false;  // files, global blocks or a print job: leaks are looked for at once
  std::function<void(bool failed, std::ostream &problems)> post;
};

bool IsLineBreak(const Units &text, int i) {
  return i >= 0 && i + 1 < (int)text.size() && text[(size_t)i] == 13 && text[(size_t)i + 1] == 10;
}

// Every edit: the units from .. to - 1 replaced, the caret behind the new
// ones, no selection; or nothing, with the failure, when the text would not fit.
void Replace(Step &s, int from, int to, const Units &units, const char *caption) {
  Document &d = s.after;
  s.caption = caption;
  if ((int)d.text.size() - (to - from) + (int)units.size() + 1 > DocumentCapacity) {
    s.failure = "Input exceeds memory limit";
    return;
  }
  d.text.replace((size_t)from, (size_t)(to - from), units);
  d.caret = from + (int)units.size();
  d.active = false;
}

void Insert(Step &s, const Units &units, const char *caption) {
  const Document &d = s.after;
  Replace(s, d.active ? d.start : d.caret, d.active ? d.end : d.caret, units, caption);
}

void DeleteSelection(Step &s, const char *caption) {
  if (s.after.active) Replace(s, s.after.start, s.after.end, u"", caption);
}

// Backspace and Delete: the selection, else a unit or a whole CR LF next to the caret.
void DeleteKey(Step &s, bool backwards) {
  const Document &d = s.after;
  int caret = d.caret;
  int from = backwards ? caret - (IsLineBreak(d.text, caret - 2) ? 2 : 1) : caret;
  int to = backwards ? caret : caret + (IsLineBreak(d.text, caret) ? 2 : 1);
  if (d.active) DeleteSelection(s, "Can Not Delete");
  else if (from >= 0 && to <= (int)d.text.size()) Replace(s, from, to, u"", "Can Not Delete");
}

// A picker cell: the codes 32 .. 65535, one unit each.
void Type(Step &s, int code) {
  if (code >= 32 && code <= 65535) Insert(s, Units(1, (char16_t)code), "Can Not Add Character");
}

// The file format: the mark, then the units little-endian.
std::string Encode(const Units &units) {
  std::string bytes = "\xFF\xFE";
  for (char16_t u : units) bytes += {(char)(u & 0xFF), (char)(u >> 8)};
  return bytes;
}

// Open's reading of a file: the text, or the failure it reports.
bool Decode(const std::string &bytes, Units *text, std::string *failure) {
  size_t size = bytes.size();
  if (size < 2 || bytes.compare(0, 2, "\xFF\xFE") != 0 || size % 2) {
    *failure = "The selected file is not a Unicode text file";
  } else if (size > 65538) {
    *failure = "The selected file is too large to open";
  } else {
    for (size_t i = 2; i < size; i += 2) text->push_back((char16_t)((uint8_t)bytes[i] | (uint8_t)bytes[i + 1] << 8));
    if (!text->empty() && text->back() == 0) text->pop_back();  // the terminator
    else if (size == 65538) *failure = "The selected file is large to open";
  }
  return failure->empty();
}

// The path a dialog returns: a name without an extension gets ".txt".
std::string Chosen(const std::string &path) {
  return path.find('.', path.rfind('\\') + 1) == std::string::npos ? path + ".txt" : path;
}
std::string TitleOf(const std::string &path) { return path.substr(path.rfind('\\') + 1); }

// ---- What a mismatch shows ------------------------------------------------

std::string Difference(const char *what, const Units &expected, const Units &actual) {
  if (expected == actual) return "";
  size_t i = (size_t)(std::mismatch(expected.begin(), expected.end(), actual.begin(), actual.end()).first -
                      expected.begin());
  auto around = [i](const Units &units) {
    std::ostringstream out;
    for (size_t k = i < 12 ? 0 : i - 12; k < units.size() && k < i + 12; k++) {
      if (units[k] >= 32 && units[k] < 127 && units[k] != '\\') out << (char)units[k];
      else out << "\\u" << std::hex << (int)units[k] << std::dec;
    }
    return "\"" + out.str() + "\"";
  };
  return std::string(what) + ": " + std::to_string(actual.size()) + " units, expected " +
         std::to_string(expected.size()) + "; around unit " + std::to_string(i) + " expected " + around(expected) +
         ", actual " + around(actual) + "; ";
}

std::string Position(const Document &d) {
  return "caret " + std::to_string(d.caret) +
         (d.active ? " selection " + std::to_string(d.start) + ".." + std::to_string(d.end) : "");
}

std::string Difference(const Document &e, const Document &a) {
  std::string out = Difference("text", e.text, a.text) + Difference("saved copy", e.saved, a.saved);
  if (e.caret != a.caret || !e.SameSelection(a)) out += Position(a) + ", expected " + Position(e) + "; ";
  if (e.title != a.title) out += "title \"" + a.title + "\", expected \"" + e.title + "\"; ";
  if (e.points != a.points || e.wrap != a.wrap) out += "the layout settings changed; ";
  return out;
}

// ---- The test ---------------------------------------------------------------

// The failures a step may be given, by the calls its operation makes.
using fake::Fault;
const std::vector<Fault> EditFaults = {Fault::kHeap};
const std::vector<Fault> ClipboardFaults = {Fault::kHeap, Fault::kGlobalMemory, Fault::kClipboard};
const std::vector<Fault> FileFaults = {Fault::kFileIo, Fault::kShortWrite};
const std::vector<Fault> PrinterFaults = {Fault::kSpooler};

const int MovementKeys[] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, VK_HOME, VK_END, VK_PRIOR, VK_NEXT};
const int OtherKeys[] = {VK_ESCAPE, VK_RETURN, VK_TAB, VK_BACK, VK_DELETE, VK_SPACE, VK_INSERT, 'X'};

bool Inside(const RECT &r, POINT p) { return r.left <= p.x && p.x < r.right && r.top <= p.y && p.y < r.bottom; }

class ModelTest : public ProgramTest, public testing::WithParamInterface<std::tuple<int, int, int, int>> {
 protected:
  std::mt19937 random;
  Document model;
  bool dropLowSurrogate = false;  // a refused high half: the program drops the low half that follows
  char16_t pendingLowSurrogate = 0;
  std::set<std::string> readOnly;  // files marked read-only
  size_t clipboardBytes = 0;       // what GlobalSize reports of the clipboard's block
  std::vector<Fault> armed;        // this step's classes of injected failures
  bool failsTwice = false;         // the last of them fails two calls
  size_t struckBefore = 0;         // fake::StruckCalls() before this step
  std::ostringstream step;         // what this step did
  std::vector<std::string> history;
  std::vector<std::function<void(Step &)>> queued;  // the rest of a sequence, run before any random step
  int injected = 0, reported = 0, found = 0;
  size_t misuseSeen = 0, leaksSeen = 0;

  int Random(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
  bool Chance(int n) { return Random(1, n) == 1; }
  template <typename T>
  const T &Pick(const std::vector<T> &choices) { return choices[(size_t)Random(0, (int)choices.size() - 1)]; }
  void Command(int id) { fake::Send(WM_COMMAND, (WPARAM)id, 0); }
  static unsigned SeedOf(const std::tuple<int, int, int, int> &p) {
    return (unsigned)(std::get<0>(p) * 31 + std::get<1>(p) + std::get<2>(p) * 7 + std::get<3>(p));
  }

  Units RandomText(int units) {
    static const std::vector<Units> pieces = {u"the ",  u"page ", u"jumpy ", u"fig ", u"wide\u4E2D ", u"\r\n",
                                              u"\r\n\r\n", u"\r", u"\n",     u"a",    u"longwordwithoutanyspaceatall",
                                              u"  ",    u"\t",    u"\U0001F600", u"e\u0301"};
    Units text;
    while ((int)text.size() < units) text += Chance(200) ? Units(1, 0) : Pick(pieces);
    return text;
  }

  // Files another program left: the program's own format, refusals of every kind, the largest.
  std::string RandomFile() {
    switch (Random(0, 39)) {
      case 0: return Encode(Units(32767, u'x') + Units(1, 0));    // opens full
      case 1: return Encode(RandomText(32766).substr(0, 32760));  // nearly full
      case 2: return Encode(Units(32768, u'x'));                  // 65538 bytes without a final 0
      case 3: return Encode(Units(32769, u'y'));                  // too large
      case 4: return std::string((size_t)Random(0, 5), '\xFF');   // not Unicode
      case 5: return "\xFE\xFF\x00\x61";
      case 6: return "\xFF\xFE\x61";
      default: return Encode(RandomText(Random(0, 2500)) + (Chance(2) ? Units(1, 0) : u""));
    }
  }

  // With chance 1 in 5, one class of faults fails once or up to most times
  // in a row, from its first, second or later call on.
  void Arm(const std::vector<Fault> &faults, int latestUse = 2, int most = 2) {
    if (!Chance(5)) return;
    Fault fault = Pick(faults);
    int k = Chance(3) ? Random(2, latestUse + 1) : 1, n = Random(1, most);
    fake::FailCalls(fault, k, n);
    armed.push_back(fault);
    failsTwice = n == 2;
    step << " [faults from call " << k << ", " << n << "x]";
    injected++;
  }

  std::vector<std::string> Struck() const {
    return {fake::StruckCalls().begin() + (long)struckBefore, fake::StruckCalls().end()};
  }

  // ---- The operations: each predicts itself, then is sent ---------------------

  // A WM_CHAR unit: ignored below 32, as DEL, while the picker has the
  // keyboard, and as the low half of a refused pair; a high half goes in
  // only with room for its low half.
  void TypeUnit(Step &s, char16_t unit) {
    step << "char " << std::hex << (int)unit << std::dec;
    if (!PickerKeyboardMode) {
      bool lowOfRefused = dropLowSurrogate && IS_LOW_SURROGATE(unit);
      dropLowSurrogate = false;
      int selected = s.after.active ? s.after.end - s.after.start : 0;
      if (IS_HIGH_SURROGATE(unit) && (int)s.after.text.size() + 1 - selected + 2 > DocumentCapacity) {
        s.caption = "Can Not Add Character";
        s.failure = "Input exceeds memory limit";
      } else if (unit >= 32 && unit != 127 && !lowOfRefused) {
        Insert(s, Units(1, unit), "Can Not Add Character");
        Arm(EditFaults);
      }
      if (IS_HIGH_SURROGATE(unit)) s.post = [this](bool failed, std::ostream &) { dropLowSurrogate = failed; };
    }
    fake::Send(WM_CHAR, unit, 0);
  }

  void TypeCharacter(Step &s) {
    static const Units printable = u"abcdefgjpqy fW.,0 \u4E2D\u0301\u200B\u00E9\u20AC\u0416\uFEFF\uFFFF";
    int choice = Random(0, 99);
    char16_t unit = printable[(size_t)Random(0, (int)printable.size() - 1)];
    if (pendingLowSurrogate) {
      unit = pendingLowSurrogate;
      pendingLowSurrogate = 0;
    } else if (choice >= 97) {
      unit = (char16_t)Random(0xD800, 0xDFFF);  // half a pair alone
    } else if (choice >= 90) {
      unit = (char16_t)Random(0xD800, 0xDBFF);  // its low half comes next
      pendingLowSurrogate = (char16_t)Random(0xDC00, 0xDFFF);
    } else if (choice >= 75) {
      unit = (char16_t)(Chance(4) ? 127 : Random(0, 31));
    }
    TypeUnit(s, unit);
  }

  void PressKey(Step &s) {
    int choice = Random(0, 9);
    int key = choice < 6 ? MovementKeys[Random(0, 7)] : choice < 9 ? OtherKeys[Random(0, 7)] : VK_TAB;
    bool shift = choice == 9 || Chance(3), ctrl = Chance(5), release = !Chance(4);  // else held: the next repeats
    SendKey(s, key, shift, ctrl, release);
  }

  void SendKey(Step &s, int key, bool shift, bool ctrl = false, bool release = true) {
    step << "key " << key << (shift ? " shift" : "") << (ctrl ? " ctrl" : "") << (release ? "" : " held");
    if (PickerKeyboardMode) {
      if ((key == VK_RETURN || key == VK_SPACE) && PickerFocus >= PickerFirstCell) {
        Type(s, PickerRow * 10 + PickerFocus - PickerFirstCell);
        Arm(EditFaults);
      }
    } else if (std::find(std::begin(MovementKeys), std::end(MovementKeys), key) != std::end(MovementKeys)) {
      s.moves = true;
      s.shift = shift;
    } else if (key == VK_RETURN || (key == VK_TAB && !shift)) {
      Insert(s, key == VK_RETURN ? u"\r\n" : u"    ", "Can Not Add Characters");
      Arm(EditFaults);
    } else if (key == VK_BACK || key == VK_DELETE) {
      DeleteKey(s, key == VK_BACK);
      Arm(EditFaults);
    } else if (key == VK_ESCAPE) {
      s.after.active = false;
    }
    fake::HoldKey(VK_SHIFT, shift);
    fake::HoldKey(VK_CONTROL, ctrl);
    fake::Send(WM_KEYDOWN, (WPARAM)key, 1);
    if (release) fake::Send(WM_KEYUP, (WPARAM)key, (LPARAM)0xC0000001u);
    fake::HoldKey(VK_SHIFT, false);
    fake::HoldKey(VK_CONTROL, false);
  }

  // A press anywhere in the client area or on a picker button, then its
  // release; Up and Down are held for some ticks of their timer.
  void Press(Step &s) {
    POINT p = Chance(3) ? PickerButtonCentre(Random(0, PickerButtonCount - 1))
                        : POINT{Random(0, fake::ClientWidth() - 1), Random(0, fake::ClientHeight() - 1)};
    bool shift = Chance(3);
    step << (shift ? "shift+" : "") << "press " << p.x << "," << p.y;
    if (Inside(PickerFrame, p)) {
      int button = 0;
      while (button < PickerButtonCount - 1 && !Inside(PickerRects[button], p)) button++;
      if (button >= PickerFirstCell) {
        Type(s, PickerRow * 10 + button - PickerFirstCell);
        Arm(EditFaults);
      }
    } else {
      s.moves = true;
      s.shift = shift;
    }
    fake::HoldKey(VK_SHIFT, shift);
    PressAt(p.x, p.y);
    fake::HoldKey(VK_SHIFT, false);
    for (int ticks = Random(0, 25); ticks > 0 && fake::TimerPeriod(PickerRepeatTimer); ticks--) {
      fake::FireTimer(PickerRepeatTimer);
    }
    ReleaseAt(p.x, p.y);
  }

  // Select All, Cut, Copy, Paste (of what another program put there, too) and Delete.
  void Edit(Step &s) {
    static const std::vector<int> commands = {IDM_EDIT_SELECT_ALL, IDM_EDIT_CUT,   IDM_EDIT_COPY,
                                              IDM_EDIT_PASTE,      IDM_EDIT_PASTE, IDM_EDIT_DELETE};
    int command = Pick(commands);
    if (command == IDM_EDIT_PASTE && Chance(2)) {
      Units units = Chance(10) ? RandomText(Random(100, 4000)) : RandomText(40).substr(0, (size_t)Random(0, 40));
      fake::PutClipboardUnits(units);
      clipboardBytes = 2 * units.size();
      step << "clipboard of " << units.size() << " units; ";
      if (Chance(8)) {  // a rounded-up or hostile size
        static const std::vector<size_t> sizes = {0, 1, 3, 70000, (size_t)1 << 32};
        clipboardBytes = Chance(2) ? Pick(sizes) : 2 * units.size() + (size_t)Random(1, 9);
        fake::SetClipboardReportedSize(clipboardBytes);
        step << "reported as " << clipboardBytes << " bytes; ";
      }
    } else if (command == IDM_EDIT_PASTE && Chance(20)) {
      fake::EmptyClipboardElsewhere();
      step << "clipboard emptied; ";
    }
    EditCommand(s, command);
  }

  void EditCommand(Step &s, int command) {
    Document &d = s.after;
    s.holdsResources = true;
    step << "command " << command;
    if (command == IDM_EDIT_SELECT_ALL) {
      d.caret = d.end = (int)d.text.size();
      d.start = 0;
      d.active = !d.text.empty();
    } else if (command == IDM_EDIT_DELETE) {
      DeleteSelection(s, "Can Not Delete");
    } else if (command == IDM_EDIT_PASTE && fake::ClipboardHoldsText()) {
      // The units GlobalSize reports, padded as the double pads; a larger block never fits.
      Units units = fake::ClipboardUnits();
      units.resize(std::min<size_t>(clipboardBytes, 80000) / 2, u'A');
      s.caption = "Can Not Paste";
      if (clipboardBytes == 0) s.failure = "Can not obtain a handle to the Clipboard memory object";
      else Insert(s, units.substr(0, units.find(u'\0')), "Can Not Paste");
    } else if (command == IDM_EDIT_CUT || command == IDM_EDIT_COPY) {
      Units copied = d.active ? d.text.substr((size_t)d.start, (size_t)(d.end - d.start)) + Units(1, 0) : u"";
      s.caption = command == IDM_EDIT_CUT ? "Can Not Cut" : "Can Not Copy";
      if (command == IDM_EDIT_CUT) DeleteSelection(s, "Can Not Cut");
      s.post = [this, copied](bool failed, std::ostream &problems) {
        bool holds = fake::ClipboardHoldsText() && fake::ClipboardUnits() == copied;
        if (!copied.empty() && !failed && !holds) problems << "the clipboard does not hold the selection and a 0; ";
        if (!copied.empty() && holds) clipboardBytes = 2 * copied.size();
      };
    }
    if (command != IDM_EDIT_SELECT_ALL) Arm(command == IDM_EDIT_DELETE ? EditFaults : ClipboardFaults);
    Command(command);
  }

  std::string SavePath() {
    static const std::vector<std::string> names = {"\\a.txt", "\\b.txt", "\\c", "\\r1.txt", ""};
    const std::string &name = Pick(names);
    return name.empty() ? "" : Folder + name;
  }

  // The Save dialog answered with path ("" cancels), and the write. A failed
  // write leaves the file that was there, or when the old bytes could not be
  // put back, their copy in the temporary folder; no other copy stays there.
  void Save(Step &s, const std::string &path) {
    fake::AnswerNextFileDialog(path);
    step << " save as \"" << path << "\"";
    if (path.empty()) return;
    std::string chosen = Chosen(path);
    std::string old = fake::FileExists(chosen) ? fake::FileBytes(chosen) : "none";
    std::string bytes = Encode(s.after.text + Units(1, 0));
    s.after.saved = s.after.text;
    s.after.title = TitleOf(chosen);
    s.caption = "Can Not Save File";
    if (readOnly.count(chosen)) s.failure = "Can not write to the selected file";
    s.post = [this, chosen, old, bytes](bool failed, std::ostream &problems) {
      std::string now = fake::FileExists(chosen) ? fake::FileBytes(chosen) : "none";
      std::vector<std::string> copies;
      for (const std::string &file : fake::FilePaths()) {
        if (file.rfind(fake::TemporaryFolder, 0) == 0) copies.push_back(file);
      }
      // With one failure the old bytes always go back; with a second one they may not.
      bool copyKept = failed && failsTwice && copies.size() == 1 && fake::FileBytes(copies[0]) == old;
      if (now != (failed ? old : bytes) && !copyKept) {
        problems << chosen << (failed ? " changed" : " lacks the text") << "; ";
      }
      std::vector<std::string> struck = Struck();
      bool deleteFailed = std::count(struck.begin(), struck.end(), "DeleteFileA") > 0;
      if (!copies.empty() && !copyKept && !deleteFailed) problems << "a copy left in the temporary folder; ";
      for (const std::string &copy : copies) DeleteFileA(copy.c_str());
    };
  }

  // The question before a changed document is given up: true when the command goes on.
  bool Discard(Step &s, bool noAllowed) {
    if (s.after.text == s.after.saved) return true;
    int answer = noAllowed && Chance(2) ? IDNO : Chance(2) ? IDYES : IDCANCEL;
    step << " answer " << (answer == IDNO ? "no" : answer == IDYES ? "yes" : "cancel") << ";";
    s.asked = 1;
    fake::AnswerNextMessageBox(answer);
    if (answer == IDYES) Save(s, SavePath());
    return answer == IDNO;
  }

  // New, Open, Save, and Exit on a changed document (whose No would end the program).
  void File(Step &s) {
    static const std::vector<int> commands = {IDM_FILE_NEW, IDM_FILE_OPEN, IDM_FILE_OPEN, IDM_FILE_SAVE,
                                              IDM_FILE_EXIT};
    Document &d = s.after;
    int command = Pick(commands);
    if (command == IDM_FILE_EXIT && d.text == d.saved) command = IDM_FILE_SAVE;
    step << "command " << command << ";";
    s.holdsResources = true;
    bool goesOn = false;
    if (command == IDM_FILE_SAVE) Save(s, SavePath());
    else goesOn = Discard(s, command != IDM_FILE_EXIT);
    if (goesOn && command == IDM_FILE_NEW) {
      d.text = d.saved = u"";
      d.title = "Scrivlet";
    } else if (goesOn) {
      if (Chance(3)) fake::PutFile(Folder + "\\r" + std::to_string(Random(0, 7)) + ".txt", RandomFile());
      if (Chance(10) && !fake::FilePaths().empty()) {
        std::string file = Pick(fake::FilePaths());
        readOnly.insert(file);
        fake::MarkReadOnly(file);
      }
      std::string path = Chance(8) ? "" : Pick(fake::FilePaths());
      fake::AnswerNextFileDialog(path);
      step << " open \"" << path << "\"";
      Units text;
      s.caption = "Can Not Open File";
      goesOn = !path.empty() && Decode(fake::FileBytes(path), &text, &s.failure);
      if (goesOn) d.text = d.saved = text, d.title = TitleOf(Chosen(path));
    }
    if (goesOn) d.caret = 0, d.active = false, s.toTop = true;
    Arm(FileFaults, 20);
    Command(command);
  }

  // Print on paper of random size and resolution: a job that reports no
  // failure holds every unit but the line ends; a failed one is aborted.
  void Print(Step &s) {
    static const std::vector<int> resolutions = {72, 96, 150, 300, 600};
    int dpi = Pick(resolutions), dpiY = Chance(4) ? dpi * Random(1, 4) / 2 : dpi;
    int answer = Random(0, 5);  // 0 cancels, 1 gives no DC
    step << "print at " << dpi << "x" << dpiY << " dpi, answer " << answer;
    fake::SetPrinter(dpi, dpiY, dpi * Random(40, 120) / 10, dpiY * Random(30, 170) / 10, Random(0, dpi / 4),
                     Random(0, dpiY / 4));
    fake::AnswerNextPrintDialog(answer != 0, answer != 1);
    s.caption = "Can Not Print";
    s.holdsResources = true;
    if (answer == 1) s.failure = "Can not obtain a Printer DC";
    Units body;
    for (size_t i = 0; i < s.after.text.size(); i++) {
      if (IsLineBreak(s.after.text, (int)i)) i++;
      else body += s.after.text[i];
    }
    Arm(PrinterFaults, LineCount / 20 + 1, 1);  // a failed AbortDoc would leave the job to the spooler
    size_t jobs = fake::PrintJobs().size(), texts = fake::PrintedTexts().size();
    s.post = [jobs, texts, body, answer](bool failed, std::ostream &problems) {
      const std::vector<fake::PrintJob> &all = fake::PrintJobs();
      bool started = all.size() == jobs + 1;
      if (answer <= 1 && all.size() != jobs) problems << "a job without a printer; ";
      if (failed && started && all.back().end != fake::JobEnd::kAborted) problems << "a failed job not aborted; ";
      if (answer <= 1 || failed) return;
      if (!started || all.back().end != fake::JobEnd::kEnded) problems << "no job ended; ";
      Units printed;
      for (size_t i = texts; i < fake::PrintedTexts().size(); i++) {
        const Units &text = fake::PrintedTexts()[i].text;
        if (text.size() == 1) printed += text;  // the units one at a time; a page number is "(n)"
      }
      problems << Difference("printed text", body, printed);
    };
    Command(IDM_FILE_PRINT);
  }

  // A point size or word wrap: the caret goes to the top, the selection stays.
  void Settings(Step &s) {
    bool points = Chance(2);
    ChangeSetting(s, points, points ? Random(8, 72) : Chance(2) ? IDM_WORD_WRAP_YES : IDM_WORD_WRAP_NO);
  }

  void ChangeSetting(Step &s, bool points, int value) {
    Document &d = s.after;
    step << (points ? "points " : "wrap ") << value;
    int &setting = points ? d.points : d.wrap;
    s.toTop = value != setting;
    s.keepsCaretAtAnEnd = false;
    if (s.toTop) d.caret = 0, setting = value;
    if (!points) {
      s.caption = "Can Not Adjust Word Wrap";
      Arm(EditFaults);
    }
    Command(points ? IDM_POINT_SIZE_BASE + value : value);
  }

  void Scroll(Step &) {
    static const std::vector<int> requests = {SB_LINEUP,     SB_LINEDOWN,      SB_PAGEUP,   SB_PAGEDOWN,
                                              SB_THUMBTRACK, SB_THUMBPOSITION, SB_ENDSCROLL};
    int request = Pick(requests), position = Random(0, std::max(ScrollMax, 0) + 2);
    step << "scroll " << request << " " << position;
    fake::Send(WM_VSCROLL, MAKEWPARAM(request, position), 0);
  }

  void About(Step &s) {
    step << "about";
    s.asked = 1;
    Command(IDM_ABOUT);
  }

  // ---- Sequences chance seldom strings together ---------------------------------
  // Each is its first step and the steps queued behind it: operations whose
  // choices are fixed.

  // The caret strictly inside a selection: Ctrl+Home, Right and a Shift move
  // onwards select near the top, a smaller point size puts the caret at 0 and keeps
  // the selection, then Shift moves.
  void CaretInsideTheSelection(Step &s) {
    static const int forwards[] = {VK_RIGHT, VK_DOWN, VK_END, VK_NEXT};
    step << "[caret inside the selection] ";
    queued = {[this](Step &s) { SendKey(s, VK_RIGHT, false); },
              [this](Step &s) { SendKey(s, forwards[Random(0, 3)], true); },
              [this](Step &s) { ChangeSetting(s, true, Random(8, std::max(s.after.points - 1, 9))); },
              [this](Step &s) { SendKey(s, MovementKeys[Random(0, 7)], true); }};
    SendKey(s, VK_HOME, false, true);
  }

  // The caret between a CR and an LF that deleting brought together, then a
  // Shift move back: a selection that ends on the LF and so holds the CR.
  void CaretBetweenCrAndLf(Step &s) {
    static const int backwards[] = {VK_LEFT, VK_UP, VK_HOME, VK_PRIOR};
    step << "[caret between CR and LF] clipboard \\rX\\n; ";
    fake::PutClipboardUnits(u"\rX\n");
    clipboardBytes = 6;
    queued = {[this](Step &s) { SendKey(s, VK_LEFT, false); }, [this](Step &s) { SendKey(s, VK_BACK, false); },
              [this](Step &s) { SendKey(s, backwards[Random(0, 3)], true); }};
    EditCommand(s, IDM_EDIT_PASTE);
  }

  // ---- The checks after each step --------------------------------------------

  // A press or a movement key: the caret from the program; Shift extends the
  // selection from its anchor, no Shift drops it once the caret moved. A key
  // at an edge and a press off the text change neither.
  static void Place(Step &s, const Document &before, const Document &actual) {
    Document &e = s.after;
    e.caret = actual.caret;
    int anchor = !before.active ? before.caret : before.caret == before.start ? before.end : before.start;
    e.start = std::min(anchor, actual.caret);
    e.end = std::max(anchor, actual.caret);
    e.active = s.shift && e.start < e.end;
    if (actual.caret == before.caret && actual.SameSelection(before)) {
      e.active = before.active, e.start = before.start, e.end = before.end;
    }
  }

  void Check(int n, Step &s, const Document &before, size_t boxes, int parts) {
    std::ostringstream problems;
    int failures = 0;
    std::string shown;
    for (size_t i = boxes; i < fake::MessageBoxes().size(); i++) {
      const fake::MessageBoxRecord &box = fake::MessageBoxes()[i];
      step << "; box \"" << box.caption << ": " << box.text << "\"";
      if (box.style != (MB_OK | MB_ICONEXCLAMATION)) continue;  // a question or About
      failures++;
      shown = box.text;
      if (box.caption != s.caption) problems << "caption \"" << box.caption << "\", expected \"" << s.caption << "\"; ";
    }
    reported += failures;
    int asked = (int)(fake::MessageBoxes().size() - boxes) - failures;
    if (asked != s.asked) problems << asked << " questions, expected " << s.asked << "; ";
    if (failures > 1) problems << failures << " failures reported; ";
    if (!s.failure.empty() && failures == 0) problems << "no failure reported, expected \"" << s.failure << "\"; ";
    std::vector<std::string> struck = Struck();
    for (const std::string &call : struck) step << "; " << call << " failed";
    if (struck.empty() && failures == 1 && shown != s.failure) {
      problems << "reported \"" << shown << "\", expected \"" << s.failure << "\"; ";
    }
    if (s.post) s.post(failures > 0, problems);

    Document actual = ProgramDocument();
    if (failures > 0) s.after = before;  // a reported failure changes nothing
    else if (s.moves) Place(s, before, actual);
    problems << Difference(s.after, actual);
    bool wasAtAnEnd = !before.active || before.caret == before.start || before.caret == before.end;
    if (s.keepsCaretAtAnEnd && wasAtAnEnd && actual.active && actual.caret != actual.start &&
        actual.caret != actual.end) {
      problems << "the caret left the selection's ends; ";
    }
    if (s.moves && actual.caret != before.caret && IsLineBreak(actual.text, actual.caret - 1)) {
      problems << "the caret between CR and LF; ";
    }
    if (s.toTop && failures == 0 && ScrollLine != 0) problems << "the view is not at the top; ";
    if (PickerFocus != PickerUp && PickerFocus != PickerDown && PickerFocus < PickerFirstCell) {
      problems << "picker focus " << PickerFocus << "; ";
    }
    problems << LayoutInvariantViolation() << StateInvariantViolation();
    std::string stale = StaleScreen();
    if (!stale.empty()) problems << "stale pixels: " << stale << "; ";
    const std::vector<std::string> &misuse = fake::Misuse();
    for (; misuseSeen < misuse.size(); misuseSeen++) problems << "misuse: " << misuse[misuseSeen] << "; ";
    if (fake::HeapBytesInUse() != 0) problems << fake::HeapBytesInUse() << " heap bytes held; ";
    if (n % 50 == 49 || s.holdsResources) {
      std::vector<std::string> leaks = fake::Leaks();
      for (; leaksSeen < leaks.size(); leaksSeen++) problems << "leak: " << leaks[leaksSeen] << "; ";
    }
    if (testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count() != parts) {
      problems << "the double reported a failure; ";
    }

    history.push_back(std::to_string(n) + ": " + step.str());
    if (!problems.str().empty()) {
      found++;
      std::ostringstream tail;
      for (size_t i = history.size() > 300 ? history.size() - 300 : 0; i < history.size(); i++) {
        tail << history[i] << "\n";
      }
      ADD_FAILURE() << "seed " << SeedOf(GetParam()) << ", step " << n << ": " << problems.str()
                    << "\nthe steps up to it (the same seed replays them):\n"
                    << tail.str();
    }
    model = actual;
  }

  void RunStep(int n) {
    using Operation = void (ModelTest::*)(Step &);
    static const std::pair<int, Operation> operations[] = {
        {200, &ModelTest::TypeCharacter}, {330, &ModelTest::PressKey}, {100, &ModelTest::Press},
        {140, &ModelTest::Edit},          {60, &ModelTest::File},      {25, &ModelTest::Settings},
        {30, &ModelTest::Scroll},         {12, &ModelTest::Print},     {3, &ModelTest::About},
        {6, &ModelTest::CaretInsideTheSelection}, {6, &ModelTest::CaretBetweenCrAndLf}};
    std::function<void(Step &)> operation = [this](Step &s) { TypeCharacter(s); };  // the low half of a pair comes next
    if (!pendingLowSurrogate && !queued.empty()) {
      operation = queued.front();
      queued.erase(queued.begin());
    } else if (!pendingLowSurrogate) {
      int choice = Random(0, 911);
      for (const auto &o : operations) {
        if (choice >= 0 && choice < o.first) operation = [this, o](Step &s) { (this->*o.second)(s); };
        choice -= o.first;
      }
    }
    Step s{model};
    Document before = model;
    size_t boxes = fake::MessageBoxes().size();
    int parts = testing::UnitTest::GetInstance()->current_test_info()->result()->total_part_count();
    step.str("");
    armed.clear();
    struckBefore = fake::StruckCalls().size();
    operation(s);
    for (Fault fault : armed) fake::FailCalls(fault, 1, 0);
    Check(n, s, before, boxes, parts);
  }
};

}  // namespace

TEST_P(ModelTest, EveryOperationKeepsTheProgramWithTheModel) {
  auto [points, wrap, dpi, height] = GetParam();
  PointSize = -points;
  WordWrapChoice = wrap;
  fake::MakeFolder(Folder);
  fake::SetScreenDpi(dpi);
  StartProgram(600, height);
  fake::SetRecording(false);
  random.seed(SeedOf(GetParam()));
  fake::PutFile(Folder + "\\start.txt", Encode(RandomText(1200)));
  for (int i = 0; i < 8; i++) fake::PutFile(Folder + "\\r" + std::to_string(i) + ".txt", RandomFile());
  fake::AnswerNextFileDialog(Folder + "\\start.txt");
  Command(IDM_FILE_OPEN);
  model = ProgramDocument();

  const char *times = std::getenv("SCRIVLET_MODEL_STEPS");
  int steps = StepsPerInstance * (times && std::atoi(times) > 0 ? std::atoi(times) : 1), n = 0;
  for (; n < steps && found < 3 && !fake::WindowDestroyed(); n++) RunStep(n);
  std::printf("[ model    ] %d operations, %d failures injected, %d reported, %d failures found\n", n, injected,
              reported, found);
}

INSTANTIATE_TEST_SUITE_P(SizesWrapResolutionsAndHeights, ModelTest,
                         testing::Combine(testing::Values(9, 14, 20, 36, 72),
                                          testing::Values(IDM_WORD_WRAP_YES, IDM_WORD_WRAP_NO),
                                          testing::Values(72, 96), testing::Values(285, 700)));
