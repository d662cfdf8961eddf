// The Win32 double: one window with an 8-bit framebuffer and a per-pixel
// update region, a metric font model, scripted message boxes and file
// dialogs, in-memory files and a counted heap. Every call is logged; misuse
// of the API fails the running test. The clipboard and global memory are in
// fake_clipboard.cpp, the printer and its dialog in fake_printer.cpp.
#include "fake_win32.h"
#include "fake_win32_internal.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <iterator>
#include <map>
#include <set>
#include <unordered_map>

using namespace fake_internal;

namespace {

// ---- State ----------------------------------------------------------------

enum class DcKind { kScreen, kWindow, kPaint, kPrinter };

struct Dc {
  Dc(DcKind dcKind, HWND dcOwner) : kind(dcKind), owner(dcOwner) {}
  DcKind kind;
  HWND owner;  // NULL for the screen and printer DCs
  bool live = true;
  size_t font = 0;  // index into State::fonts; 0 is the stock system font
  UINT align = TA_LEFT | TA_TOP;
  int bkMode = OPAQUE;
  POINT pen{0, 0};
  // Paint DCs draw only where the update region was at BeginPaint, all of
  // it inside clipBounds.
  std::vector<uint8_t> clip;
  RECT clipBounds{0, 0, 0, 0};
  int clipWidth = 0;
  int clipHeight = 0;
};

struct Font {
  LOGFONTA description;
  bool deleted;
};

struct GlyphOverride {
  bool fails;
  ABC abc;
};

struct Block {
  size_t bytes;
  int id;
};

LOGFONTA SystemFontDescription() {
  LOGFONTA font{};
  std::strcpy(font.lfFaceName, "System");
  return font;
}

struct FileHandle {
  FileHandle(const std::string &filePath, DWORD fileAccess, DWORD fileShare)
      : path(filePath), access(fileAccess), share(fileShare) {}
  std::string path;
  DWORD access;
  DWORD share;
  size_t position = 0;
  bool open = true;
};

struct ScrollBar {
  int min = 0;  // the default range of a standard scroll bar
  int max = 100;
  int pos = 0;
};

struct State {
  bool recording = true;
  std::vector<std::string> calls;
  std::vector<std::string> misuse;

  size_t windows = 0;  // opened so far; only the latest one exists
  WNDPROC procedure = nullptr;
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;
  std::vector<uint8_t> region;  // 1 where the update region covers a pixel
  RECT regionBounds{0, 0, 0, 0};  // holds every pixel of the region; keeps scans small
  bool eraseNeeded = false;
  bool inPaintMessage = false;

  int dpi = 96;
  ScrollBar scroll;

  WNDPROC classProcedure = nullptr;  // registered by RegisterClassW
  int defaultWidth = 800;            // client size CreateWindowExW gives
  int defaultHeight = 700;
  bool shown = false;
  bool destroyed = false;
  int quitCode = -1;
  std::deque<MSG> posted;
  std::map<UINT_PTR, UINT> timers;  // running timers: id -> period
  bool capture = false;             // the window holds the mouse capture
  std::set<int> keysHeld;           // virtual keys GetKeyState reports as down
  std::map<UINT, UINT> menuChecks;   // command id -> MF_CHECKED or MF_UNCHECKED
  std::map<UINT, UINT> menuEnables;  // command id -> MF_ENABLED or MF_GRAYED

  std::vector<Dc> dcs;
  std::vector<Font> fonts{{SystemFontDescription(), false}};
  // Below these no DC is live, no font undeleted, no file handle open; scans
  // start there so they stay short however many records a long run makes.
  size_t firstLiveDc = 0;
  size_t firstLiveFont = 1;  // the system font is never deleted
  size_t firstOpenFile = 0;
  std::map<WCHAR, GlyphOverride> glyphs;
  std::map<WCHAR, ABC> printerGlyphs;  // the printer's face where it differs from the screen's

  std::vector<fake::MessageBoxRecord> boxes;
  std::deque<int> answers;

  std::map<std::string, std::string> files;  // path -> bytes
  std::set<std::string> folders{fake::TemporaryFolder};  // made by MakeFolder, without a trailing backslash
  std::set<std::string> readOnly;            // paths of files marked read-only
  DWORD lastError = 0;                       // what the last CreateFileA left for GetLastError
  std::vector<FileHandle> fileHandles;       // every file handle made, by index
  std::map<std::string, int> failures;       // function -> calls left that fail
  std::map<std::string, int> skips;          // function -> calls that succeed before those fail
  bool shortWrite = false;
  DWORD shortWriteBytes = 0;
  int shortWriteSkip = 0;  // writes that go through whole before the short one
  UINT lastTemporary = 0;  // the number GetTempFileNameA gave last
  std::deque<std::string> fileAnswers;
  OPENFILENAMEA lastDialog{};
  std::string lastFilter;
  std::string title;

  int failAllocations = 0;
  int skipAllocations = 0;  // allocations that succeed before those fail
  std::unordered_map<const void *, Block> blocks;
  int blocksMade = 0;
  size_t heapBytes = 0;
};

State g;

// A record never comes back to life, so the first live one only moves up.
template <typename Record, typename IsLive>
size_t FirstLive(const std::vector<Record> &records, size_t *first, IsLive isLive) {
  while (*first < records.size() && !isLive(records[*first])) ++*first;
  return *first;
}
size_t FirstLiveDc() { return FirstLive(g.dcs, &g.firstLiveDc, [](const Dc &dc) { return dc.live; }); }
size_t FirstLiveFont() {
  return FirstLive(g.fonts, &g.firstLiveFont, [](const Font &font) { return !font.deleted; });
}
size_t FirstOpenFile() {
  return FirstLive(g.fileHandles, &g.firstOpenFile, [](const FileHandle &file) { return file.open; });
}

// ---- Handles --------------------------------------------------------------
// Encoded as fake_win32_internal.h describes.

HWND Window() { return MakeHandle<HWND>(kWindow, g.windows - 1); }
HFONT FontHandle(size_t index) { return MakeHandle<HFONT>(kFont, index); }
HANDLE ProcessHeap() { return MakeHandle<HANDLE>(kHeap, 0); }

}  // namespace

namespace fake_internal {

std::string HandleName(const void *handle) {
  if (!handle) return "NULL";
  if (handle == INVALID_HANDLE_VALUE) return "INVALID_HANDLE_VALUE";
  size_t index = reinterpret_cast<uintptr_t>(handle) >> 3;
  switch (reinterpret_cast<uintptr_t>(handle) & 7) {
    case kWindow:
      if (index < g.windows) return "hwnd" + std::to_string(index + 1);
      break;
    case kDcHandle:
      if (index < g.dcs.size()) return "hdc" + std::to_string(index + 1);
      break;
    case kFont:
      if (index < g.fonts.size()) return index == 0 ? "systemfont" : "hfont" + std::to_string(index);
      break;
    case kHeap:
      if (index == 0) return "heap";
      break;
    case kStock:
      if (index == kDevModeStock) return "hdevmode";
      if (index == kDevNamesStock) return "hdevnames";
      return "stockobject";
    case kFile:
      if (index < g.fileHandles.size()) return "file" + std::to_string(index + 1);
      break;
    case kBlock: {
      auto block = g.blocks.find(handle);
      if (block != g.blocks.end()) return "block" + std::to_string(block->second.id);
      break;
    }
    case kGlobal:
      if (index < GlobalBlocksMade()) return "hglobal" + std::to_string(index + 1);
      break;
  }
  char text[32];
  std::snprintf(text, sizeof text, "unknown %p", handle);
  return text;
}

bool Recording() { return g.recording; }

void AppendCall(std::string entry) {
  if (g.recording) g.calls.push_back(std::move(entry));
}

}  // namespace fake_internal

