// The clipboard and movable global memory of the Win32 double. A block is a
// real allocation of exactly its size, so a read past it shows under ASan;
// the clipboard takes the blocks given to it and frees them when it is
// emptied or replaced, as Windows does, and the program may use them only
// while it has the clipboard open.
#include "fake_win32.h"
#include "fake_win32_internal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

using namespace fake_internal;

namespace {

struct GlobalBlock {
  unsigned char *bytes;  // NULL once freed
  SIZE_T size;           // as allocated
  SIZE_T reported;       // what GlobalSize says
  SIZE_T readable;       // bytes behind the pointer, at least size and 1
  int locks;
  bool clipboards;  // the clipboard owns it; only the system frees it
};

struct Clipboard {
  // What is still held at exit is freed here, or the leak checker, which runs
  // after this is destroyed, would blame what the clipboard rightly keeps.
  ~Clipboard() {
    for (GlobalBlock &block : blocks) std::free(block.bytes);
  }
  std::vector<GlobalBlock> blocks;  // every block made, by handle index
  bool open = false;                // by the program
  HWND opener = nullptr;
  bool heldElsewhere = false;
  bool holds = false;  // a CF_UNICODETEXT block is on the clipboard
  size_t data = 0;     // its index while it holds one
  HWND owner = nullptr;
};

Clipboard c;

HGLOBAL Handle(size_t index) { return MakeHandle<HGLOBAL>(kGlobal, index); }

// ---- Call log -------------------------------------------------------------


const char *Failed(bool ok) { return ok ? "" : " -> FALSE"; }

std::string FormatName(UINT format) { return format == CF_UNICODETEXT ? "CF_UNICODETEXT" : std::to_string(format); }

std::string AllocationFlags(UINT flags) {
  std::string text;
  for (auto [bit, name] : {std::pair<UINT, const char *>{GMEM_MOVEABLE, "GMEM_MOVEABLE"},
                           {GMEM_ZEROINIT, "GMEM_ZEROINIT"},
                           {GMEM_DDESHARE, "GMEM_DDESHARE"}}) {
    if (!(flags & bit)) continue;
    text += (text.empty() ? "" : " | ") + std::string(name);
    flags &= ~bit;
  }
  if (flags) text += (text.empty() ? "" : " | ") + std::to_string(flags);
  return text.empty() ? "0" : text;
}

// ---- Blocks ---------------------------------------------------------------

// The block behind handle while it lives, else NULL with misuse reported.
GlobalBlock *LiveBlock(HGLOBAL handle, const char *function) {
  size_t index;
  if (Decode(handle, kGlobal, c.blocks.size(), &index) && c.blocks[index].bytes) return &c.blocks[index];
  ReportMisuse(std::string(function) + ": " + HandleName(handle) + " is not a live global block");
  return nullptr;
}

// A live block the program may use now: the clipboard's only while it has
// the clipboard open (it may be freed or replaced by others at any moment).
GlobalBlock *UsableBlock(HGLOBAL handle, const char *function) {
  GlobalBlock *block = LiveBlock(handle, function);
  if (!block || !block->clipboards || c.open) return block;
  ReportMisuse(std::string(function) + ": " + HandleName(handle) + " belongs to the clipboard, which is not open");
  return nullptr;
}

size_t MakeBlock(unsigned char *bytes, SIZE_T size) {
  c.blocks.push_back({bytes, size, size, std::max<SIZE_T>(size, 1), 0, false});
  return c.blocks.size() - 1;
}

// The system frees the clipboard's block when the clipboard is emptied or
// gets another; a lock the program still holds then points at freed memory.
void ReleaseClipboardBlock(const char *by) {
  if (!c.holds) return;
  GlobalBlock &block = c.blocks[c.data];
  if (block.locks) ReportMisuse(HandleName(Handle(c.data)) + " is freed by " + by + " while still locked");
  std::free(block.bytes);
  block.bytes = nullptr;
  c.holds = false;
}

bool CheckOpen(const char *function) {
  if (c.open) return true;
  ReportMisuse(std::string(function) + ": the clipboard is not open");
  return false;
}

bool CheckFormat(UINT format, const char *function) {
  if (format == CF_UNICODETEXT) return true;
  ReportMisuse(std::string(function) + ": format " + std::to_string(format) + " is not modelled (only CF_UNICODETEXT)");
  return false;
}

}  // namespace

