// What the parts of the Win32 double share among themselves (not for tests):
// the handle encoding, the call log, misuse reports and injected failures.
// fake_win32.cpp defines these; fake_clipboard.cpp and fake_printer.cpp
// define the blocks named after them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace fake_internal {

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

// Building an entry costs time, so callers ask first.
bool Recording();
void AppendCall(std::string entry);
// "hwnd1", "hglobal2", "NULL", "unknown 0x..." as the call log shows handles.
std::string HandleName(const void *handle);
// Records the misuse and fails the running test.
void ReportMisuse(const std::string &what);
// False, with misuse reported, unless window is the window that exists.
bool CheckWindow(HWND window, const char *function);
// A call-log entry from its pieces, built only while recording.
inline std::string Text(const char *text) { return text; }
inline std::string Text(const std::string &text) { return text; }
inline std::string Text(int number) { return std::to_string(number); }
inline std::string Text(size_t number) { return std::to_string(number); }
inline std::string Text(const void *handle) { return HandleName(handle); }
template <typename... Pieces>
void RecordCall(const Pieces &...pieces) {
  if (!Recording()) return;
  std::string entry;
  ((entry += Text(pieces)), ...);
  AppendCall(std::move(entry));
}
// Consumes one failure fake::FailNext queued for function.
bool InjectedFailure(const char *function);

// ---- From fake_win32.cpp, for the printer ----
// A new live DC of the printer, numbered with the other DCs, with the system font selected.
HDC MakePrinterDc();
// True for a live printer DC; else misuse: not a DC, not a printer's, or used after DeleteDC.
bool CheckPrinterDc(HDC handle, const char *function);
// Ends a live printer DC as DeleteDC does: a created font still selected is misuse.
void EndPrinterDc(HDC handle);

// ---- From fake_clipboard.cpp ----
// Global blocks made so far (their handles have indexes 0 .. count - 1).
size_t GlobalBlocksMade();
// Appends what the program left held: global blocks, locks, the open clipboard.
void AddClipboardLeaks(std::vector<std::string> &leaks);

// ---- From fake_printer.cpp ----
// GetDeviceCaps of a printer DC from the printer's settings; false when index is not modelled.
bool PrinterCap(int index, int *value);
// TextOutW or TextOutA on a live printer DC: the text is recorded on the open
// page; false with misuse reported when no page is open.
bool PrintUnits(HDC handle, const char *function, int x, int y, const std::u16string &units, const LOGFONTA &font,
                bool transparent);
// Appends the jobs neither ended nor aborted.
void AddPrinterLeaks(std::vector<std::string> &leaks);

}  // namespace fake_internal