namespace {

// ---- Call log -------------------------------------------------------------
// Entries are built from cheap argument wrappers and formatted only while
// recording, so a benchmark with recording off pays almost nothing.

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
struct Quoted {
  const char *text;
  size_t length;
};
struct PathText {  // quoted with its backslashes as they are, for readable paths
  const char *text;
};
struct FlagName {
  DWORD bit;
  const char *name;
};
struct Flags {  // bits printed by name, joined with " | "; "0" when none
  DWORD value;
  const FlagName *names;
  size_t count;
};
struct Units {
  const WCHAR *text;
  int count;
};
struct UnitRange {
  UINT first;
  UINT last;
};
struct Abcs {
  const ABC *abc;
  size_t count;
};
struct RegionText {
  const Dc *paint;
};

std::string RectText(const RECT &r) {
  return "{" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
         std::to_string(r.bottom) + "}";
}

std::string UnitText(UINT unit) {
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", unit);
  return text;
}

// Canonical banded form: rows with identical spans merge into one band.
std::string BandsText(const std::vector<uint8_t> &mask, int width, int height) {
  std::string text;
  std::vector<std::pair<int, int>> band, row;
  int bandTop = 0;
  for (int y = 0; y <= height; ++y) {
    row.clear();
    for (int x = 0; y < height && x < width; ++x) {
      if (!mask[(size_t)y * (size_t)width + (size_t)x]) continue;
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

void Append(std::string &s, const char *piece) { s += piece; }
void Append(std::string &s, int value) { s += std::to_string(value); }
void Append(std::string &s, UINT value) { s += std::to_string(value); }
void Append(std::string &s, size_t value) { s += std::to_string(value); }
void Append(std::string &s, long long value) { s += std::to_string(value); }
void Append(std::string &s, const void *handle) { s += HandleName(handle); }
void Append(std::string &s, const RECT *rect) { s += rect ? RectText(*rect) : "NULL"; }
void Append(std::string &s, Bool b) { s += b.value ? "TRUE" : "FALSE"; }
void Append(std::string &s, Named n) { s += n.name ? n.name : std::to_string(n.value); }
void Append(std::string &s, UnitRange r) {
  s += UnitText(r.first);
  if (r.last != r.first) s += ".." + UnitText(r.last);
}
void Append(std::string &s, RegionText r) {
  std::string bands = BandsText(r.paint->clip, r.paint->clipWidth, r.paint->clipHeight);
  s += bands.empty() ? "empty" : bands;
}

void Append(std::string &s, Hex h) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", h.value);
  s += text;
}

void AppendQuoted(std::string &s, const char *text, size_t length, bool escapeBackslash) {
  if (!text) {
    s += "NULL";
    return;
  }
  s += '"';
  for (size_t i = 0; i < length; ++i) {
    unsigned char c = (unsigned char)text[i];
    if (c == '"' || (c == '\\' && escapeBackslash)) {
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

void Append(std::string &s, Quoted q) { AppendQuoted(s, q.text, q.length, true); }
void Append(std::string &s, PathText p) { AppendQuoted(s, p.text, p.text ? std::strlen(p.text) : 0, false); }

void Append(std::string &s, Flags f) {
  std::string text;
  DWORD rest = f.value;
  for (size_t i = 0; i < f.count; ++i) {
    if (!(rest & f.names[i].bit)) continue;
    if (!text.empty()) text += " | ";
    text += f.names[i].name;
    rest &= ~f.names[i].bit;
  }
  if (rest) {
    if (!text.empty()) text += " | ";
    Append(text, Hex{rest});
  }
  s += text.empty() ? "0" : text;
}

void Append(std::string &s, Units u) {
  for (int i = 0; i < u.count; ++i) {
    if (i) s += ' ';
    s += UnitText(u.text[i]);
  }
}

void Append(std::string &s, Abcs a) {
  for (size_t i = 0; i < a.count; ++i) {
    if (i) s += ' ';
    s += "{" + std::to_string(a.abc[i].abcA) + ", " + std::to_string(a.abc[i].abcB) + ", " +
         std::to_string(a.abc[i].abcC) + "}";
  }
}

template <typename... Pieces>
void Record(const Pieces &...pieces) {
  if (!g.recording) return;
  std::string entry;
  (Append(entry, pieces), ...);
  g.calls.push_back(std::move(entry));
}

// Calls that only report success print nothing unless they failed.
const char *Failed(bool ok) { return ok ? "" : " -> FALSE"; }

Quoted Quote(const char *text) { return {text, text ? std::strlen(text) : 0}; }
Quoted TextArgument(const char *text, int count) { return {text, (size_t)count}; }
Units TextArgument(const WCHAR *text, int count) { return {text, count}; }

const char *CapName(int index) {
  switch (index) {
    case LOGPIXELSX:
      return "LOGPIXELSX";
    case LOGPIXELSY:
      return "LOGPIXELSY";
    case PHYSICALWIDTH:
      return "PHYSICALWIDTH";
    case PHYSICALHEIGHT:
      return "PHYSICALHEIGHT";
    case PHYSICALOFFSETX:
      return "PHYSICALOFFSETX";
    case PHYSICALOFFSETY:
      return "PHYSICALOFFSETY";
  }
  return nullptr;
}
const char *BarName(int bar) { return bar == SB_VERT ? "SB_VERT" : nullptr; }
const char *BkModeName(int mode) { return mode == TRANSPARENT ? "TRANSPARENT" : mode == OPAQUE ? "OPAQUE" : nullptr; }
const char *RopName(DWORD rop) { return rop == DSTINVERT ? "DSTINVERT" : nullptr; }
const char *HeapFlagsName(DWORD flags) { return flags == HEAP_ZERO_MEMORY ? "HEAP_ZERO_MEMORY" : nullptr; }
const char *RegionTypeName(int type) {
  return type == NULLREGION ? "NULLREGION" : type == SIMPLEREGION ? "SIMPLEREGION" : "COMPLEXREGION";
}
const char *DispositionName(DWORD disposition) {
  return disposition == CREATE_ALWAYS   ? "CREATE_ALWAYS"
         : disposition == OPEN_EXISTING ? "OPEN_EXISTING"
         : disposition == OPEN_ALWAYS   ? "OPEN_ALWAYS"
                                        : nullptr;
}
const FlagName kAccessNames[] = {{GENERIC_READ, "GENERIC_READ"}, {GENERIC_WRITE, "GENERIC_WRITE"}};
const FlagName kShareNames[] = {{FILE_SHARE_READ, "FILE_SHARE_READ"}};
template <size_t count>
Flags FlagsOf(DWORD value, const FlagName (&names)[count]) {
  return {value, names, count};
}

const char *AnswerName(int answer) {
  switch (answer) {
    case IDOK:
      return "IDOK";
    case IDCANCEL:
      return "IDCANCEL";
    case IDYES:
      return "IDYES";
    case IDNO:
      return "IDNO";
  }
  return nullptr;
}

// ---- Misuse ---------------------------------------------------------------

bool IsWindow(HWND window) {
  size_t index;
  return Decode(window, kWindow, g.windows, &index) && index == g.windows - 1;
}

}  // namespace

namespace fake_internal {

void ReportMisuse(const std::string &what) {
  g.misuse.push_back(what);
  ADD_FAILURE() << "Win32 misuse: " << what;
}

bool CheckWindow(HWND window, const char *function) {
  if (IsWindow(window)) return true;
  ReportMisuse(std::string(function) + ": " + HandleName(window) + " is not the window");
  return false;
}

}  // namespace fake_internal

namespace {

bool CheckPointer(const void *pointer, const char *function, const char *what) {
  if (pointer) return true;
  ReportMisuse(std::string(function) + ": NULL " + what);
  return false;
}

Dc *AnyLiveDc(HDC handle, const char *function) {
  size_t index;
  if (!Decode(handle, kDcHandle, g.dcs.size(), &index)) {
    ReportMisuse(std::string(function) + ": " + HandleName(handle) + " is not a DC");
    return nullptr;
  }
  Dc &dc = g.dcs[index];
  if (!dc.live) {
    ReportMisuse(std::string(function) + ": " + HandleName(handle) + " used after " +
                 (dc.kind == DcKind::kPaint     ? "EndPaint"
                  : dc.kind == DcKind::kPrinter ? "DeleteDC"
                                                : "ReleaseDC"));
    return nullptr;
  }
  return &dc;
}

// The printer models text and fonts only; a line or a release on it is misuse.
Dc *LiveDc(HDC handle, const char *function) {
  static const char *const kOnPrinter[] = {"GetDeviceCaps", "SelectObject",    "GetTextMetricsA",
                                           "GetCharABCWidthsW", "SetTextAlign", "SetBkMode",
                                           "TextOutW",      "TextOutA",        "GetTextExtentPoint32A"};
  Dc *dc = AnyLiveDc(handle, function);
  if (dc && dc->kind == DcKind::kPrinter &&
      std::none_of(std::begin(kOnPrinter), std::end(kOnPrinter),
                   [function](const char *name) { return std::strcmp(name, function) == 0; })) {
    ReportMisuse(std::string(function) + ": " + HandleName(handle) + " is a printer DC, where it is not modelled");
    return nullptr;
  }
  return dc;
}

// A DC must go back with the font it came with, or the created font leaks
// into a DC that no longer exists.
void CheckNothingSelected(const Dc &dc, HDC handle, const char *function) {
  if (dc.font == 0) return;
  ReportMisuse(std::string(function) + ": " + HandleName(handle) + " still has " + HandleName(FontHandle(dc.font)) +
               " selected");
}

// ---- Pixels and region ----------------------------------------------------

RECT Client() { return {0, 0, g.width, g.height}; }

RECT Intersect(const RECT &a, const RECT &b) {
  return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
}

bool Inside(const RECT &r, int x, int y) { return x >= r.left && x < r.right && y >= r.top && y < r.bottom; }

bool IsEmpty(const RECT &r) { return r.left >= r.right || r.top >= r.bottom; }

RECT Union(const RECT &a, const RECT &b) {
  if (IsEmpty(a)) return b;
  if (IsEmpty(b)) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right), std::max(a.bottom, b.bottom)};
}

size_t At(int x, int y) { return (size_t)y * (size_t)g.width + (size_t)x; }

bool RegionEmpty() {
  const RECT &b = g.regionBounds;
  for (int y = b.top; y < b.bottom; ++y) {
    const uint8_t *row = g.region.data() + At(0, y);
    if (std::find(row + b.left, row + b.right, 1) != row + b.right) return false;
  }
  return true;
}

void ClearRegion() {
  const RECT &b = g.regionBounds;
  for (int y = b.top; y < b.bottom; ++y) std::fill_n(g.region.begin() + (ptrdiff_t)At(b.left, y), b.right - b.left, 0);
  g.regionBounds = {0, 0, 0, 0};
}

void AddToRegion(const RECT &rect, bool erase) {
  RECT r = Intersect(rect, Client());
  if (r.left >= r.right || r.top >= r.bottom) return;
  for (int y = r.top; y < r.bottom; ++y) std::fill_n(g.region.begin() + (ptrdiff_t)At(r.left, y), r.right - r.left, 1);
  g.regionBounds = Union(g.regionBounds, r);
  g.eraseNeeded = g.eraseNeeded || erase;
}

// Keeps the pixels and region both sizes share; new pixels are white.
void SetClientSize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  std::vector<uint8_t> pixels((size_t)width * (size_t)height, 255), region((size_t)width * (size_t)height, 0);
  for (int y = 0; y < std::min(height, g.height); ++y) {
    for (int x = 0; x < std::min(width, g.width); ++x) {
      pixels[(size_t)y * (size_t)width + (size_t)x] = g.pixels[At(x, y)];
      region[(size_t)y * (size_t)width + (size_t)x] = g.region[At(x, y)];
    }
  }
  g.width = width;
  g.height = height;
  g.pixels.swap(pixels);
  g.region.swap(region);
  g.regionBounds = Intersect(g.regionBounds, Client());
  if (IsEmpty(g.regionBounds)) g.regionBounds = {0, 0, 0, 0};
}

void SendPaintIfNeeded() {
  if (RegionEmpty()) return;
  bool outer = g.inPaintMessage;
  g.inPaintMessage = true;
  g.procedure(Window(), WM_PAINT, 0, 0);
  g.inPaintMessage = outer;
}

// The desktop is not modelled, so a screen DC draws nowhere.
bool Visible(const Dc &dc, int x, int y) {
  if (dc.kind == DcKind::kScreen || x < 0 || y < 0 || x >= g.width || y >= g.height) return false;
  if (dc.kind == DcKind::kWindow) return true;
  return Inside(dc.clipBounds, x, y) && x < dc.clipWidth && y < dc.clipHeight && dc.clip[(size_t)y * (size_t)dc.clipWidth + (size_t)x];
}

// Calls paint(x, y, pixel) for each pixel of [left, right) x [top, bottom) the DC may draw on.
template <typename Paint>
void ForEachPixel(const Dc &dc, int left, int top, int right, int bottom, Paint paint) {
  if (dc.kind == DcKind::kScreen) return;
  RECT area = Intersect({left, top, right, bottom}, Client());
  if (dc.kind == DcKind::kPaint) area = Intersect(area, dc.clipBounds);
  for (int y = area.top; y < area.bottom; ++y) {
    const uint8_t *mask = dc.kind == DcKind::kPaint ? dc.clip.data() + (size_t)y * (size_t)dc.clipWidth : nullptr;
    uint8_t *row = g.pixels.data() + At(0, y);
    for (int x = area.left; x < area.right; ++x) {
      if (mask == nullptr || mask[x]) paint(x, y, row[x]);
    }
  }
}

// The bounding box of what the DC may draw on ({0, 0, 0, 0} when nothing)
// and the number of pixels that is.
RECT ClipBounds(const Dc &dc, size_t *visible) {
  *visible = 0;
  if (dc.kind != DcKind::kPaint) {
    RECT client = dc.kind == DcKind::kWindow ? Client() : RECT{0, 0, 0, 0};
    if (IsEmpty(client)) return {0, 0, 0, 0};
    *visible = (size_t)client.right * (size_t)client.bottom;
    return client;
  }
  RECT bounds{0, 0, 0, 0};
  RECT area = Intersect(dc.clipBounds, Client());
  for (int y = area.top; y < area.bottom; ++y) {
    const uint8_t *mask = dc.clip.data() + (size_t)y * (size_t)dc.clipWidth;
    const uint8_t *first = std::find(mask + area.left, mask + area.right, 1);
    if (first == mask + area.right) continue;
    const uint8_t *last = std::find(std::make_reverse_iterator(mask + area.right), std::make_reverse_iterator(first), 1).base();
    *visible += (size_t)std::count(first, last, 1);
    bounds = Union(bounds, {(LONG)(first - mask), y, (LONG)(last - mask), y + 1});
  }
  return bounds;
}

void Fill(const Dc &dc, int left, int top, int right, int bottom, uint8_t value) {
  ForEachPixel(dc, left, top, right, bottom, [value](int, int, uint8_t &pixel) { pixel = value; });
}

// Bresenham, end point left out as GDI does.
void DrawLine(const Dc &dc, POINT from, POINT to) {
  int dx = std::abs(to.x - from.x), dy = -std::abs(to.y - from.y);
  int stepX = from.x < to.x ? 1 : -1, stepY = from.y < to.y ? 1 : -1;
  int error = dx + dy;
  POINT p = from;
  while (p.x != to.x || p.y != to.y) {
    if (Visible(dc, p.x, p.y)) g.pixels[At(p.x, p.y)] = 0;
    int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      p.x += stepX;
    }
    if (twice <= dx) {
      error += dx;
      p.y += stepY;
    }
  }
}

// ---- Fonts ----------------------------------------------------------------

int Em(const LOGFONTA &font) {
  if (font.lfHeight < 0) return -font.lfHeight;
  if (font.lfHeight > 0) return (int)((long long)font.lfHeight * 1000 / 1133);
  return 16;
}

TEXTMETRICA Metrics(const LOGFONTA &font) {
  int em = Em(font);
  TEXTMETRICA tm{};
  tm.tmHeight = font.lfHeight > 0 ? font.lfHeight : (LONG)((long long)em * 1133 / 1000);
  tm.tmAscent = tm.tmHeight * 4 / 5;
  tm.tmDescent = tm.tmHeight - tm.tmAscent;
  tm.tmInternalLeading = tm.tmHeight - em;
  tm.tmAveCharWidth = em * 6 / 10;
  tm.tmMaxCharWidth = tm.tmAveCharWidth;
  tm.tmWeight = font.lfWeight;
  tm.tmItalic = font.lfItalic;
  tm.tmUnderlined = font.lfUnderline;
  tm.tmStruckOut = font.lfStrikeOut;
  tm.tmPitchAndFamily = font.lfPitchAndFamily;
  tm.tmCharSet = font.lfCharSet;
  return tm;
}

bool Glyph(UINT unit, int em, ABC *abc) {
  if (unit > 0xFFFF) return false;  // not a UTF-16 code unit
  auto override = g.glyphs.find((WCHAR)unit);
  if (override != g.glyphs.end()) {
    *abc = override->second.abc;
    return !override->second.fails;
  }
  auto in = [unit](UINT low, UINT high) { return unit >= low && unit <= high; };
  int advance = em * 6 / 10, edge = em / 10, hang = em / 16 + 1, wideEdge = em / 20;
  if (in(0xD800, 0xDFFF) || unit == 0xFFFE || unit == 0xFFFF) return false;
  if (in(0x0300, 0x036F) || in(0x200B, 0x200F) || unit == 0xFEFF) {
    *abc = {0, 0, 0};
  } else if (in(0x1100, 0x115F) || in(0x2E80, 0xA4CF) || in(0xAC00, 0xD7A3) || in(0xF900, 0xFAFF) ||
             in(0xFF01, 0xFF60)) {
    *abc = {wideEdge, (UINT)(em - 2 * wideEdge), wideEdge};
  } else if (unit == 'g' || unit == 'j' || unit == 'p' || unit == 'q' || unit == 'y') {
    *abc = {-hang, (UINT)advance, hang};
  } else if (unit == 'f') {
    *abc = {edge, (UINT)advance, -hang};
  } else {
    *abc = {edge, (UINT)(advance - 2 * edge), edge};
  }
  return true;
}

// What TextOut draws with: a failed query still draws, one advance wide.
ABC DrawnGlyph(WCHAR unit, int em) {
  ABC abc;
  if (!Glyph(unit, em, &abc)) abc = {0, (UINT)(em * 6 / 10), 0};
  return abc;
}

uint32_t Mix(uint32_t v) {
  v ^= v >> 16;
  v *= 0x7FEB352Du;
  v ^= v >> 15;
  v *= 0x846CA68Bu;
  v ^= v >> 16;
  return v;
}

// A unit's ink: about half the pixels of its box, and at least one in every
// column, so a glyph drawn one pixel off always changes the picture.
bool Ink(WCHAR unit, int column, int row, int height) {
  uint32_t columnHash = Mix(Mix(unit) ^ (uint32_t)column);
  return columnHash % (uint32_t)height == (uint32_t)row || (Mix(columnHash ^ (uint32_t)row) & 1);
}

WCHAR CodeUnit(char c) { return (unsigned char)c; }  // TextOutA: Latin-1
WCHAR CodeUnit(WCHAR c) { return c; }

// Draws the units from x (their centre with TA_CENTER), inside clip when given.
template <typename Char>
// dx: the pen's advance after each glyph, or nullptr for the glyphs' own.
void DrawUnits(const Dc &dc, int x, int y, const Char *text, int count, const RECT *clip, const INT *dx = nullptr) {
  const LOGFONTA &font = g.fonts[dc.font].description;
  int em = Em(font), height = Metrics(font).tmHeight;
  if (dc.align & TA_CENTER) {
    int extent = 0;
    for (int i = 0; i < count; ++i) {
      ABC abc = DrawnGlyph(CodeUnit(text[i]), em);
      extent += abc.abcA + (int)abc.abcB + abc.abcC;
    }
    x -= extent / 2;
  }
  RECT limit = clip ? *clip : Client();
  auto box = [&](int left, int right) { return Intersect({left, y, right, y + height}, limit); };
  if (dc.bkMode == OPAQUE) {  // all cells first, so no cell covers a neighbour's overhang
    for (int i = 0, pen = x; i < count; ++i) {
      ABC abc = DrawnGlyph(CodeUnit(text[i]), em);
      int next = pen + (dx ? dx[i] : abc.abcA + (int)abc.abcB + abc.abcC);
      RECT cell = box(std::min(pen, next), std::max(pen, next));
      Fill(dc, cell.left, cell.top, cell.right, cell.bottom, 255);
      pen = next;
    }
  }
  for (int i = 0, pen = x; i < count; ++i) {
    WCHAR unit = CodeUnit(text[i]);
    ABC abc = DrawnGlyph(unit, em);
    int left = pen + abc.abcA;
    RECT ink = box(left, left + (int)abc.abcB);
    ForEachPixel(dc, ink.left, ink.top, ink.right, ink.bottom, [&](int px, int py, uint8_t &pixel) {
      if (Ink(unit, px - left, py - y, height)) pixel = 0;
    });
    pen = dx ? pen + dx[i] : left + (int)abc.abcB + abc.abcC;
  }
}

template <typename Char>
BOOL TextOutUnits(const char *function, HDC handle, int x, int y, const Char *text, int count) {
  Dc *dc = LiveDc(handle, function);
  bool ok = dc != nullptr;
  if (ok && (count < 0 || (count > 0 && !text))) {
    ReportMisuse(std::string(function) + ": invalid text or count");
    ok = false;
  } else if (ok && dc->align != (TA_LEFT | TA_TOP) &&
             (dc->align != (TA_CENTER | TA_TOP) || dc->kind == DcKind::kPrinter)) {
    ReportMisuse(std::string(function) + ": text align " + std::to_string(dc->align) + " is not modelled");
    ok = false;
  }
  if (ok && dc->kind == DcKind::kPrinter) {
    std::u16string units;
    for (int i = 0; i < count; ++i) units += CodeUnit(text[i]);
    ok = PrintUnits(handle, function, x, y, units, g.fonts[dc->font].description, dc->bkMode == TRANSPARENT);
  } else if (ok) {
    DrawUnits(*dc, x, y, text, count, nullptr);
  }
  Record(function, "(", handle, ", ", x, ", ", y, ", ", TextArgument(text, ok ? count : 0), ")", Failed(ok));
  return ok;
}

}  // namespace

namespace fake_internal {

HDC MakePrinterDc() {
  g.dcs.emplace_back(DcKind::kPrinter, nullptr);
  return MakeHandle<HDC>(kDcHandle, g.dcs.size() - 1);
}

bool CheckPrinterDc(HDC handle, const char *function) {
  Dc *dc = AnyLiveDc(handle, function);
  if (dc && dc->kind != DcKind::kPrinter) {
    ReportMisuse(std::string(function) + ": " + HandleName(handle) + " is not a printer DC");
    return false;
  }
  return dc != nullptr;
}

void EndPrinterDc(HDC handle) {
  Dc *dc = AnyLiveDc(handle, "DeleteDC");
  if (!dc) return;
  CheckNothingSelected(*dc, handle, "DeleteDC");
  dc->live = false;
}

}  // namespace fake_internal

// ---- USER32 ---------------------------------------------------------------

HDC WINAPI GetDC(HWND window) {
  HDC handle = nullptr;
  if (!window || CheckWindow(window, "GetDC")) {
    handle = MakeHandle<HDC>(kDcHandle, g.dcs.size());
    g.dcs.emplace_back(window ? DcKind::kWindow : DcKind::kScreen, window);
  }
  Record("GetDC(", window, ") -> ", handle);
  return handle;
}

int WINAPI ReleaseDC(HWND window, HDC handle) {
  Dc *dc = LiveDc(handle, "ReleaseDC");
  bool ok = dc != nullptr;
  if (ok && dc->kind == DcKind::kPaint) {
    ReportMisuse("ReleaseDC: " + HandleName(handle) + " came from BeginPaint");
    ok = false;
  } else if (ok && dc->owner != window) {
    ReportMisuse("ReleaseDC: " + HandleName(handle) + " does not belong to " + HandleName(window));
    ok = false;
  }
  if (ok) {
    CheckNothingSelected(*dc, handle, "ReleaseDC");
    dc->live = false;
  }
  Record("ReleaseDC(", window, ", ", handle, ")", ok ? "" : " -> 0");
  return ok;
}

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
  if (owner) CheckWindow(owner, "MessageBoxA");
  g.boxes.push_back({owner, text ? text : "", caption ? caption : "", style});
  int answer = IDOK;
  if (!g.answers.empty()) {
    answer = g.answers.front();
    g.answers.pop_front();
  } else if ((style & 0xF) != MB_OK) {
    ADD_FAILURE() << "MessageBoxA: no scripted answer for \"" << (text ? text : "") << "\"; answering IDCANCEL";
    answer = IDCANCEL;
  }
  Record("MessageBoxA(", owner, ", ", Quote(text), ", ", Quote(caption), ", ", Hex{style}, ") -> ",
         Named{answer, AnswerName(answer)});
  return answer;
}

