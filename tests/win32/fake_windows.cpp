// The one window the Win32 double hosts: its class, messages, timers, capture,
// keys, menu, title, scroll bar, message boxes and its update region.
#include "fake_win32_internal.h"

using namespace fake_internal;

namespace {

struct ScrollBar {
  int min = 0;  // the default range of a standard scroll bar
  int max = 100;
  int pos = 0;
};

struct Window {  // what each new window starts afresh
  WNDPROC procedure = nullptr;
  Grid region;                    // 1 where the update region covers a pixel; client-sized
  RECT regionBounds{0, 0, 0, 0};  // holds every pixel of the region; keeps scans small
  bool eraseNeeded = false;
  ScrollBar scroll;
  bool shown = false;
  bool destroyed = false;
  std::map<UINT_PTR, UINT> timers;  // running timers: id -> period
  bool capture = false;             // the window holds the mouse capture
};

struct Windows {
  size_t made = 0;  // opened so far; only the latest one exists
  Window window;
  bool inPaintMessage = false;
  WNDPROC classProcedure = nullptr;  // registered by RegisterClassW
  int defaultWidth = 800;            // client size CreateWindowExW gives
  int defaultHeight = 700;
  int quitCode = -1;
  std::deque<MSG> posted;
  std::set<int> keysHeld;            // virtual keys GetKeyState reports as down
  std::map<UINT, UINT> menuChecks;   // command id -> MF_CHECKED or MF_UNCHECKED
  std::map<UINT, UINT> menuEnables;  // command id -> MF_ENABLED or MF_GRAYED
  std::vector<fake::MessageBoxRecord> boxes;
  std::deque<int> answers;
  std::string title;
};

Windows w;
Window &win = w.window;

HWND Handle() { return MakeHandle<HWND>(kWindow, w.made - 1); }
RECT Client() { return win.region.Bounds(); }

bool IsWindow(HWND window) {
  size_t index;
  return Decode(window, kWindow, w.made, &index) && index == w.made - 1;
}

// ---- Update region ----------------------------------------------------------

bool RegionEmpty() {
  const RECT &b = win.regionBounds;
  for (int y = b.top; y < b.bottom; ++y) {
    const uint8_t *row = win.region.Row(y);
    if (std::find(row + b.left, row + b.right, 1) != row + b.right) return false;
  }
  return true;
}

void AddToRegion(const RECT &rect, bool erase) {
  RECT r = Intersect(rect, Client());
  if (IsEmpty(r)) return;
  win.region.Fill(r, 1);
  win.regionBounds = Union(win.regionBounds, r);
  win.eraseNeeded = win.eraseNeeded || erase;
}

// The framebuffer and the region keep what both sizes share; new pixels are white.
void SetClientSize(int width, int height) {
  win.region.Resize(width, height, 0);
  Framebuffer().Resize(width, height, 255);
  win.regionBounds = Intersect(win.regionBounds, Client());
  if (IsEmpty(win.regionBounds)) win.regionBounds = {0, 0, 0, 0};
}

void SendPaintIfNeeded() {
  if (RegionEmpty()) return;
  bool outer = w.inPaintMessage;
  w.inPaintMessage = true;
  win.procedure(Handle(), WM_PAINT, 0, 0);
  w.inPaintMessage = outer;
}

// ---- Window and messages ------------------------------------------------------

std::string WideText(LPCWSTR text) {
  std::string narrow;
  for (; text && *text; ++text) narrow += *text < 128 ? (char)*text : '?';
  return narrow;
}

void MakeWindow(WNDPROC procedure, int width, int height) {
  ++w.made;
  win = Window{};
  win.procedure = procedure;
  Framebuffer() = Grid{};
  SetClientSize(width, height);
}

bool WindowOpen(const char *function) {
  if (w.made == 0) ADD_FAILURE() << "fake::" << function << ": no window is open";
  return w.made != 0;
}

void LoseCapture(HWND newOwner) {
  if (!win.capture) return;
  win.capture = false;
  win.procedure(Handle(), WM_CAPTURECHANGED, 0, (LPARAM)newOwner);
}

bool CheckBar(HWND window, int bar, const char *function) {
  return CheckWindow(window, function) &&
         (bar == SB_VERT || ReportMisuse(function, ": bar ", bar, " is not modelled (only SB_VERT)"));
}

int ClampToScrollRange(int position) { return std::max(win.scroll.min, std::min(position, win.scroll.max)); }

const ValueName kBarNames[] = {{SB_VERT, "SB_VERT"}};
Named BarName(int bar) { return {bar, NameOf(bar, kBarNames)}; }
const ValueName kAnswerNames[] = {{IDOK, "IDOK"}, {IDCANCEL, "IDCANCEL"}, {IDYES, "IDYES"}, {IDNO, "IDNO"}};
const ValueName kKeyNames[] = {{VK_SHIFT, "VK_SHIFT"}, {VK_CONTROL, "VK_CONTROL"}};

}  // namespace