// ---- KERNEL32 -------------------------------------------------------------

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
  HGLOBAL handle = nullptr;
  if (!(flags & GMEM_MOVEABLE) || (flags & ~(UINT)(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_DDESHARE))) {
    ReportMisuse("GlobalAlloc: only movable blocks (GMEM_MOVEABLE, GMEM_ZEROINIT, GMEM_DDESHARE) are modelled");
  } else if (!InjectedFailure("GlobalAlloc")) {
    auto *memory = static_cast<unsigned char *>(std::malloc(std::max<SIZE_T>(bytes, 1)));
    if (memory) {
      // Without GMEM_ZEROINIT the contents are garbage, so reliance on zeros shows.
      std::memset(memory, (flags & GMEM_ZEROINIT) ? 0 : 0xCD, bytes);
      handle = Handle(MakeBlock(memory, bytes));
    }
  }
  RecordCall("GlobalAlloc(", AllocationFlags(flags), ", ", bytes, ") -> ", handle);
  return handle;
}

LPVOID WINAPI GlobalLock(HGLOBAL handle) {
  GlobalBlock *block = UsableBlock(handle, "GlobalLock");
  LPVOID bytes = nullptr;
  if (block && !InjectedFailure("GlobalLock")) {
    ++block->locks;
    bytes = block->bytes;
  }
  RecordCall("GlobalLock(", handle, ") -> ", bytes ? HandleName(handle) + " bytes" : std::string("NULL"));
  return bytes;
}

// Nonzero while the block stays locked, as on Windows.
BOOL WINAPI GlobalUnlock(HGLOBAL handle) {
  GlobalBlock *block = UsableBlock(handle, "GlobalUnlock");
  if (block && block->locks == 0) {
    ReportMisuse("GlobalUnlock: " + HandleName(handle) + " is not locked");
    block = nullptr;
  }
  if (block) --block->locks;
  RecordCall("GlobalUnlock(", handle, ")");
  return block && block->locks > 0;
}

SIZE_T WINAPI GlobalSize(HGLOBAL handle) {
  SIZE_T size = 0;
  if (handle) {
    GlobalBlock *block = UsableBlock(handle, "GlobalSize");
    if (block) size = block->reported;
  }
  RecordCall("GlobalSize(", handle, ") -> ", size);
  return size;
}

// NULL on success; the handle when it cannot be freed.
HGLOBAL WINAPI GlobalFree(HGLOBAL handle) {
  GlobalBlock *block = handle ? LiveBlock(handle, "GlobalFree") : nullptr;
  bool ok = !handle || block;
  if (block && block->clipboards) {
    ReportMisuse("GlobalFree: " + HandleName(handle) + " belongs to the clipboard");
    ok = false;
  } else if (block && block->locks) {
    ReportMisuse("GlobalFree: " + HandleName(handle) + " is still locked");
    ok = false;
  }
  RecordCall("GlobalFree(", handle, ")", ok ? std::string() : " -> " + HandleName(handle));
  if (!ok) return handle;
  if (block) {
    std::free(block->bytes);
    block->bytes = nullptr;
  }
  return nullptr;
}

// ---- USER32 ---------------------------------------------------------------

BOOL WINAPI OpenClipboard(HWND window) {
  bool ok = CheckWindow(window, "OpenClipboard") && !InjectedFailure("OpenClipboard") && !c.heldElsewhere &&
            (!c.open || c.opener == window);
  if (ok) {
    c.open = true;
    c.opener = window;
  }
  RecordCall("OpenClipboard(", window, ")", Failed(ok));
  return ok;
}

BOOL WINAPI EmptyClipboard(void) {
  bool ok = CheckOpen("EmptyClipboard") && !InjectedFailure("EmptyClipboard");
  if (ok) {
    ReleaseClipboardBlock("EmptyClipboard");
    c.owner = c.opener;
  }
  RecordCall("EmptyClipboard()", Failed(ok));
  return ok;
}

