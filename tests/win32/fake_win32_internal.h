// What the parts of the Win32 double share among themselves (not for tests):
// the handle encoding, the call log, misuse reports, injected failures and
// geometry (fake_core.cpp), then what each area lends the others.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fake_win32.h"

namespace fake_internal {

// ---- Handles ----------------------------------------------------------------

// A handle is (index << 3) | kind. The low bits are never zero, so a handle
// can never equal a heap block, which malloc aligns to at least 8 bytes.
enum Kind : uintptr_t {
  kBlock = 0,
  kWindow = 1,
  kDcHandle = 2,
  kFont = 3,
  kHeap = 4,
  kStock = 5,
  kFile = 6,
  kGlobal = 7,
};

// Stock-kind indexes: 0 every stock object, 1 the menu, then the printer's
// device mode and device names, which live as long as the program.
constexpr size_t kDevModeStock = 2;
constexpr size_t kDevNamesStock = 3;

template <typename Handle>
Handle MakeHandle(Kind kind, size_t index) {
  return reinterpret_cast<Handle>(static_cast<uintptr_t>(index << 3 | kind));
}

inline bool Decode(const void *handle, Kind kind, size_t count, size_t *index) {
  uintptr_t value = reinterpret_cast<uintptr_t>(handle);
  if ((value & 7) != kind || (value >> 3) >= count) return false;
  *index = value >> 3;
  return true;
}

// "hwnd1", "hglobal2", "NULL", "unknown 0x..." as the call log shows handles.
std::string HandleName(const void *handle);

// A record never comes back to life, so the first live one only moves up;
// scans start there so they stay short however many records a long run makes.
template <typename Record, typename IsLive>
size_t FirstLive(const std::vector<Record> &records, size_t *first, IsLive isLive) {
  while (*first < records.size() && !isLive(records[*first])) ++*first;
  return *first;
}

// ---- Call log ---------------------------------------------------------------
// Entries are built from cheap argument wrappers and formatted only while
// recording, so a benchmark with recording off pays almost nothing. An area
// adds a piece of its own by declaring Append for it beside its type.

struct Bool {
  BOOL value;
};
struct Hex {
  unsigned value;
};
struct Named {  // a constant printed by name when it has one
  long long value;
  const char *name;
};
enum class Escapes { kAll, kButBackslash, kNone };
struct Quoted {  // "NULL" for a null text
  const char *text;
  size_t length;
  Escapes escapes = Escapes::kAll;
};
inline Quoted Quote(const char *text, Escapes escapes = Escapes::kAll) {
  return {text, text ? std::strlen(text) : 0, escapes};
}
// Paths keep their backslashes as they are, to stay readable.
inline Quoted QuotePath(const char *path) { return Quote(path, Escapes::kButBackslash); }
struct ValueName {
  long long value;
  const char *name;
};
// The name value has in names, or NULL.
template <size_t count>
const char *NameOf(long long value, const ValueName (&names)[count]) {
  for (const ValueName &known : names) {
    if (known.value == value) return known.name;
  }
  return nullptr;
}
struct Flags {  // bits printed by name, joined with " | "; "0" when none
  DWORD value;
  const ValueName *names;
  size_t count;
  bool decimalRest;  // unnamed bits in decimal rather than hex
};
template <size_t count>
Flags FlagsOf(DWORD value, const ValueName (&names)[count], bool decimalRest = false) {
  return {value, names, count, decimalRest};
}

void Append(std::string &s, const char *piece);
void Append(std::string &s, const std::string &piece);
void Append(std::string &s, int value);
void Append(std::string &s, UINT value);
void Append(std::string &s, size_t value);
void Append(std::string &s, long long value);
void Append(std::string &s, const void *handle);
void Append(std::string &s, const RECT *rect);  // "NULL" for none
void Append(std::string &s, Bool b);
void Append(std::string &s, Hex h);
void Append(std::string &s, Named n);
void Append(std::string &s, Quoted q);
void Append(std::string &s, Flags f);

// A call's result on success, else "FALSE": show() builds it, only while recording.
template <typename Show>
struct ResultOr {
  ResultOr(bool succeeded, Show builder) : ok(succeeded), show(builder) {}
  bool ok;
  Show show;
};
template <typename Show>
void Append(std::string &s, const ResultOr<Show> &result) {
  s += result.ok ? result.show() : std::string("FALSE");
}

template <typename... Pieces>
std::string Entry(const Pieces &...pieces) {
  std::string entry;
  (Append(entry, pieces), ...);
  return entry;
}

bool Recording();
void AppendCall(std::string entry);
// The one way a call is logged, built only while recording.
template <typename... Pieces>
void Record(const Pieces &...pieces) {
  if (Recording()) AppendCall(Entry(pieces...));
}

// Calls that only report success print nothing unless they failed.
inline const char *Failed(bool ok) { return ok ? "" : " -> FALSE"; }

// ---- Misuse and injected failures ---------------------------------------------

void AddMisuse(std::string what);
// Records the misuse, the pieces formatted as in the call log, and fails the
// running test. Returns false, so that a check can return it.
template <typename... Pieces>
bool ReportMisuse(const Pieces &...pieces) {
  AddMisuse(Entry(pieces...));
  return false;
}
// False, with misuse reported, for a NULL pointer.
bool CheckPointer(const void *pointer, const char *function, const char *what);
// True when the switch of the class fails this call of function (fake::FailCalls).
bool InjectedFailure(fake::Fault kind, const char *function);
// True when the file-I/O switch was set as fake::Fault::kShortWrite.
bool WritesShort();

// ---- Geometry ---------------------------------------------------------------

inline RECT Intersect(const RECT &a, const RECT &b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}
inline bool Inside(const RECT &r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }
inline bool IsEmpty(const RECT &r) { return r.left >= r.right || r.top >= r.bottom; }
inline RECT Union(const RECT &a, const RECT &b) {
  if (IsEmpty(a)) return b;
  if (IsEmpty(b)) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

// One byte per client pixel: the framebuffer, the update region, a paint DC's clip.
struct Grid {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> cells;  // row-major
  uint8_t *Row(int y) { return cells.data() + (size_t)y * (size_t)width; }
  const uint8_t *Row(int y) const { return cells.data() + (size_t)y * (size_t)width; }
  uint8_t &At(int x, int y) { return Row(y)[x]; }
  uint8_t At(int x, int y) const { return Row(y)[x]; }
  RECT Bounds() const { return {0, 0, width, height}; }
  void Fill(const RECT &r, uint8_t value) {  // r inside the bounds
    for (int y = r.top; y < r.bottom; ++y) std::fill(Row(y) + r.left, Row(y) + r.right, value);
  }
  // Keeps the cells both sizes share; new cells are fill.
  void Resize(int newWidth, int newHeight, uint8_t fill);
};

// Canonical banded text of the cells that are 1, as Windows stores a region:
// rows with identical spans merge into one band; "" when there are none.
std::string BandsText(const Grid &mask);

// ---- Lent by fake_windows.cpp -------------------------------------------------

size_t WindowsMade();
// False, with misuse reported, unless window is the window that exists.
bool CheckWindow(HWND window, const char *function);
bool InPaintMessage();
// Hands the update region to a paint DC and empties it; true when erasing was pending.
bool TakeUpdateRegion(Grid *clip, RECT *bounds);

// ---- Lent by fake_painting.cpp ------------------------------------------------

enum class DcKind { kScreen, kWindow, kPaint, kPrinter };

struct Dc {
  Dc(DcKind dcKind, HWND dcOwner) : kind(dcKind), owner(dcOwner) {}
  DcKind kind;
  HWND owner;  // NULL for the screen and printer DCs
  bool live = true;
  size_t font = 0;  // the font's index (fake_fonts.cpp); 0 is the stock system font
  UINT align = TA_LEFT | TA_TOP;
  int bkMode = OPAQUE;
  POINT pen{0, 0};
  // Paint DCs draw only where the update region was at BeginPaint, all of
  // it inside clipBounds.
  Grid clip;
  RECT clipBounds{0, 0, 0, 0};
};

size_t DcsMade();
Grid &Framebuffer();
// The live DC behind handle, else NULL with misuse reported; on a printer
// DC only the calls that model text and fonts get it.
Dc *LiveDc(HDC handle, const char *function);
// The live DC that has the font selected, or NULL.
HDC DcSelecting(size_t font);
// Calls paint(x, y, pixel) for each pixel of area the DC may draw on. The
// desktop is not modelled, so a screen DC draws nowhere.
template <typename Paint>
void ForEachPixel(const Dc &dc, const RECT &area, Paint paint) {
  if (dc.kind == DcKind::kScreen) return;
  Grid &framebuffer = Framebuffer();
  RECT drawn = Intersect(area, framebuffer.Bounds());
  if (dc.kind == DcKind::kPaint) drawn = Intersect(drawn, dc.clipBounds);
  for (int y = drawn.top; y < drawn.bottom; ++y) {
    const uint8_t *mask = dc.kind == DcKind::kPaint ? dc.clip.Row(y) : nullptr;
    uint8_t *row = framebuffer.Row(y);
    for (int x = drawn.left; x < drawn.right; ++x) {
      if (mask == nullptr || mask[x]) paint(x, y, row[x]);
    }
  }
}
// A new live DC of the printer, numbered with the other DCs, with the system font selected.
HDC MakePrinterDc();
// True for a live printer DC; else misuse: not a DC, not a printer's, or used after DeleteDC.
bool CheckPrinterDc(HDC handle, const char *function);
// Ends a live printer DC as DeleteDC does: a created font still selected is misuse.
void EndPrinterDc(HDC handle);
void AddDcLeaks(std::vector<std::string> &leaks);

// ---- Lent by fake_fonts.cpp ---------------------------------------------------

size_t FontsMade();
void AddFontLeaks(std::vector<std::string> &leaks);

// ---- Lent by fake_memory.cpp --------------------------------------------------

// The number a live heap block is shown with ("block3"), or 0.
int HeapBlockNumber(const void *block);
void AddHeapLeaks(std::vector<std::string> &leaks);

struct GlobalBlock {
  unsigned char *bytes;  // NULL once freed
  SIZE_T size;           // as allocated
  SIZE_T reported;       // what GlobalSize says
  SIZE_T readable;       // bytes behind the pointer, at least size and 1
  int locks;
  bool clipboards;  // the clipboard owns it; only the system frees it
};
// Global blocks made so far (their handles have indexes 0 .. count - 1).
size_t GlobalBlocksMade();
// A new block of size bytes, their contents left to the caller; NULL when out of memory.
HGLOBAL MakeGlobalBlock(SIZE_T size);
// The block behind handle while it lives, else NULL with misuse reported.
GlobalBlock *LiveBlock(HGLOBAL handle, const char *function);
// The block behind a handle known to live.
GlobalBlock &BlockOf(HGLOBAL handle);
void FreeGlobalBlock(GlobalBlock &block);
// Global blocks neither freed nor given to the clipboard, and locks held.
void AddGlobalLeaks(std::vector<std::string> &leaks);

// ---- Lent by fake_files.cpp ---------------------------------------------------

size_t FileHandlesMade();
void AddFileLeaks(std::vector<std::string> &leaks);

// ---- Lent by fake_clipboard.cpp -----------------------------------------------

// Whether the program has the clipboard open.
bool ClipboardOpen();
void AddClipboardLeaks(std::vector<std::string> &leaks);

// ---- Lent by fake_printer.cpp -------------------------------------------------

// GetDeviceCaps of a printer DC from the printer's settings; false when index is not modelled.
bool PrinterCap(int index, int *value);
// TextOutW or TextOutA on a live printer DC: the text is recorded on the open
// page; false with misuse reported when no page is open.
bool PrintUnits(HDC handle, const char *function, int x, int y, const std::u16string &units, const LOGFONTA &font,
                bool transparent);
// Appends the jobs neither ended nor aborted.
void AddPrinterLeaks(std::vector<std::string> &leaks);

}  // namespace fake_internal