size_t fake_internal::WindowsMade() { return w.made; }

bool fake_internal::CheckWindow(HWND window, const char *function) {
  return IsWindow(window) || ReportMisuse(function, ": ", window, " is not the window");
}

bool fake_internal::InPaintMessage() { return w.inPaintMessage; }

bool fake_internal::TakeUpdateRegion(Grid *clip, RECT *bounds) {
  *clip = win.region;
  *bounds = win.regionBounds;
  win.region.Fill(win.regionBounds, 0);
  win.regionBounds = {0, 0, 0, 0};
  const bool erase = win.eraseNeeded;
  win.eraseNeeded = false;
  return erase;
}

// ---- USER32 -----------------------------------------------------------------

ATOM WINAPI RegisterClassW(const WNDCLASSW *windowClass) {
  bool ok = CheckPointer(windowClass, "RegisterClassW", "WNDCLASSW") && windowClass->lpfnWndProc;
  if (ok) w.classProcedure = windowClass->lpfnWndProc;
  Record("RegisterClassW(\"", ok ? WideText(windowClass->lpszClassName) : "", "\", style ",
         ok ? windowClass->style : 0u, ") -> ", ok ? 1 : 0);
  return ok ? 1 : 0;
}

HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int, int, int, int, HWND,
                            HMENU, HINSTANCE, LPVOID) {
  if (!w.classProcedure) ReportMisuse("CreateWindowExW: no class registered");
  MakeWindow(w.classProcedure, w.defaultWidth, w.defaultHeight);
  Record("CreateWindowExW(", Hex{exStyle}, ", \"", WideText(className), "\", \"", WideText(title), "\", ", Hex{style},
         ") -> ", Handle());
  if (win.procedure) win.procedure(Handle(), WM_CREATE, 0, 0);
  return Handle();
}

LRESULT WINAPI DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CheckWindow(window, "DefWindowProcW");
  Record("DefWindowProcW(", window, ", ", Hex{message}, ", ", (long long)wParam, ", ", (long long)lParam, ")");
  if (message == WM_CLOSE && !win.destroyed) {
    LoseCapture(nullptr);
    win.procedure(window, WM_DESTROY, 0, 0);
    win.destroyed = true;
  }
  return 0;
}

BOOL WINAPI ShowWindow(HWND window, int showCommand) {
  bool ok = CheckWindow(window, "ShowWindow");
  Record("ShowWindow(", window, ", ", showCommand, ")");
  if (ok && !win.shown) {  // the first showing sizes the window
    win.shown = true;
    AddToRegion(Client(), true);
    win.procedure(window, WM_SIZE, 0, MAKELPARAM(win.region.width, win.region.height));
  }
  return FALSE;
}

BOOL WINAPI GetMessageW(LPMSG message, HWND, UINT, UINT) {
  if (w.posted.empty()) {
    ReportMisuse("GetMessageW: the queue is empty and nothing would ever arrive");
    *message = MSG{};
    message->message = WM_QUIT;
  } else {
    *message = w.posted.front();
    w.posted.pop_front();
  }
  Record("GetMessageW() -> ", Hex{message->message});
  return message->message != WM_QUIT;
}

BOOL WINAPI TranslateMessage(const MSG *) { return FALSE; }

LRESULT WINAPI DispatchMessageW(const MSG *message) {
  return win.procedure ? win.procedure(message->hwnd, message->message, message->wParam, message->lParam) : 0;
}

int WINAPI TranslateAcceleratorW(HWND, HACCEL, LPMSG) { return 0; }

void WINAPI PostQuitMessage(int exitCode) {
  Record("PostQuitMessage(", exitCode, ")");
  w.quitCode = exitCode;
  MSG quit{};
  quit.message = WM_QUIT;
  quit.wParam = (WPARAM)exitCode;
  w.posted.push_back(quit);
}

HACCEL WINAPI LoadAcceleratorsW(HINSTANCE, LPCWSTR) { return MakeHandle<HACCEL>(kStock, 0); }
HICON WINAPI LoadIconW(HINSTANCE, LPCWSTR) { return MakeHandle<HICON>(kStock, 0); }
HCURSOR WINAPI LoadCursorW(HINSTANCE, LPCWSTR) { return MakeHandle<HCURSOR>(kStock, 0); }

LRESULT WINAPI SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Record("SendMessageW(", window, ", ", Hex{message}, ", ", (long long)wParam, ", ", (long long)lParam, ")");
  return CheckWindow(window, "SendMessageW") ? win.procedure(window, message, wParam, lParam) : 0;
}

BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text) {
  bool ok = CheckWindow(window, "SetWindowTextA");
  if (ok) w.title = text ? text : "";
  Record("SetWindowTextA(", window, ", ", Quote(text), ")", Failed(ok));
  return ok;
}

// ---- Timers, capture and keys -------------------------------------------------

UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT milliseconds, TIMERPROC procedure) {
  bool ok = CheckWindow(window, "SetTimer");
  if (procedure) ReportMisuse("SetTimer: timer procedures are not modelled");
  if (ok) win.timers[id] = milliseconds;
  Record("SetTimer(", window, ", ", (long long)id, ", ", milliseconds, ")");
  return ok ? id : 0;
}

BOOL WINAPI KillTimer(HWND window, UINT_PTR id) {
  bool ok = CheckWindow(window, "KillTimer") && win.timers.erase(id) == 1;
  Record("KillTimer(", window, ", ", (long long)id, ")", Failed(ok));
  return ok;
}

HWND WINAPI SetCapture(HWND window) {
  bool ok = CheckWindow(window, "SetCapture");
  HWND previous = win.capture ? Handle() : nullptr;
  if (ok) win.capture = true;
  Record("SetCapture(", window, ") -> ", previous);
  return previous;
}

BOOL WINAPI ReleaseCapture(void) {
  Record("ReleaseCapture()");
  LoseCapture(nullptr);
  return TRUE;
}

SHORT WINAPI GetKeyState(int virtualKey) {
  // Down is the high bit; the toggle bit (low) is never set here.
  SHORT state = w.keysHeld.count(virtualKey) ? (SHORT)0x8000 : (SHORT)0;
  Record("GetKeyState(", Named{virtualKey, NameOf(virtualKey, kKeyNames)}, ") -> ", state < 0 ? "down" : "up");
  return state;
}

// ---- Menu -------------------------------------------------------------------

HMENU WINAPI GetMenu(HWND window) {
  CheckWindow(window, "GetMenu");
  Record("GetMenu(", window, ") -> menu");
  return MakeHandle<HMENU>(kStock, 1);
}

DWORD WINAPI CheckMenuItem(HMENU, UINT item, UINT check) {
  auto found = w.menuChecks.find(item);
  DWORD previous = found == w.menuChecks.end() ? 0 : found->second;
  w.menuChecks[item] = check;
  Record("CheckMenuItem(menu, ", item, ", ", check == MF_CHECKED ? "MF_CHECKED" : "MF_UNCHECKED", ")");
  return previous;
}

BOOL WINAPI EnableMenuItem(HMENU, UINT item, UINT enable) {
  auto found = w.menuEnables.find(item);
  BOOL previous = found == w.menuEnables.end() ? MF_ENABLED : (BOOL)found->second;
  w.menuEnables[item] = enable;
  Record("EnableMenuItem(menu, ", item, ", ", enable == MF_GRAYED ? "MF_GRAYED" : "MF_ENABLED", ")");
  return previous;
}

BOOL WINAPI DrawMenuBar(HWND window) {
  Record("DrawMenuBar(", window, ")");
  return CheckWindow(window, "DrawMenuBar");
}

// ---- Message boxes ------------------------------------------------------------

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style) {
  if (owner) CheckWindow(owner, "MessageBoxA");
  w.boxes.push_back({owner, text ? text : "", caption ? caption : "", style});
  int answer = IDOK;
  if (!w.answers.empty()) {
    answer = w.answers.front();
    w.answers.pop_front();
  } else if ((style & 0xF) != MB_OK) {
    ADD_FAILURE() << "MessageBoxA: no scripted answer for \"" << (text ? text : "") << "\"; answering IDCANCEL";
    answer = IDCANCEL;
  }
  Record("MessageBoxA(", owner, ", ", Quote(text), ", ", Quote(caption), ", ", Hex{style}, ") -> ",
         Named{answer, NameOf(answer, kAnswerNames)});
  return answer;
}

// ---- Scroll bar ---------------------------------------------------------------

BOOL WINAPI SetScrollRange(HWND window, int bar, int minimum, int maximum, BOOL redraw) {
  bool ok = CheckBar(window, bar, "SetScrollRange");
  if (ok) {
    win.scroll.min = minimum;
    win.scroll.max = maximum;
    win.scroll.pos = ClampToScrollRange(win.scroll.pos);  // Windows keeps the position inside the range
  }
  Record("SetScrollRange(", window, ", ", BarName(bar), ", ", minimum, ", ", maximum, ", ", Bool{redraw}, ")",
         Failed(ok));
  return ok;
}