namespace {

bool CheckBar(HWND window, int bar, const char *function) {
  if (!CheckWindow(window, function)) return false;
  if (bar == SB_VERT) return true;
  ReportMisuse(std::string(function) + ": bar " + std::to_string(bar) + " is not modelled (only SB_VERT)");
  return false;
}

int ClampToScrollRange(int position) { return std::max(g.scroll.min, std::min(position, g.scroll.max)); }

}  // namespace

BOOL WINAPI SetScrollRange(HWND window, int bar, int minimum, int maximum, BOOL redraw) {
  bool ok = CheckBar(window, bar, "SetScrollRange");
  if (ok) {
    g.scroll.min = minimum;
    g.scroll.max = maximum;
    g.scroll.pos = ClampToScrollRange(g.scroll.pos);  // Windows keeps the position inside the range
  }
  Record("SetScrollRange(", window, ", ", Named{bar, BarName(bar)}, ", ", minimum, ", ", maximum, ", ", Bool{redraw},
         ")", Failed(ok));
  return ok;
}

int WINAPI SetScrollPos(HWND window, int bar, int position, BOOL redraw) {
  int previous = 0;
  if (CheckBar(window, bar, "SetScrollPos")) {
    previous = g.scroll.pos;
    g.scroll.pos = ClampToScrollRange(position);
  }
  Record("SetScrollPos(", window, ", ", Named{bar, BarName(bar)}, ", ", position, ", ", Bool{redraw}, ") -> ",
         previous);
  return previous;
}

