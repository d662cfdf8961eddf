// The plumbing every area of the Win32 double shares: handle names, the call
// log and its formatting, misuse and leak reports, and the injected failures.
#include "fake_win32_internal.h"

namespace fake_internal {

namespace {

// A class's switch: after skip calls of the class, failures calls fail.
struct InjectedFaults {
  int skip = 0;
  int failures = 0;
  bool shortWrites = false;  // a WriteFile it fails writes half its bytes and reports success
};

struct Core {
  bool recording = true;
  std::vector<std::string> calls;
  std::vector<std::string> misuse;
  std::map<fake::Fault, InjectedFaults> faults;  // one switch per class of failure
  std::vector<std::string> struck;               // the calls the switches failed, in order
};

Core core;

std::string RectText(const RECT &r) {
  return "{" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
         std::to_string(r.bottom) + "}";
}

}  // namespace

std::string HandleName(const void *handle) {
  if (!handle) return "NULL";
  if (handle == INVALID_HANDLE_VALUE) return "INVALID_HANDLE_VALUE";
  auto unknown = [handle] {
    char text[32];
    std::snprintf(text, sizeof text, "unknown %p", handle);
    return std::string(text);
  };
  const size_t index = reinterpret_cast<uintptr_t>(handle) >> 3;
  // Named while index is that of a handle made already.
  auto numbered = [&](const char *prefix, size_t made, size_t number) {
    return index < made ? prefix + std::to_string(number) : unknown();
  };
  switch (reinterpret_cast<uintptr_t>(handle) & 7) {
    case kWindow:
      return numbered("hwnd", WindowsMade(), index + 1);
    case kDcHandle:
      return numbered("hdc", DcsMade(), index + 1);
    case kFont:
      return index == 0 ? "systemfont" : numbered("hfont", FontsMade(), index);
    case kHeap:
      return index == 0 ? "heap" : unknown();
    case kStock:
      return index == kDevModeStock ? "hdevmode" : index == kDevNamesStock ? "hdevnames" : "stockobject";
    case kFile:
      return numbered("file", FileHandlesMade(), index + 1);
    case kBlock: {
      const int number = HeapBlockNumber(handle);
      return number ? "block" + std::to_string(number) : unknown();
    }
    default:  // kGlobal
      return numbered("hglobal", GlobalBlocksMade(), index + 1);
  }
}

// ---- Call log -------------------------------------------------------------

bool Recording() { return core.recording; }

void AppendCall(std::string entry) {
  if (core.recording) core.calls.push_back(std::move(entry));
}

void Append(std::string &s, const char *piece) { s += piece; }
void Append(std::string &s, const std::string &piece) { s += piece; }
void Append(std::string &s, int value) { s += std::to_string(value); }
void Append(std::string &s, UINT value) { s += std::to_string(value); }
void Append(std::string &s, size_t value) { s += std::to_string(value); }
void Append(std::string &s, long long value) { s += std::to_string(value); }
void Append(std::string &s, const void *handle) { s += HandleName(handle); }
void Append(std::string &s, const RECT *rect) { s += rect ? RectText(*rect) : "NULL"; }
void Append(std::string &s, Bool b) { s += b.value ? "TRUE" : "FALSE"; }
void Append(std::string &s, Named n) { s += n.name ? n.name : std::to_string(n.value); }

void Append(std::string &s, Hex h) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", h.value);
  s += text;
}

void Append(std::string &s, Quoted q) {
  if (!q.text) {
    s += "NULL";
    return;
  }
  s += '"';
  for (size_t i = 0; i < q.length; ++i) {
    unsigned char c = (unsigned char)q.text[i];
    if (q.escapes == Escapes::kNone) {
      s += (char)c;
    } else if (c == '"' || (c == '\\' && q.escapes == Escapes::kAll)) {
      s += '\\';
      s += (char)c;
    } else if (c == '\n') {
      s += "\\n";
    } else if (c < 0x20 || c >= 0x7F) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      s += escaped;
    } else {
      s += (char)c;
    }
  }
  s += '"';
}