// The clipboard takes the block: the program must not free it afterwards.
HANDLE WINAPI SetClipboardData(UINT format, HANDLE data) {
  GlobalBlock *block = nullptr;
  if (CheckOpen("SetClipboardData") && CheckFormat(format, "SetClipboardData")) {
    block = LiveBlock(data, "SetClipboardData");
  }
  if (block && block->clipboards) {
    ReportMisuse("SetClipboardData: " + HandleName(data) + " already belongs to the clipboard");
    block = nullptr;
  } else if (block && block->locks) {
    ReportMisuse("SetClipboardData: " + HandleName(data) + " is still locked");
    block = nullptr;
  }
  HANDLE result = block && !InjectedFailure("SetClipboardData") ? data : nullptr;
  if (result) {
    ReleaseClipboardBlock("SetClipboardData");
    block->clipboards = true;
    c.holds = true;
    c.data = (size_t)(block - c.blocks.data());
  }
  RecordCall("SetClipboardData(", FormatName(format), ", ", data, ") -> ", result);
  return result;
}

HANDLE WINAPI GetClipboardData(UINT format) {
  HANDLE data = nullptr;
  if (CheckOpen("GetClipboardData") && CheckFormat(format, "GetClipboardData") &&
      !InjectedFailure("GetClipboardData") && c.holds) {
    data = Handle(c.data);
  }
  RecordCall("GetClipboardData(", FormatName(format), ") -> ", data);
  return data;
}

BOOL WINAPI CloseClipboard(void) {
  bool ok = CheckOpen("CloseClipboard");
  if (ok && c.holds && c.blocks[c.data].locks) {
    ReportMisuse("CloseClipboard: " + HandleName(Handle(c.data)) + " is still locked");
  }
  c.open = false;
  c.opener = nullptr;
  RecordCall("CloseClipboard()", Failed(ok));
  return ok;
}

// Needs no open clipboard.
BOOL WINAPI IsClipboardFormatAvailable(UINT format) {
  bool available = format == CF_UNICODETEXT && c.holds;
  RecordCall("IsClipboardFormatAvailable(", std::to_string(format), ") -> ", available ? "TRUE" : "FALSE");
  return available;
}

// ---- Shared with fake_win32.cpp -------------------------------------------

namespace fake_internal {

size_t GlobalBlocksMade() { return c.blocks.size(); }

void AddClipboardLeaks(std::vector<std::string> &leaks) {
  for (size_t i = 0; i < c.blocks.size(); ++i) {
    const GlobalBlock &block = c.blocks[i];
    if (!block.bytes) continue;
    const std::string name = HandleName(Handle(i));
    if (!block.clipboards) leaks.push_back(name + " of " + std::to_string(block.size) + " bytes not freed");
    if (block.locks) leaks.push_back(name + " still locked");
  }
  if (c.open) leaks.push_back("the clipboard is still open");
}

}  // namespace fake_internal

// ---- What tests see -------------------------------------------------------

namespace fake {

void PutClipboardUnits(const std::u16string &units) {
  if (c.open) {
    ADD_FAILURE() << "fake::PutClipboardUnits: the program has the clipboard open";
    return;
  }
  ReleaseClipboardBlock("another program");
  const SIZE_T size = units.size() * sizeof(char16_t);
  auto *memory = static_cast<unsigned char *>(std::malloc(std::max<SIZE_T>(size, 1)));
  std::memcpy(memory, units.data(), size);
  c.data = MakeBlock(memory, size);
  c.blocks[c.data].clipboards = true;
  c.holds = true;
  c.owner = nullptr;
}

void SetClipboardReportedSize(SIZE_T bytes) {
  if (!c.holds || c.blocks[c.data].locks) {
    ADD_FAILURE() << "fake::SetClipboardReportedSize: the clipboard holds no block, or it is locked";
    return;
  }
  GlobalBlock &block = c.blocks[c.data];
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

void HoldClipboardOpenElsewhere(bool held) {
  if (held && c.open) ADD_FAILURE() << "fake::HoldClipboardOpenElsewhere: the program has the clipboard open";
  c.heldElsewhere = held;
}

bool ClipboardHoldsText() { return c.holds; }

std::u16string ClipboardUnits() {
  if (!c.holds) {
    ADD_FAILURE() << "fake::ClipboardUnits: the clipboard holds no text";
    return u"";
  }
  const GlobalBlock &block = c.blocks[c.data];
  std::u16string units(block.size / sizeof(char16_t), u'\0');
  std::memcpy(units.data(), block.bytes, units.size() * sizeof(char16_t));
  return units;
}

HWND ClipboardOwner() { return c.owner; }

}  // namespace fake