int WINAPI GetScrollPos(HWND window, int bar) {
  int position = CheckBar(window, bar, "GetScrollPos") ? g.scroll.pos : 0;
  Record("GetScrollPos(", window, ", ", Named{bar, BarName(bar)}, ") -> ", position);
  return position;
}

BOOL WINAPI ScrollWindow(HWND window, int dx, int dy, const RECT *scroll, const RECT *clip) {
  bool ok = CheckWindow(window, "ScrollWindow");
  Record("ScrollWindow(", window, ", ", dx, ", ", dy, ", ", scroll, ", ", clip, ")", Failed(ok));
  if (!ok) return FALSE;
  RECT from = Intersect(scroll ? *scroll : Client(), Client());
  RECT to = Intersect(clip ? *clip : Client(), Client());
  const std::vector<uint8_t> pixels = g.pixels, region = g.region;
  // Contents and their invalid state travel together; what nothing moved
  // into inside the scrolled area is uncovered and must be repainted.
  for (int y = to.top; y < to.bottom; ++y) {
    for (int x = to.left; x < to.right; ++x) {
      if (Inside(from, x - dx, y - dy)) {
        g.pixels[At(x, y)] = pixels[At(x - dx, y - dy)];
        g.region[At(x, y)] = region[At(x - dx, y - dy)];
      } else if (Inside(from, x, y)) {
        g.region[At(x, y)] = 1;
        g.eraseNeeded = true;
      }
    }
  }
  if (!IsEmpty(to)) g.regionBounds = Union(g.regionBounds, to);
  return TRUE;
}

BOOL WINAPI InvalidateRect(HWND window, const RECT *rect, BOOL erase) {
  bool ok = CheckWindow(window, "InvalidateRect");
  if (ok) AddToRegion(rect ? *rect : Client(), erase != FALSE);
  Record("InvalidateRect(", window, ", ", rect, ", ", Bool{erase}, ")", Failed(ok));
  return ok;
}

BOOL WINAPI UpdateWindow(HWND window) {
  bool ok = CheckWindow(window, "UpdateWindow");
  Record("UpdateWindow(", window, ")", Failed(ok));
  if (ok) SendPaintIfNeeded();
  return ok;
}

HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT paint) {
  if (!CheckWindow(window, "BeginPaint") || !CheckPointer(paint, "BeginPaint", "PAINTSTRUCT")) {
    Record("BeginPaint(", window, ") -> NULL");
    return nullptr;
  }
  if (!g.inPaintMessage) ReportMisuse("BeginPaint outside WM_PAINT");
  Dc dc{DcKind::kPaint, window};
  dc.clip = g.region;
  dc.clipWidth = g.width;
  dc.clipHeight = g.height;
  dc.clipBounds = g.regionBounds;
  HDC handle = MakeHandle<HDC>(kDcHandle, g.dcs.size());
  g.dcs.push_back(std::move(dc));
  if (g.eraseNeeded) Fill(g.dcs.back(), 0, 0, g.width, g.height, 255);  // the class brush is white
  size_t visible;
  *paint = PAINTSTRUCT{};
  paint->hdc = handle;
  paint->fErase = FALSE;  // erased already, as the default WM_ERASEBKGND does
  paint->rcPaint = g.dcs.back().clipBounds = ClipBounds(g.dcs.back(), &visible);
  Record("BeginPaint(", window, ") -> ", handle, " paint ", RegionText{&g.dcs.back()},
         g.eraseNeeded ? " erase" : " noerase");
  ClearRegion();
  g.eraseNeeded = false;
  return handle;
}

BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT *paint) {
  bool ok = CheckWindow(window, "EndPaint") && CheckPointer(paint, "EndPaint", "PAINTSTRUCT");
  HDC handle = ok ? paint->hdc : nullptr;
  size_t index = 0;
  if (ok &&
      !(Decode(handle, kDcHandle, g.dcs.size(), &index) && g.dcs[index].kind == DcKind::kPaint && g.dcs[index].live)) {
    ReportMisuse("EndPaint without BeginPaint for " + HandleName(handle));
    ok = false;
  }
  if (ok) {
    CheckNothingSelected(g.dcs[index], handle, "EndPaint");
    g.dcs[index].live = false;
    std::vector<uint8_t>().swap(g.dcs[index].clip);
  }
  Record("EndPaint(", window, ", ", handle, ")", Failed(ok));
  return ok;
}

// ---- GDI32 ----------------------------------------------------------------

int WINAPI GetDeviceCaps(HDC handle, int index) {
  int value = 0;
  if (Dc *dc = LiveDc(handle, "GetDeviceCaps")) {
    bool known = dc->kind == DcKind::kPrinter ? PrinterCap(index, &value) : index == LOGPIXELSX || index == LOGPIXELSY;
    if (known && dc->kind != DcKind::kPrinter) {
      value = g.dpi;
    } else if (!known) {
      ReportMisuse("GetDeviceCaps: index " + std::to_string(index) + " is not modelled");
    }
  }
  Record("GetDeviceCaps(", handle, ", ", Named{index, CapName(index)}, ") -> ", value);
  return value;
}

HFONT WINAPI CreateFontIndirectA(const LOGFONTA *description) {
  if (!CheckPointer(description, "CreateFontIndirectA", "LOGFONTA")) {
    Record("CreateFontIndirectA(NULL) -> NULL");
    return nullptr;
  }
  g.fonts.push_back({*description, false});
  HFONT handle = FontHandle(g.fonts.size() - 1);
  Record("CreateFontIndirectA(height ", description->lfHeight, ", charset ", (UINT)description->lfCharSet, ", ",
         Quoted{description->lfFaceName, strnlen(description->lfFaceName, LF_FACESIZE)}, ") -> ", handle);
  return handle;
}

HGDIOBJ WINAPI SelectObject(HDC handle, HGDIOBJ object) {
  Dc *dc = LiveDc(handle, "SelectObject");
  HGDIOBJ previous = nullptr;
  size_t font = 0;
  if (dc && (!Decode(object, kFont, g.fonts.size(), &font) || g.fonts[font].deleted)) {
    ReportMisuse("SelectObject: " + HandleName(object) + " is not a live font");
  } else if (dc) {
    previous = FontHandle(dc->font);
    dc->font = font;
  }
  Record("SelectObject(", handle, ", ", object, ") -> ", previous);
  return previous;
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
  size_t font = 0;
  bool ok = false;
  if (!Decode(object, kFont, g.fonts.size(), &font) || g.fonts[font].deleted) {
    ReportMisuse("DeleteObject: " + HandleName(object) + " is not a live object");
  } else if (font == 0) {
    ReportMisuse("DeleteObject: systemfont is a stock object");
  } else {
    auto selected = std::find_if(g.dcs.begin() + FirstLiveDc(), g.dcs.end(),
                                 [font](const Dc &dc) { return dc.live && dc.font == font; });
    if (selected != g.dcs.end()) {
      ReportMisuse("DeleteObject: " + HandleName(object) + " is still selected in " +
                   HandleName(MakeHandle<HDC>(kDcHandle, (size_t)(selected - g.dcs.begin()))));
    } else {
      g.fonts[font].deleted = true;
      ok = true;
    }
  }
  Record("DeleteObject(", object, ")", Failed(ok));
  return ok;
}

BOOL WINAPI GetTextMetricsA(HDC handle, LPTEXTMETRICA metrics) {
  Dc *dc = LiveDc(handle, "GetTextMetricsA");
  bool ok = dc && CheckPointer(metrics, "GetTextMetricsA", "TEXTMETRICA");
  if (ok) *metrics = Metrics(g.fonts[dc->font].description);
  if (ok) {
    Record("GetTextMetricsA(", handle, ") -> tmHeight ", metrics->tmHeight);
  } else {
    Record("GetTextMetricsA(", handle, ") -> FALSE");
  }
  return ok;
}

BOOL WINAPI GetCharABCWidthsW(HDC handle, UINT first, UINT last, LPABC widths) {
  Dc *dc = LiveDc(handle, "GetCharABCWidthsW");
  bool ok = dc && CheckPointer(widths, "GetCharABCWidthsW", "ABC array") && first <= last;
  for (UINT unit = first; ok && unit <= last; ++unit) {
    auto printer = dc->kind == DcKind::kPrinter ? g.printerGlyphs.find((WCHAR)unit) : g.printerGlyphs.end();
    if (printer != g.printerGlyphs.end()) widths[unit - first] = printer->second;
    else ok = Glyph(unit, Em(g.fonts[dc->font].description), &widths[unit - first]);
  }
  if (ok) {
    Record("GetCharABCWidthsW(", handle, ", ", UnitRange{first, last}, ") -> ",
           Abcs{widths, (size_t)(last - first) + 1});
  } else {
    Record("GetCharABCWidthsW(", handle, ", ", UnitRange{first, last}, ") -> FALSE");
  }
  return ok;
}

// The extent is where TextOutA's pen ends: the sum of the units' A + B + C,
// a unit whose query fails counting one advance, as it is drawn.
BOOL WINAPI GetTextExtentPoint32A(HDC handle, LPCSTR text, int count, LPSIZE size) {
  Dc *dc = LiveDc(handle, "GetTextExtentPoint32A");
  bool ok = dc && CheckPointer(size, "GetTextExtentPoint32A", "SIZE");
  if (ok && (count < 0 || (count > 0 && !text))) {
    ReportMisuse("GetTextExtentPoint32A: invalid text or count");
    ok = false;
  }
  if (ok) {
    const LOGFONTA &font = g.fonts[dc->font].description;
    size->cx = 0;
    for (int i = 0; i < count; ++i) {
      ABC abc = DrawnGlyph(CodeUnit(text[i]), Em(font));
      size->cx += abc.abcA + (int)abc.abcB + abc.abcC;
    }
    size->cy = Metrics(font).tmHeight;
    Record("GetTextExtentPoint32A(", handle, ", ", TextArgument(text, count), ") -> {", (int)size->cx, ", ",
           (int)size->cy, "}");
  } else {
    Record("GetTextExtentPoint32A(", handle, ", ", TextArgument(text, 0), ") -> FALSE");
  }
  return ok;
}