void Append(std::string &s, Flags f) {
  std::string text;
  DWORD rest = f.value;
  for (size_t i = 0; i < f.count; ++i) {
    const DWORD bit = (DWORD)f.names[i].value;
    if (!(rest & bit)) continue;
    if (!text.empty()) text += " | ";
    text += f.names[i].name;
    rest &= ~bit;
  }
  if (rest) {
    if (!text.empty()) text += " | ";
    f.decimalRest ? Append(text, rest) : Append(text, Hex{rest});
  }
  s += text.empty() ? "0" : text;
}

// ---- Misuse and injected failures ---------------------------------------------

void AddMisuse(std::string what) {
  core.misuse.push_back(what);
  ADD_FAILURE() << "Win32 misuse: " << what;
}

bool CheckPointer(const void *pointer, const char *function, const char *what) {
  return pointer || ReportMisuse(function, ": NULL ", what);
}

bool InjectedFailure(fake::Fault kind, const char *function) {
  InjectedFaults &faults = core.faults[kind];
  if (faults.failures == 0) return false;
  if (faults.skip > 0) {
    --faults.skip;
    return false;
  }
  --faults.failures;
  core.struck.push_back(function);
  return true;
}

bool WritesShort() { return core.faults[fake::Fault::kFileIo].shortWrites; }

// ---- Geometry ---------------------------------------------------------------

void Grid::Resize(int newWidth, int newHeight, uint8_t fill) {
  Grid resized{std::max(newWidth, 0), std::max(newHeight, 0), {}};
  resized.cells.assign((size_t)resized.width * (size_t)resized.height, fill);
  for (int y = 0; y < std::min(height, resized.height); ++y) {
    std::copy_n(Row(y), std::min(width, resized.width), resized.Row(y));
  }
  *this = std::move(resized);
}

std::string BandsText(const Grid &mask) {
  std::string text;
  std::vector<std::pair<int, int>> band, row;
  int bandTop = 0;
  for (int y = 0; y <= mask.height; ++y) {
    row.clear();
    for (int x = 0; y < mask.height && x < mask.width; ++x) {
      if (!mask.At(x, y)) continue;
      if (!row.empty() && row.back().second == x) {
        row.back().second = x + 1;
      } else {
        row.push_back({x, x + 1});
      }
    }
    if (row == band) continue;
    for (const auto &span : band) {
      if (!text.empty()) text += ' ';
      text += RectText({span.first, bandTop, span.second, y});
    }
    band = row;
    bandTop = y;
  }
  return text;
}

}  // namespace fake_internal

using namespace fake_internal;

namespace fake {

const std::vector<std::string> &Calls() { return core.calls; }

std::vector<std::string> CallsTo(const std::vector<std::string> &names) {
  std::vector<std::string> found;
  for (const std::string &entry : core.calls) {
    std::string name = entry.substr(0, entry.find_first_of("( "));
    if (std::find(names.begin(), names.end(), name) != names.end()) found.push_back(entry);
  }
  return found;
}

void ClearCalls() { core.calls.clear(); }
void Note(const std::string &entry) { AppendCall(entry); }
void SetRecording(bool on) { core.recording = on; }

void FailCalls(Fault kind, int k, int n) {
  if (k < 1 || n < 0) ADD_FAILURE() << "fake::FailCalls: k counts from 1 and n from 0";
  bool shortWrites = kind == Fault::kShortWrite;
  if (shortWrites) kind = Fault::kFileIo;
  core.faults[kind] = {std::max(k - 1, 0), std::max(n, 0), shortWrites};
}

const std::vector<std::string> &StruckCalls() { return core.struck; }

const std::vector<std::string> &Misuse() { return core.misuse; }

std::vector<std::string> Leaks() {
  std::vector<std::string> leaks;  // each area's part, always in this order: tests compare whole lists
  for (auto add : {AddDcLeaks, AddFontLeaks, AddHeapLeaks, AddFileLeaks, AddGlobalLeaks, AddClipboardLeaks,
                   AddPrinterLeaks}) {
    add(leaks);
  }
  return leaks;
}

}  // namespace fake
