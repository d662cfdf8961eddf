// The clipboard of the Win32 double: it holds one CF_UNICODETEXT global block
// (fake_memory.cpp) or nothing, takes the blocks given to it and frees them
// when it is emptied or replaced, as Windows does, and the program may use
// them only while it has the clipboard open.
#include "fake_win32_internal.h"

using namespace fake_internal;

namespace {

struct Clipboard {
  bool open = false;  // by the program
  HWND opener = nullptr;
  HGLOBAL data = nullptr;  // the CF_UNICODETEXT block it holds, if any
  HWND owner = nullptr;
};

Clipboard c;

const ValueName kFormatNames[] = {{CF_UNICODETEXT, "CF_UNICODETEXT"}};

// The system frees the clipboard's block when the clipboard is emptied or
// gets another; a lock the program still holds then points at freed memory.
void ReleaseClipboardBlock(const char *by) {
  if (!c.data) return;
  GlobalBlock &block = BlockOf(c.data);
  if (block.locks) ReportMisuse(c.data, " is freed by ", by, " while still locked");
  FreeGlobalBlock(block);
  c.data = nullptr;
}

bool CheckOpen(const char *function) { return c.open || ReportMisuse(function, ": the clipboard is not open"); }

bool CheckFormat(UINT format, const char *function) {
  return format == CF_UNICODETEXT ||
         ReportMisuse(function, ": format ", format, " is not modelled (only CF_UNICODETEXT)");
}

}  // namespace

bool fake_internal::ClipboardOpen() { return c.open; }

void fake_internal::AddClipboardLeaks(std::vector<std::string> &leaks) {
  if (c.open) leaks.push_back("the clipboard is still open");
}

// ---- USER32 ---------------------------------------------------------------

BOOL WINAPI OpenClipboard(HWND window) {
  bool ok = CheckWindow(window, "OpenClipboard") && !InjectedFailure(fake::Fault::kClipboard, "OpenClipboard") &&
            (!c.open || c.opener == window);
  if (ok) {
    c.open = true;
    c.opener = window;
  }
  Record("OpenClipboard(", window, ")", Failed(ok));
  return ok;
}

BOOL WINAPI EmptyClipboard(void) {
  bool ok = CheckOpen("EmptyClipboard") && !InjectedFailure(fake::Fault::kClipboard, "EmptyClipboard");
  if (ok) {
    ReleaseClipboardBlock("EmptyClipboard");
    c.owner = c.opener;
  }
  Record("EmptyClipboard()", Failed(ok));
  return ok;
}

// The clipboard takes the block: the program must not free it afterwards.
HANDLE WINAPI SetClipboardData(UINT format, HANDLE data) {
  GlobalBlock *block = nullptr;
  if (CheckOpen("SetClipboardData") && CheckFormat(format, "SetClipboardData")) {
    block = LiveBlock(data, "SetClipboardData");
  }
  if (block && block->clipboards) {
    ReportMisuse("SetClipboardData: ", data, " already belongs to the clipboard");
    block = nullptr;
  } else if (block && block->locks) {
    ReportMisuse("SetClipboardData: ", data, " is still locked");
    block = nullptr;
  }
  HANDLE result = block && !InjectedFailure(fake::Fault::kClipboard, "SetClipboardData") ? data : nullptr;
  if (result) {
    ReleaseClipboardBlock("SetClipboardData");
    block->clipboards = true;
    c.data = data;
  }
  Record("SetClipboardData(", Named{format, NameOf(format, kFormatNames)}, ", ", data, ") -> ", result);
  return result;
}

HANDLE WINAPI GetClipboardData(UINT format) {
  HANDLE data = nullptr;
  if (CheckOpen("GetClipboardData") && CheckFormat(format, "GetClipboardData") &&
      !InjectedFailure(fake::Fault::kClipboard, "GetClipboardData")) {
    data = c.data;
  }
  Record("GetClipboardData(", Named{format, NameOf(format, kFormatNames)}, ") -> ", data);
  return data;
}

BOOL WINAPI CloseClipboard(void) {
  bool ok = CheckOpen("CloseClipboard");
  if (ok && c.data && BlockOf(c.data).locks) ReportMisuse("CloseClipboard: ", c.data, " is still locked");
  c.open = false;
  c.opener = nullptr;
  Record("CloseClipboard()", Failed(ok));
  return ok;
}

// Needs no open clipboard.
BOOL WINAPI IsClipboardFormatAvailable(UINT format) {
  bool available = format == CF_UNICODETEXT && c.data;
  Record("IsClipboardFormatAvailable(", format, ") -> ", Bool{available});
  return available;
}

// ---- What tests see -------------------------------------------------------

namespace fake {

void PutClipboardUnits(const std::u16string &units) {
  if (c.open) {
    ADD_FAILURE() << "fake::PutClipboardUnits: the program has the clipboard open";
    return;
  }
  ReleaseClipboardBlock("another program");
  const SIZE_T size = units.size() * sizeof(char16_t);
  c.data = MakeGlobalBlock(size);
  std::memcpy(BlockOf(c.data).bytes, units.data(), size);
  BlockOf(c.data).clipboards = true;
  c.owner = nullptr;
}

void SetClipboardReportedSize(SIZE_T bytes) {
  if (!c.data || BlockOf(c.data).locks) {
    ADD_FAILURE() << "fake::SetClipboardReportedSize: the clipboard holds no block, or it is locked";
    return;
  }
  GlobalBlock &block = BlockOf(c.data);
  const SIZE_T readable = std::max(block.size, std::min<SIZE_T>(bytes, SIZE_T{1} << 20));
  if (readable > block.readable) {
    auto *memory = static_cast<unsigned char *>(std::realloc(block.bytes, readable));
    unsigned char pad[sizeof(char16_t)];
    const char16_t unit = u'A';
    std::memcpy(pad, &unit, sizeof pad);
    for (SIZE_T i = block.size; i < readable; ++i) memory[i] = pad[i % sizeof pad];
    block.bytes = memory;
    block.readable = readable;
  }
  block.reported = bytes;
}

void EmptyClipboardElsewhere() {
  if (c.open) {
    ADD_FAILURE() << "fake::EmptyClipboardElsewhere: the program has the clipboard open";
    return;
  }
  ReleaseClipboardBlock("another program");
  c.owner = nullptr;
}

bool ClipboardHoldsText() { return c.data != nullptr; }

std::u16string ClipboardUnits() {
  if (!c.data) {
    ADD_FAILURE() << "fake::ClipboardUnits: the clipboard holds no text";
    return u"";
  }
  const GlobalBlock &block = BlockOf(c.data);
  std::u16string units(block.size / sizeof(char16_t), u'\0');
  std::memcpy(units.data(), block.bytes, units.size() * sizeof(char16_t));
  return units;
}

HWND ClipboardOwner() { return c.owner; }

}  // namespace fake