UINT WINAPI SetTextAlign(HDC handle, UINT align) {
  Dc *dc = LiveDc(handle, "SetTextAlign");
  UINT previous = 0xFFFFFFFF;  // GDI_ERROR
  if (dc) {
    previous = dc->align;
    dc->align = align;
  }
  Record("SetTextAlign(", handle, ", ", align, ") -> ", previous);
  return previous;
}

int WINAPI SetBkMode(HDC handle, int mode) {
  Dc *dc = LiveDc(handle, "SetBkMode");
  int previous = 0;
  if (dc && !BkModeName(mode)) {
    ReportMisuse("SetBkMode: mode " + std::to_string(mode) + " does not exist");
  } else if (dc) {
    previous = dc->bkMode;
    dc->bkMode = mode;
  }
  Record("SetBkMode(", handle, ", ", Named{mode, BkModeName(mode)}, ") -> ", Named{previous, BkModeName(previous)});
  return previous;
}

BOOL WINAPI TextOutW(HDC dc, int x, int y, LPCWSTR text, int count) {
  return TextOutUnits("TextOutW", dc, x, y, text, count);
}

BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int count) {
  return TextOutUnits("TextOutA", dc, x, y, text, count);
}

BOOL WINAPI ExtTextOutW(HDC handle, int x, int y, UINT options, const RECT *rect, LPCWSTR text, UINT count,
                        const INT *dx) {
  Dc *dc = LiveDc(handle, "ExtTextOutW");
  bool ok = dc != nullptr;
  if (ok && (options & ~(UINT)(ETO_CLIPPED | ETO_IGNORELANGUAGE) || ((options & ETO_CLIPPED) && !rect))) {
    ReportMisuse("ExtTextOutW: only ETO_CLIPPED with a rectangle and ETO_IGNORELANGUAGE are modelled");
    ok = false;
  }
  if (ok) DrawUnits(*dc, x, y, text, (int)count, options & ETO_CLIPPED ? rect : nullptr, dx);
  Record("ExtTextOutW(", handle, ", ", x, ", ", y, ", ", Hex{options}, ", ", rect, ", ",
         TextArgument(text, ok ? (int)count : 0), ")", Failed(ok));
  return ok;
}

HGDIOBJ WINAPI GetStockObject(int object) {
  Record("GetStockObject(", object, ") -> stockobject");
  return MakeHandle<HGDIOBJ>(kStock, 0);
}

BOOL WINAPI MoveToEx(HDC handle, int x, int y, LPPOINT previous) {
  Dc *dc = LiveDc(handle, "MoveToEx");
  if (dc) {
    if (previous) *previous = dc->pen;
    dc->pen = {x, y};
  }
  Record("MoveToEx(", handle, ", ", x, ", ", y, ")", Failed(dc != nullptr));
  return dc != nullptr;
}

BOOL WINAPI LineTo(HDC handle, int x, int y) {
  Dc *dc = LiveDc(handle, "LineTo");
  if (dc) {
    DrawLine(*dc, dc->pen, {x, y});
    dc->pen = {x, y};
  }
  Record("LineTo(", handle, ", ", x, ", ", y, ")", Failed(dc != nullptr));
  return dc != nullptr;
}

BOOL WINAPI Rectangle(HDC handle, int left, int top, int right, int bottom) {
  Dc *dc = LiveDc(handle, "Rectangle");
  if (dc) {
    // Default pen and brush: black outline, white inside.
    int l = std::min(left, right), r = std::max(left, right), t = std::min(top, bottom), b = std::max(top, bottom);
    Fill(*dc, l, t, r, b, 0);
    Fill(*dc, l + 1, t + 1, r - 1, b - 1, 255);
  }
  Record("Rectangle(", handle, ", ", left, ", ", top, ", ", right, ", ", bottom, ")", Failed(dc != nullptr));
  return dc != nullptr;
}

BOOL WINAPI PatBlt(HDC handle, int x, int y, int width, int height, DWORD rop) {
  Dc *dc = LiveDc(handle, "PatBlt");
  bool ok = dc != nullptr;
  if (ok && rop != DSTINVERT) {
    ReportMisuse("PatBlt: raster operation " + std::to_string(rop) + " is not modelled");
    ok = false;
  }
  if (ok) {
    int l = std::min(x, x + width), t = std::min(y, y + height);
    ForEachPixel(*dc, l, t, l + std::abs(width), t + std::abs(height),
                 [](int, int, uint8_t &pixel) { pixel = (uint8_t)(255 - pixel); });
  }
  Record("PatBlt(", handle, ", ", x, ", ", y, ", ", width, ", ", height, ", ", Named{(long long)rop, RopName(rop)}, ")",
         Failed(ok));
  return ok;
}

int WINAPI GetClipBox(HDC handle, LPRECT rect) {
  Dc *dc = LiveDc(handle, "GetClipBox");
  if (!dc || !CheckPointer(rect, "GetClipBox", "RECT")) {
    Record("GetClipBox(", handle, ") -> ERROR");
    return 0;  // ERROR
  }
  size_t visible;
  *rect = ClipBounds(*dc, &visible);
  const size_t boxArea = (size_t)(rect->right - rect->left) * (size_t)(rect->bottom - rect->top);
  const int type = visible == 0 ? NULLREGION : visible == boxArea ? SIMPLEREGION : COMPLEXREGION;
  Record("GetClipBox(", handle, ") -> ", rect, " ", RegionTypeName(type));
  return type;
}

// ---- KERNEL32 -------------------------------------------------------------

namespace {

bool CheckHeap(HANDLE heap, const char *function) {
  if (heap == ProcessHeap()) return true;
  ReportMisuse(std::string(function) + ": " + HandleName(heap) + " is not the process heap");
  return false;
}

}  // namespace

HANDLE WINAPI GetProcessHeap(void) {
  Record("GetProcessHeap() -> heap");
  return ProcessHeap();
}

LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes) {
  void *block = nullptr;
  bool ok = CheckHeap(heap, "HeapAlloc");
  if (ok && g.failAllocations > 0 && g.skipAllocations == 0) {
    --g.failAllocations;
  } else if (ok) {
    if (g.failAllocations > 0) --g.skipAllocations;
    block = std::malloc(std::max<SIZE_T>(bytes, 1));  // Windows hands out a block even for 0 bytes
  }
  if (block) {
    // Without HEAP_ZERO_MEMORY the contents are garbage, so reliance on zeros shows.
    std::memset(block, (flags & HEAP_ZERO_MEMORY) ? 0 : 0xCD, bytes);
    g.blocks[block] = {bytes, ++g.blocksMade};
    g.heapBytes += bytes;
  }
  Record("HeapAlloc(", heap, ", ", Named{flags, HeapFlagsName(flags)}, ", ", bytes, ") -> ", block);
  return block;
}

BOOL WINAPI HeapFree(HANDLE heap, DWORD flags, LPVOID block) {
  bool ok = CheckHeap(heap, "HeapFree");
  auto found = g.blocks.find(block);
  // Freeing NULL succeeds and does nothing, as on Windows.
  if (ok && block && found == g.blocks.end()) {
    ReportMisuse("HeapFree: " + HandleName(block) + " is not a live heap block");
    ok = false;
  }
  Record("HeapFree(", heap, ", ", Named{flags, HeapFlagsName(flags)}, ", ", block, ")", Failed(ok));
  if (ok && block) {
    g.heapBytes -= found->second.bytes;
    g.blocks.erase(found);
    std::free(block);
  }
  return ok;
}

// ---- Files ------------------------------------------------------------------

namespace {

const char *const kFailable[] = {"CreateFileA", "ReadFile", "WriteFile", "FlushFileBuffers", "CloseHandle",
                                 "GetFileSize", "GetFileInformationByHandle", "SetFilePointer", "SetEndOfFile",
                                 "GetTempPathA", "GetTempFileNameA", "DeleteFileA",
                                 // fake_clipboard.cpp
                                 "GlobalAlloc", "GlobalLock", "OpenClipboard", "EmptyClipboard", "SetClipboardData",
                                 "GetClipboardData",
                                 // fake_printer.cpp
                                 "StartDocA", "StartPage", "EndPage", "EndDoc", "AbortDoc"};

}  // namespace

namespace fake_internal {

bool InjectedFailure(const char *function) {
  auto left = g.failures.find(function);
  if (left == g.failures.end() || left->second == 0) return false;
  int &skip = g.skips[function];
  if (skip > 0) {
    --skip;
    return false;
  }
  --left->second;
  return true;
}

}  // namespace fake_internal

namespace {

// "C:\docs\" names the same folder as "C:\docs".
std::string FolderName(std::string folder) {
  if (!folder.empty() && folder.back() == '\\') folder.pop_back();
  return folder;
}

bool FolderExists(const std::string &path) {
  const std::string folder = FolderName(path);
  if (g.folders.count(folder)) return true;
  const std::string inside = folder + '\\';
  auto isInside = [&inside](const std::string &name) { return name.compare(0, inside.size(), inside) == 0; };
  auto file = g.files.lower_bound(inside);
  auto made = g.folders.lower_bound(inside);
  return (file != g.files.end() && isInside(file->first)) || (made != g.folders.end() && isInside(*made));
}

// A path without a backslash lies in the current folder, which exists.
bool ParentExists(const std::string &path) {
  size_t slash = path.rfind('\\');
  return slash == std::string::npos || FolderExists(path.substr(0, slash));
}

bool IsOpen(const std::string &path) {
  return std::any_of(g.fileHandles.begin() + FirstOpenFile(), g.fileHandles.end(),
                     [&path](const FileHandle &file) { return file.open && file.path == path; });
}

// Windows refuses to delete a file while a handle to it is open.
bool Removable(const std::string &path) { return g.files.count(path) && !IsOpen(path); }

// Whether a handle with access would trespass on a handle opened with share.
// No write sharing is modelled, so any writer excludes every other handle.
bool Conflicts(DWORD access, DWORD share) {
  return ((access & GENERIC_READ) && !(share & FILE_SHARE_READ)) || (access & GENERIC_WRITE);
}

bool Openable(const std::string &path, DWORD access, DWORD share, DWORD disposition) {
  if (disposition == OPEN_EXISTING ? !g.files.count(path) : !ParentExists(path)) return false;
  if ((access & GENERIC_WRITE) && g.readOnly.count(path)) return false;
  return std::none_of(g.fileHandles.begin() + FirstOpenFile(), g.fileHandles.end(), [&](const FileHandle &file) {
    return file.open && file.path == path && (Conflicts(access, file.share) || Conflicts(file.access, share));
  });
}

FileHandle *LiveFile(HANDLE handle, const char *function) {
  size_t index;
  if (!Decode(handle, kFile, g.fileHandles.size(), &index)) {
    ReportMisuse(std::string(function) + ": " + HandleName(handle) + " is not a file");
    return nullptr;
  }
  if (!g.fileHandles[index].open) {
    ReportMisuse(std::string(function) + ": " + HandleName(handle) + " used after CloseHandle");
    return nullptr;
  }
  return &g.fileHandles[index];
}

// What ReadFile and WriteFile both require: only overlapped calls may leave
// out the count, and overlapped handles are not modelled.
FileHandle *TransferFile(HANDLE handle, const void *buffer, DWORD bytes, const DWORD *count, const void *overlapped,
                       const char *function) {
  FileHandle *file = LiveFile(handle, function);
  if (file && overlapped) {
    ReportMisuse(std::string(function) + ": overlapped transfers are not modelled");
    return nullptr;
  }
  if (file && (!count || (!buffer && bytes))) {
    ReportMisuse(std::string(function) + ": NULL buffer or count");
    return nullptr;
  }
  return file;
}

}  // namespace