int WINAPI SetScrollPos(HWND window, int bar, int position, BOOL redraw) {
  int previous = 0;
  if (CheckBar(window, bar, "SetScrollPos")) {
    previous = win.scroll.pos;
    win.scroll.pos = ClampToScrollRange(position);
  }
  Record("SetScrollPos(", window, ", ", BarName(bar), ", ", position, ", ", Bool{redraw}, ") -> ", previous);
  return previous;
}

int WINAPI GetScrollPos(HWND window, int bar) {
  int position = CheckBar(window, bar, "GetScrollPos") ? win.scroll.pos : 0;
  Record("GetScrollPos(", window, ", ", BarName(bar), ") -> ", position);
  return position;
}

// ---- Invalidating, scrolling and updating -----------------------------------------

BOOL WINAPI ScrollWindow(HWND window, int dx, int dy, const RECT *scroll, const RECT *clip) {
  bool ok = CheckWindow(window, "ScrollWindow");
  Record("ScrollWindow(", window, ", ", dx, ", ", dy, ", ", scroll, ", ", clip, ")", Failed(ok));
  if (!ok) return FALSE;
  RECT from = Intersect(scroll ? *scroll : Client(), Client());
  RECT to = Intersect(clip ? *clip : Client(), Client());
  Grid &pixels = Framebuffer();
  const Grid oldPixels = pixels, oldRegion = win.region;
  // Contents and their invalid state travel together; what nothing moved
  // into inside the scrolled area is uncovered and must be repainted.
  for (int y = to.top; y < to.bottom; ++y) {
    for (int x = to.left; x < to.right; ++x) {
      if (Inside(from, x - dx, y - dy)) {
        pixels.At(x, y) = oldPixels.At(x - dx, y - dy);
        win.region.At(x, y) = oldRegion.At(x - dx, y - dy);
      } else if (Inside(from, x, y)) {
        win.region.At(x, y) = 1;
        win.eraseNeeded = true;
      }
    }
  }
  if (!IsEmpty(to)) win.regionBounds = Union(win.regionBounds, to);
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

// ---- What tests see -----------------------------------------------------------

namespace fake {

HWND OpenWindow(WNDPROC procedure, int clientWidth, int clientHeight) {
  // A new window replaces the previous one, which stops existing.
  MakeWindow(procedure, clientWidth, clientHeight);
  win.shown = true;
  return Handle();
}

void ResizeWindow(int clientWidth, int clientHeight) {
  if (!WindowOpen("ResizeWindow")) return;
  SetClientSize(clientWidth, clientHeight);
  AddToRegion(Client(), true);
  win.procedure(Handle(), WM_SIZE, 0 /* SIZE_RESTORED */, MAKELPARAM(win.region.width, win.region.height));
}

int ClientWidth() { return win.region.width; }
int ClientHeight() { return win.region.height; }

void SetDefaultClientSize(int clientWidth, int clientHeight) {
  w.defaultWidth = clientWidth;
  w.defaultHeight = clientHeight;
}

LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam) { return win.procedure(Handle(), message, wParam, lParam); }
bool WindowDestroyed() { return win.destroyed; }
int QuitCode() { return w.quitCode; }

UINT MenuItemCheck(UINT id) { return w.menuChecks.count(id) ? w.menuChecks[id] : 0; }
UINT MenuItemEnable(UINT id) { return w.menuEnables.count(id) ? w.menuEnables[id] : 0; }

UINT TimerPeriod(UINT_PTR id) {
  auto timer = win.timers.find(id);
  return timer == win.timers.end() ? 0 : timer->second;
}

void FireTimer(UINT_PTR id) {
  if (TimerPeriod(id) == 0) {
    ADD_FAILURE() << "fake::FireTimer: timer " << id << " is not running";
    return;
  }
  win.procedure(Handle(), WM_TIMER, id, 0);
}

HWND Capture() { return win.capture ? Handle() : nullptr; }
void TakeCaptureAway() { LoseCapture(MakeHandle<HWND>(kWindow, w.made + 100)); }

void HoldKey(int virtualKey, bool held) {
  if (held) w.keysHeld.insert(virtualKey);
  else w.keysHeld.erase(virtualKey);
}

std::string UpdateRegion() { return BandsText(win.region); }
bool UpdateRegionEmpty() { return RegionEmpty(); }

void RepaintWholeWindow() {
  if (!WindowOpen("RepaintWholeWindow")) return;
  AddToRegion(Client(), true);
  SendPaintIfNeeded();
}

int ScrollRangeMin() { return win.scroll.min; }
int ScrollRangeMax() { return win.scroll.max; }
int ScrollPosition() { return win.scroll.pos; }

const std::vector<MessageBoxRecord> &MessageBoxes() { return w.boxes; }
void AnswerNextMessageBox(int button) { w.answers.push_back(button); }

std::string WindowTitle() { return w.title; }

}  // namespace fake