HANDLE WINAPI CreateFileA(LPCSTR path, DWORD access, DWORD share, void *security, DWORD disposition,
                          DWORD attributes, HANDLE templateFile) {
  bool ok = CheckPointer(path, "CreateFileA", "path");
  if (ok && ((access & ~(DWORD)(GENERIC_READ | GENERIC_WRITE)) || (share & ~(DWORD)FILE_SHARE_READ) || security ||
             !DispositionName(disposition) || (attributes & ~(DWORD)FILE_ATTRIBUTE_NORMAL) || templateFile)) {
    ReportMisuse("CreateFileA: only read and write access, FILE_SHARE_READ, CREATE_ALWAYS, OPEN_EXISTING, OPEN_ALWAYS "
                 "and normal attributes are modelled");
    ok = false;
  }
  HANDLE handle = INVALID_HANDLE_VALUE;
  g.lastError = ERROR_ACCESS_DENIED;  // whatever the cause: the product reads the code only after success
  if (ok && !InjectedFailure("CreateFileA") && Openable(path, access, share, disposition)) {
    g.lastError = g.files.count(path) && disposition != OPEN_EXISTING ? ERROR_ALREADY_EXISTS : 0;
    if (disposition == CREATE_ALWAYS) g.files[path].clear();
    g.files[path];  // OPEN_ALWAYS makes a missing file
    handle = MakeHandle<HANDLE>(kFile, g.fileHandles.size());
    g.fileHandles.emplace_back(path, access, share);
  }
  Record("CreateFileA(", PathText{path}, ", ", FlagsOf(access, kAccessNames), ", ", FlagsOf(share, kShareNames), ", ",
         Named{disposition, DispositionName(disposition)}, ") -> ", handle);
  return handle;
}

DWORD WINAPI GetFileSize(HANDLE handle, DWORD *high) {
  FileHandle *file = LiveFile(handle, "GetFileSize");
  DWORD size = INVALID_FILE_SIZE;
  if (file && !InjectedFailure("GetFileSize")) {
    size = (DWORD)g.files[file->path].size();
    if (high) *high = 0;  // in-memory files stay below 4 GB
  }
  Record("GetFileSize(", handle, ") -> ", Named{size, size == INVALID_FILE_SIZE ? "INVALID_FILE_SIZE" : nullptr});
  return size;
}

BOOL WINAPI ReadFile(HANDLE handle, LPVOID buffer, DWORD bytes, DWORD *read, void *overlapped) {
  if (read) *read = 0;  // Windows clears it before any checking
  FileHandle *file = TransferFile(handle, buffer, bytes, read, overlapped, "ReadFile");
  bool ok = file && !InjectedFailure("ReadFile") && (file->access & GENERIC_READ);
  if (ok) {
    const std::string &contents = g.files[file->path];
    size_t count = file->position < contents.size() ? std::min<size_t>(bytes, contents.size() - file->position) : 0;
    if (count) std::memcpy(buffer, contents.data() + file->position, count);
    file->position += count;
    *read = (DWORD)count;
    Record("ReadFile(", handle, ", ", bytes, " bytes) -> ", *read);
  } else {
    Record("ReadFile(", handle, ", ", bytes, " bytes) -> FALSE");
  }
  return ok;
}

BOOL WINAPI WriteFile(HANDLE handle, const void *buffer, DWORD bytes, DWORD *written, void *overlapped) {
  if (written) *written = 0;
  FileHandle *file = TransferFile(handle, buffer, bytes, written, overlapped, "WriteFile");
  bool ok = file && !InjectedFailure("WriteFile") && (file->access & GENERIC_WRITE);
  if (ok) {
    bool shortens = g.shortWrite && g.shortWriteSkip-- == 0;
    DWORD count = shortens ? std::min(bytes, g.shortWriteBytes) : bytes;
    if (shortens) g.shortWrite = false;
    std::string &contents = g.files[file->path];
    if (contents.size() < file->position + count) contents.resize(file->position + count);
    if (count) contents.replace(file->position, count, static_cast<const char *>(buffer), count);
    file->position += count;
    *written = count;
    Record("WriteFile(", handle, ", ", bytes, " bytes) -> ", *written);
  } else {
    Record("WriteFile(", handle, ", ", bytes, " bytes) -> FALSE");
  }
  return ok;
}

BOOL WINAPI FlushFileBuffers(HANDLE handle) {
  FileHandle *file = LiveFile(handle, "FlushFileBuffers");
  // Writes reach the in-memory file at once; flushing needs write access all the same.
  bool ok = file && !InjectedFailure("FlushFileBuffers") && (file->access & GENERIC_WRITE);
  Record("FlushFileBuffers(", handle, ")", Failed(ok));
  return ok;
}

BOOL WINAPI CloseHandle(HANDLE handle) {
  FileHandle *file = LiveFile(handle, "CloseHandle");
  bool ok = file && !InjectedFailure("CloseHandle");
  if (file) file->open = false;  // Windows releases the handle even when closing reports an error
  Record("CloseHandle(", handle, ")", Failed(ok));
  return ok;
}

UINT WINAPI GetTempFileNameA(LPCSTR folder, LPCSTR prefix, UINT unique, LPSTR name) {
  bool ok = CheckPointer(folder, "GetTempFileNameA", "folder") && CheckPointer(prefix, "GetTempFileNameA", "prefix") &&
            CheckPointer(name, "GetTempFileNameA", "name buffer");
  if (ok && unique != 0) {
    ReportMisuse("GetTempFileNameA: only unique 0 (make a new file) is modelled");
    ok = false;
  }
  UINT number = 0;
  const std::string stem = ok ? FolderName(folder) + '\\' + std::string(prefix).substr(0, 3) : "";
  // The name needs room for 4 hex digits, ".tmp" and its 0 in the MAX_PATH buffer.
  if (ok && !InjectedFailure("GetTempFileNameA") && FolderExists(folder) && stem.size() + 9 <= MAX_PATH) {
    // Counts on from the last number, skipping names in use, until all 65535 are tried.
    for (UINT tries = 0; tries < 0xFFFF && number == 0; ++tries) {
      g.lastTemporary = g.lastTemporary % 0xFFFF + 1;
      char digits[8];
      std::snprintf(digits, sizeof digits, "%04X", g.lastTemporary);
      const std::string path = stem + digits + ".tmp";
      if (g.files.count(path)) continue;
      g.files[path] = "";
      std::memcpy(name, path.c_str(), path.size() + 1);
      number = g.lastTemporary;
    }
  }
  if (number) {
    Record("GetTempFileNameA(", PathText{folder}, ", ", Quote(prefix), ", ", unique, ") -> ", PathText{name});
  } else {
    Record("GetTempFileNameA(", PathText{folder}, ", ", Quote(prefix), ", ", unique, ") -> 0");
  }
  return number;
}

BOOL WINAPI GetFileInformationByHandle(HANDLE handle, LPBY_HANDLE_FILE_INFORMATION information) {
  FileHandle *file = LiveFile(handle, "GetFileInformationByHandle");
  bool ok = file && CheckPointer(information, "GetFileInformationByHandle", "information") &&
            !InjectedFailure("GetFileInformationByHandle");
  if (ok) {
    *information = BY_HANDLE_FILE_INFORMATION{};
    information->dwFileAttributes = g.readOnly.count(file->path) ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_ARCHIVE;
    information->nFileSizeLow = (DWORD)g.files[file->path].size();
    information->nNumberOfLinks = 1;
    Record("GetFileInformationByHandle(", handle, ") -> ", information->nFileSizeLow, " bytes");
  } else {
    Record("GetFileInformationByHandle(", handle, ") -> FALSE");
  }
  return ok;
}

DWORD WINAPI SetFilePointer(HANDLE handle, LONG distance, LONG *distanceHigh, DWORD method) {
  FileHandle *file = LiveFile(handle, "SetFilePointer");
  if (file && method != FILE_BEGIN) {
    ReportMisuse("SetFilePointer: only FILE_BEGIN is modelled");
    file = nullptr;
  }
  // Without the high half the distance is signed; with it, the low half is not.
  const int64_t offset = distanceHigh ? (int64_t)(((uint64_t)(DWORD)*distanceHigh << 32) | (DWORD)distance) : distance;
  bool ok = file && !InjectedFailure("SetFilePointer") && offset >= 0;
  if (ok) {
    file->position = (size_t)offset;
    if (distanceHigh) *distanceHigh = (LONG)(offset >> 32);
  }
  Record("SetFilePointer(", handle, ", ", (long long)offset, ")", Failed(ok));
  return ok ? (DWORD)offset : INVALID_SET_FILE_POINTER;
}

BOOL WINAPI SetEndOfFile(HANDLE handle) {
  FileHandle *file = LiveFile(handle, "SetEndOfFile");
  bool ok = file && !InjectedFailure("SetEndOfFile") && (file->access & GENERIC_WRITE);
  if (ok) g.files[file->path].resize(file->position);
  Record("SetEndOfFile(", handle, ")", Failed(ok));
  return ok;
}

DWORD WINAPI GetTempPathA(DWORD size, LPSTR buffer) {
  const std::string folder = std::string(fake::TemporaryFolder) + '\\';
  DWORD result = 0;
  if (!InjectedFailure("GetTempPathA")) {
    // Too small a buffer gets nothing and the size it needs.
    result = size > folder.size() ? (DWORD)folder.size() : (DWORD)folder.size() + 1;
    if (size > folder.size() && CheckPointer(buffer, "GetTempPathA", "buffer")) {
      std::memcpy(buffer, folder.c_str(), folder.size() + 1);
    }
  }
  Record("GetTempPathA(", size, ") -> ", result);
  return result;
}

DWORD WINAPI GetLastError(void) { return g.lastError; }

BOOL WINAPI DeleteFileA(LPCSTR path) {
  bool ok = CheckPointer(path, "DeleteFileA", "path") && !InjectedFailure("DeleteFileA") && Removable(path);
  if (ok) g.files.erase(path);
  Record("DeleteFileA(", PathText{path}, ")", Failed(ok));
  return ok;
}

// ---- COMDLG32 ---------------------------------------------------------------

namespace {

// lpstrFilter ends with two 0s in a row; every 0 up to them shows as '|'.
std::string FilterText(const char *filter) {
  std::string text;
  for (size_t i = 0; filter; ++i) {
    text += filter[i] ? filter[i] : '|';
    if (i > 0 && filter[i] == 0 && filter[i - 1] == 0) break;
  }
  return text;
}

// What the user ends up choosing: the scripted path, with the default
// extension the dialog adds to a name typed without one; "" when cancelled.
std::string ChosenPath(const char *function, const OPENFILENAMEA &record) {
  if (g.fileAnswers.empty()) {
    ADD_FAILURE() << function << ": no scripted answer; cancelling";
    return "";
  }
  std::string path = g.fileAnswers.front();
  g.fileAnswers.pop_front();
  if (path.empty()) return path;
  if (record.lpstrDefExt && *record.lpstrDefExt && path.find('.', path.rfind('\\') + 1) == std::string::npos) {
    path += '.' + std::string(record.lpstrDefExt).substr(0, 3);  // the dialog appends three characters at most
  }
  // The real dialog keeps asking rather than return such a path.
  const char *refusal = nullptr;
  if ((record.Flags & OFN_FILEMUSTEXIST) && !g.files.count(path)) {
    refusal = "does not exist";
  } else if ((record.Flags & OFN_PATHMUSTEXIST) && !ParentExists(path)) {
    refusal = "is in no folder that exists";
  }
  if (refusal) {
    ADD_FAILURE() << function << ": the dialog would not return \"" << path << "\", which " << refusal
                  << "; cancelling";
    return "";
  }
  return path;
}

BOOL FileDialog(const char *function, LPOPENFILENAMEA record) {
  if (!CheckPointer(record, function, "OPENFILENAMEA")) {
    Record(function, "(NULL) -> FALSE");
    return FALSE;
  }
  // Only lStructSize bytes are the product's: a smaller record must not be read past its end.
  g.lastDialog = OPENFILENAMEA{};
  std::memcpy(&g.lastDialog, record, std::min<size_t>(record->lStructSize, sizeof(OPENFILENAMEA)));
  g.lastFilter.clear();
  if (record->lStructSize != sizeof(OPENFILENAMEA)) {
    ReportMisuse(std::string(function) + ": lStructSize " + std::to_string(record->lStructSize) +
                 " is not sizeof(OPENFILENAMEA), which the dialog refuses");
    Record(function, "(lStructSize ", record->lStructSize, ") -> FALSE");
    return FALSE;
  }
  g.lastFilter = FilterText(record->lpstrFilter);
  bool ok = true;
  if (!record->lpstrFile || record->nMaxFile == 0) {
    ReportMisuse(std::string(function) + ": no lpstrFile buffer");
    ok = false;
  } else if (record->hwndOwner) {
    ok = CheckWindow(record->hwndOwner, function);
  }
  if (!ok) {
    Record(function, "(flags ", Hex{g.lastDialog.Flags}, ") -> FALSE");
    return FALSE;
  }
  const std::string path = ChosenPath(function, *record);
  if (path.empty()) {
    Record(function, "(flags ", Hex{g.lastDialog.Flags}, ") -> cancelled");
    return FALSE;
  }
  if (path.size() + 1 > record->nMaxFile) {
    // FNERR_BUFFERTOOSMALL: the first two bytes hold the size needed.
    if (record->nMaxFile >= 2) {
      const WORD needed = (WORD)(path.size() + 1);
      std::memcpy(record->lpstrFile, &needed, sizeof needed);
    }
    Record(function, "(flags ", Hex{g.lastDialog.Flags}, ") -> buffer too small for ", PathText{path.c_str()});
    return FALSE;
  }
  std::memcpy(record->lpstrFile, path.c_str(), path.size() + 1);
  const size_t nameStart = path.rfind('\\') + 1;  // 0 when there is no folder (npos + 1)
  const std::string name = path.substr(nameStart);
  if (record->lpstrFileTitle && record->nMaxFileTitle > 0) {
    const size_t length = std::min<size_t>(name.size(), record->nMaxFileTitle - 1);
    std::memcpy(record->lpstrFileTitle, name.data(), length);
    record->lpstrFileTitle[length] = 0;
  }
  // Without an extension nFileExtension is the terminating 0's offset; after a final '.' it is 0.
  const size_t dot = name.rfind('.');
  size_t extension = nameStart + dot + 1;
  if (dot == std::string::npos) {
    extension = path.size();
  } else if (dot + 1 == name.size()) {
    extension = 0;
  }
  record->nFileOffset = (WORD)nameStart;
  record->nFileExtension = (WORD)extension;
  Record(function, "(flags ", Hex{g.lastDialog.Flags}, ") -> ", PathText{path.c_str()});
  return TRUE;
}

}  // namespace

BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA record) { return FileDialog("GetOpenFileNameA", record); }
BOOL WINAPI GetSaveFileNameA(LPOPENFILENAMEA record) { return FileDialog("GetSaveFileNameA", record); }

// ---- Test-facing API ------------------------------------------------------

// ---- Window class, messages, timers and capture ---------------------------

namespace {

std::string WideText(LPCWSTR text) {
  std::string narrow;
  for (; text && *text; ++text) narrow += *text < 128 ? (char)*text : '?';
  return narrow;
}

void MakeWindow(WNDPROC procedure, int width, int height) {
  ++g.windows;
  g.procedure = procedure;
  g.width = g.height = 0;
  g.eraseNeeded = false;
  g.regionBounds = {0, 0, 0, 0};
  g.scroll = ScrollBar{};
  g.shown = g.destroyed = false;
  g.timers.clear();
  g.capture = false;
  SetClientSize(width, height);
}

void LoseCapture(HWND newOwner) {
  if (!g.capture) return;
  g.capture = false;
  g.procedure(Window(), WM_CAPTURECHANGED, 0, (LPARAM)newOwner);
}

}  // namespace

ATOM WINAPI RegisterClassW(const WNDCLASSW *windowClass) {
  bool ok = CheckPointer(windowClass, "RegisterClassW", "WNDCLASSW") && windowClass->lpfnWndProc;
  if (ok) g.classProcedure = windowClass->lpfnWndProc;
  Record("RegisterClassW(\"", ok ? WideText(windowClass->lpszClassName).c_str() : "", "\", style ",
         ok ? windowClass->style : 0u, ") -> ", ok ? 1 : 0);
  return ok ? 1 : 0;
}

HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int, int, int, int, HWND,
                            HMENU, HINSTANCE, LPVOID) {
  if (!g.classProcedure) ReportMisuse("CreateWindowExW: no class registered");
  MakeWindow(g.classProcedure, g.defaultWidth, g.defaultHeight);
  Record("CreateWindowExW(", Hex{exStyle}, ", \"", WideText(className).c_str(), "\", \"", WideText(title).c_str(),
         "\", ", Hex{style}, ") -> ", Window());
  if (g.procedure) g.procedure(Window(), WM_CREATE, 0, 0);
  return Window();
}

LRESULT WINAPI DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CheckWindow(window, "DefWindowProcW");
  Record("DefWindowProcW(", window, ", ", Hex{message}, ", ", (long long)wParam, ", ", (long long)lParam, ")");
  if (message == WM_CLOSE && !g.destroyed) {
    LoseCapture(nullptr);
    g.procedure(window, WM_DESTROY, 0, 0);
    g.destroyed = true;
  }
  return 0;
}

BOOL WINAPI ShowWindow(HWND window, int showCommand) {
  bool ok = CheckWindow(window, "ShowWindow");
  Record("ShowWindow(", window, ", ", showCommand, ")");
  if (ok && !g.shown) {  // the first showing sizes the window
    g.shown = true;
    AddToRegion(Client(), true);
    g.procedure(window, WM_SIZE, 0, MAKELPARAM(g.width, g.height));
  }
  return FALSE;
}

BOOL WINAPI GetMessageW(LPMSG message, HWND, UINT, UINT) {
  if (g.posted.empty()) {
    ReportMisuse("GetMessageW: the queue is empty and nothing would ever arrive");
    *message = MSG{};
    message->message = WM_QUIT;
  } else {
    *message = g.posted.front();
    g.posted.pop_front();
  }
  Record("GetMessageW() -> ", Hex{message->message});
  return message->message != WM_QUIT;
}

BOOL WINAPI TranslateMessage(const MSG *) { return FALSE; }

LRESULT WINAPI DispatchMessageW(const MSG *message) {
  return g.procedure ? g.procedure(message->hwnd, message->message, message->wParam, message->lParam) : 0;
}

int WINAPI TranslateAcceleratorW(HWND, HACCEL, LPMSG) { return 0; }

void WINAPI PostQuitMessage(int exitCode) {
  Record("PostQuitMessage(", exitCode, ")");
  g.quitCode = exitCode;
  MSG quit{};
  quit.message = WM_QUIT;
  quit.wParam = (WPARAM)exitCode;
  g.posted.push_back(quit);
}

HACCEL WINAPI LoadAcceleratorsW(HINSTANCE, LPCWSTR) { return MakeHandle<HACCEL>(kStock, 0); }
HICON WINAPI LoadIconW(HINSTANCE, LPCWSTR) { return MakeHandle<HICON>(kStock, 0); }
HCURSOR WINAPI LoadCursorW(HINSTANCE, LPCWSTR) { return MakeHandle<HCURSOR>(kStock, 0); }

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT milliseconds, TIMERPROC procedure) {
  bool ok = CheckWindow(window, "SetTimer");
  if (procedure) ReportMisuse("SetTimer: timer procedures are not modelled");
  if (ok) g.timers[id] = milliseconds;
  Record("SetTimer(", window, ", ", (long long)id, ", ", milliseconds, ")");
  return ok ? id : 0;
}

BOOL WINAPI KillTimer(HWND window, UINT_PTR id) {
  bool ok = CheckWindow(window, "KillTimer") && g.timers.erase(id) == 1;
  Record("KillTimer(", window, ", ", (long long)id, ")", Failed(ok));
  return ok;
}

HWND WINAPI SetCapture(HWND window) {
  bool ok = CheckWindow(window, "SetCapture");
  HWND previous = g.capture ? Window() : nullptr;
  if (ok) g.capture = true;
  Record("SetCapture(", window, ") -> ", previous);
  return previous;
}

SHORT WINAPI GetKeyState(int virtualKey) {
  // Down is the high bit; the toggle bit (low) is never set here.
  SHORT state = g.keysHeld.count(virtualKey) ? (SHORT)0x8000 : (SHORT)0;
  const char *name = virtualKey == VK_SHIFT ? "VK_SHIFT" : virtualKey == VK_CONTROL ? "VK_CONTROL" : nullptr;
  Record("GetKeyState(", Named{virtualKey, name}, ") -> ", state < 0 ? "down" : "up");
  return state;
}

LRESULT WINAPI SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Record("SendMessageW(", window, ", ", Hex{message}, ", ", (long long)wParam, ", ", (long long)lParam, ")");
  return CheckWindow(window, "SendMessageW") ? g.procedure(window, message, wParam, lParam) : 0;
}

HMENU WINAPI GetMenu(HWND window) {
  CheckWindow(window, "GetMenu");
  Record("GetMenu(", window, ") -> menu");
  return MakeHandle<HMENU>(kStock, 1);
}

DWORD WINAPI CheckMenuItem(HMENU, UINT item, UINT check) {
  auto found = g.menuChecks.find(item);
  DWORD previous = found == g.menuChecks.end() ? 0 : found->second;
  g.menuChecks[item] = check;
  Record("CheckMenuItem(menu, ", item, ", ", check == MF_CHECKED ? "MF_CHECKED" : "MF_UNCHECKED", ")");
  return previous;
}

BOOL WINAPI EnableMenuItem(HMENU, UINT item, UINT enable) {
  auto found = g.menuEnables.find(item);
  BOOL previous = found == g.menuEnables.end() ? MF_ENABLED : (BOOL)found->second;
  g.menuEnables[item] = enable;
  Record("EnableMenuItem(menu, ", item, ", ", enable == MF_GRAYED ? "MF_GRAYED" : "MF_ENABLED", ")");
  return previous;
}

BOOL WINAPI DrawMenuBar(HWND window) {
  Record("DrawMenuBar(", window, ")");
  return CheckWindow(window, "DrawMenuBar");
}

BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text) {
  bool ok = CheckWindow(window, "SetWindowTextA");
  if (ok) g.title = text ? text : "";
  Record("SetWindowTextA(", window, ", ", Quote(text), ")", Failed(ok));
  return ok;
}

BOOL WINAPI ReleaseCapture(void) {
  Record("ReleaseCapture()");
  LoseCapture(nullptr);
  return TRUE;
}

namespace fake {

HWND OpenWindow(WNDPROC procedure, int clientWidth, int clientHeight) {
  // A new window replaces the previous one, which stops existing.
  MakeWindow(procedure, clientWidth, clientHeight);
  g.shown = true;
  return Window();
}

void SetDefaultClientSize(int clientWidth, int clientHeight) {
  g.defaultWidth = clientWidth;
  g.defaultHeight = clientHeight;
}

LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) { return g.procedure(Window(), message, wParam, lParam); }
bool WindowDestroyed() { return g.destroyed; }
int QuitCode() { return g.quitCode; }

UINT TimerPeriod(UINT_PTR id) {
  auto timer = g.timers.find(id);
  return timer == g.timers.end() ? 0 : timer->second;
}

void FireTimer(UINT_PTR id) {
  if (TimerPeriod(id) == 0) {
    ADD_FAILURE() << "fake::FireTimer: timer " << id << " is not running";
    return;
  }
  g.procedure(Window(), WM_TIMER, id, 0);
}

HWND Capture() { return g.capture ? Window() : nullptr; }

void HoldKey(int virtualKey, bool held) {
  if (held) g.keysHeld.insert(virtualKey);
  else g.keysHeld.erase(virtualKey);
}

UINT MenuItemCheck(UINT id) { return g.menuChecks.count(id) ? g.menuChecks[id] : 0; }
UINT MenuItemEnable(UINT id) { return g.menuEnables.count(id) ? g.menuEnables[id] : 0; }

void TakeCaptureAway() { LoseCapture(MakeHandle<HWND>(kWindow, g.windows + 100)); }

void ResizeWindow(int clientWidth, int clientHeight) {
  if (g.windows == 0) {
    ADD_FAILURE() << "fake::ResizeWindow: no window is open";
    return;
  }
  SetClientSize(clientWidth, clientHeight);
  AddToRegion(Client(), true);
  g.procedure(Window(), WM_SIZE, 0 /* SIZE_RESTORED */, MAKELPARAM(g.width, g.height));
}

int ClientWidth() { return g.width; }
int ClientHeight() { return g.height; }

void SetScreenDpi(int dpi) { g.dpi = dpi; }

const std::vector<std::string> &Calls() { return g.calls; }

std::vector<std::string> CallsTo(const std::vector<std::string> &names) {
  std::vector<std::string> found;
  for (const std::string &entry : g.calls) {
    std::string name = entry.substr(0, entry.find_first_of("( "));
    if (std::find(names.begin(), names.end(), name) != names.end()) found.push_back(entry);
  }
  return found;
}

void ClearCalls() { g.calls.clear(); }
void Note(const std::string &entry) {
  if (g.recording) g.calls.push_back(entry);
}
void SetRecording(bool on) { g.recording = on; }

Screen CaptureScreen() { return {g.width, g.height, g.pixels}; }

uint8_t Pixel(int x, int y) {
  if (x >= 0 && y >= 0 && x < g.width && y < g.height) return g.pixels[At(x, y)];
  ADD_FAILURE() << "fake::Pixel(" << x << ", " << y << ") is outside the " << g.width << "x" << g.height
                << " client area";
  return 0;
}

std::string DescribeScreenDifference(const Screen &expected, const Screen &actual) {
  auto size = [](const Screen &s) { return std::to_string(s.width) + "x" + std::to_string(s.height); };
  for (const Screen *s : {&expected, &actual}) {
    if (s->width < 0 || s->height < 0 || s->pixels.size() != (size_t)s->width * (size_t)s->height) {
      return "malformed screen " + size(*s) + " with " + std::to_string(s->pixels.size()) + " pixels";
    }
  }
  if (expected.width != actual.width || expected.height != actual.height) {
    return "size " + size(expected) + " expected, " + size(actual) + " actual";
  }
  const size_t shown = 5;
  size_t count = 0;
  std::string first;
  for (int y = 0; y < actual.height; ++y) {
    for (int x = 0; x < actual.width; ++x) {
      if (expected.At(x, y) == actual.At(x, y) || ++count > shown) continue;
      first += " (" + std::to_string(x) + ", " + std::to_string(y) + ") expected " + std::to_string(expected.At(x, y)) +
               " actual " + std::to_string(actual.At(x, y)) + ";";
    }
  }
  if (count == 0) return "";
  return std::to_string(count) + " pixels differ, first:" + first;
}

std::string UpdateRegion() { return BandsText(g.region, g.width, g.height); }
bool UpdateRegionEmpty() { return RegionEmpty(); }

void RepaintWholeWindow() {
  if (g.windows == 0) {
    ADD_FAILURE() << "fake::RepaintWholeWindow: no window is open";
    return;
  }
  AddToRegion(Client(), true);
  SendPaintIfNeeded();
}

void SetGlyph(WCHAR unit, int a, unsigned b, int c) { g.glyphs[unit] = {false, {a, b, c}}; }
void SetGlyphQueryFails(WCHAR unit) { g.glyphs[unit] = {true, {0, 0, 0}}; }
void SetPrinterGlyph(WCHAR unit, int a, unsigned b, int c) { g.printerGlyphs[unit] = {a, b, c}; }

LOGFONTA FontDescription(HFONT font) {
  size_t index;
  if (Decode(font, kFont, g.fonts.size(), &index)) return g.fonts[index].description;
  ADD_FAILURE() << "fake::FontDescription: " << HandleName(font) << " is not a font";
  return {};
}

int ScrollRangeMin() { return g.scroll.min; }
int ScrollRangeMax() { return g.scroll.max; }
int ScrollPosition() { return g.scroll.pos; }

const std::vector<MessageBoxRecord> &MessageBoxes() { return g.boxes; }
void AnswerNextMessageBox(int button) { g.answers.push_back(button); }

void MakeFolder(const std::string &folder) { g.folders.insert(FolderName(folder)); }
void MarkReadOnly(const std::string &path) { g.readOnly.insert(path); }
void PutFile(const std::string &path, const std::string &bytes) { g.files[path] = bytes; }
bool FileExists(const std::string &path) { return g.files.count(path) != 0; }

std::string FileBytes(const std::string &path) {
  auto file = g.files.find(path);
  if (file != g.files.end()) return file->second;
  ADD_FAILURE() << "fake::FileBytes: there is no file \"" << path << "\"";
  return "";
}

std::vector<std::string> FilePaths() {
  std::vector<std::string> paths;
  for (const auto &file : g.files) paths.push_back(file.first);
  return paths;
}

void AnswerNextFileDialog(const std::string &path) { g.fileAnswers.push_back(path); }
OPENFILENAMEA LastFileDialogRecord() { return g.lastDialog; }
std::string LastFileDialogFilter() { return g.lastFilter; }

void FailNext(const std::string &function, int count) {
  if (std::find(std::begin(kFailable), std::end(kFailable), function) == std::end(kFailable)) {
    ADD_FAILURE() << "fake::FailNext: " << function << " cannot be made to fail";
    return;
  }
  g.failures[function] = count;
  g.skips[function] = 0;
}

void FailLater(const std::string &function, int skip, int count) {
  FailNext(function, count);
  g.skips[function] = skip;
}

void ShortenNextWrite(DWORD bytes, int skip) {
  g.shortWrite = true;
  g.shortWriteBytes = bytes;
  g.shortWriteSkip = skip;
}

std::string WindowTitle() { return g.title; }

void FailNextAllocations(int count) {
  g.failAllocations = count;
  g.skipAllocations = 0;
}

void FailAllocationsLater(int skip, int count) {
  g.failAllocations = count;
  g.skipAllocations = skip;
}
size_t HeapBytesInUse() { return g.heapBytes; }

const std::vector<std::string> &Misuse() { return g.misuse; }

std::vector<std::string> Leaks() {
  std::vector<std::string> leaks;
  for (size_t i = FirstLiveDc(); i < g.dcs.size(); ++i) {
    const Dc &dc = g.dcs[i];
    if (!dc.live) continue;
    std::string name = HandleName(MakeHandle<HDC>(kDcHandle, i));
    leaks.push_back(dc.kind == DcKind::kPaint     ? name + " from BeginPaint not ended with EndPaint"
                    : dc.kind == DcKind::kPrinter ? name + " from PrintDlgA not deleted with DeleteDC"
                                                  : name + " from GetDC(" + HandleName(dc.owner) + ") not released");
  }
  for (size_t i = FirstLiveFont(); i < g.fonts.size(); ++i) {
    if (!g.fonts[i].deleted) leaks.push_back(HandleName(FontHandle(i)) + " not deleted");
  }
  std::vector<std::pair<int, size_t>> blocks;
  for (const auto &block : g.blocks) blocks.push_back({block.second.id, block.second.bytes});
  std::sort(blocks.begin(), blocks.end());
  for (const auto &block : blocks) {
    leaks.push_back("block" + std::to_string(block.first) + " of " + std::to_string(block.second) + " bytes not freed");
  }
  for (size_t i = FirstOpenFile(); i < g.fileHandles.size(); ++i) {
    if (!g.fileHandles[i].open) continue;
    std::string entry = HandleName(MakeHandle<HANDLE>(kFile, i)) + " of ";
    Append(entry, PathText{g.fileHandles[i].path.c_str()});
    leaks.push_back(entry + " not closed");
  }
  AddClipboardLeaks(leaks);
  AddPrinterLeaks(leaks);
  return leaks;
}

}  // namespace fake
