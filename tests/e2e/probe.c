// A console helper the end-to-end harness runs under the same Wine prefix as
// Scrivlet, to ask Win32 what X cannot tell: where the client area is, whether
// a paint has finished, which message boxes are open, where the keyboard goes,
// what the clipboard holds, and which font a face name resolves to. Each verb
// prints one JSON value on stdout (ASCII, with \u escapes) and exits 0, or
// prints an error on stderr and exits 1.
//
//   probe window      {"hwnd", "pid", "tid", "title", "client": [x, y, width, height], "frame": [x, y,
//                     width, height]}, once the window has painted; frame: the whole window
//   probe repaint     {} once a full repaint of the window has been painted
//   probe painted     {} once the window has painted what it had to and answers a message
//   probe share-input  {} once this probe shares the program's input state (for taken),
//                     which clears it; a serving probe keeps sharing it
//   probe taken KEY TOGGLE  {} once the program's thread has taken in the key-down and key-up
//                     of the virtual key KEY that leave its toggle bit at TOGGLE (0 or 1),
//                     and then painted: every input sent before that key was taken in too
//   probe focus       {"main", "foreground", "active", "focus", "focus_id", "focus_text",
//                     "capture", "menus", "x_active"}: the main window's thread's keyboard
//                     state (window handles as numbers, 0 for none), the text of its focus
//                     window, the number of popup menus showing, and the X window of the
//                     active window
//   probe clipboard   the CF_UNICODETEXT units on the clipboard up to the first 0, as a list
//                     of numbers, or null when it holds none
//   probe hold-clipboard  {"held": true} once it has opened the clipboard, which it keeps
//                     open until its standard input ends
//   probe set-clipboard  {} once it has put the text "-" on the clipboard as a Windows program
//   probe serve       answers verbs read from standard input, one a line with its arguments
//                     split at spaces, with one JSON value a line; a failure answers
//                     {"error": WHAT}. It saves starting a Wine process for each question.
//   probe dialogs     [{"hwnd", "pid", "caption", "texts": [...], "buttons": [[id, text], ...]}]
//   probe press ID    {"hwnd"} of the one enabled dialog (a modal box disables its owner),
//                     after posting BM_CLICK to its button ID
//   probe time-open NAME   {"ms"} from pressing Open in the open Open dialog, with NAME
//                     typed into it, to the end of the program's paint of that file
//   probe time-command ID [WINDOW]  {"ms"} from sending the menu command ID to the program's
//                     window (or to WINDOW's top-level window) to the end of WINDOW's paint
//   probe file-name NAME  {} once the one open file dialog's file name field holds NAME
//                     (UTF-8), for names no key of the keyboard types
//   probe time-print  {"ms"} from pressing OK in the one open Print dialog to the program's
//                     return from the command, the job spooled
//   probe time-keys WINDOW KEY UNIT COUNT  {"ms": [...]}: for each of COUNT keystrokes sent
//                     to WINDOW (a class, or CLASS/CHILD_CLASS for a child), the time from
//                     sending it to its painted end; a keystroke is the key-down of the virtual
//                     key KEY, the character UNIT, the key-up, each left out when 0
//   probe edit-position WINDOW  {"first_line", "caret", "lines"} of the Edit control WINDOW
//   probe edit-select WINDOW INDEX  {} once the Edit control WINDOW has its caret at INDEX,
//                     scrolled into view, and has painted
//   probe fonts       [{"charset", "face", "family", "height", "ave", "max", "fixed", "has_cjk",
//                     "ascii_widths"}] for "Courier New" at character sets 0 and 136
//   probe version     {"path", "version", NAME: VALUE...}: the running program's file, its
//                     fixed file version and the strings of its US English version resource
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const DWORD TimeoutMs = 10000;

static BOOL Serving;

static void PrintJsonString(const WCHAR *text);

static int Fail(const char *what) {
  if (Serving) {
    WCHAR wide[256];
    MultiByteToWideChar(CP_ACP, 0, what, -1, wide, 256);
    printf("{\"error\": ");
    PrintJsonString(wide);
    printf("}\n");
  } else {
    fprintf(stderr, "probe: %s\n", what);
  }
  return 1;
}

static void PrintJsonString(const WCHAR *text) {
  putchar('"');
  for (; *text; ++text) {
    if (*text == '"' || *text == '\\') {
      printf("\\%c", (char)*text);
    } else if (*text >= 0x20 && *text < 0x7f) {
      putchar((char)*text);
    } else {
      printf("\\u%04x", (unsigned)*text);
    }
  }
  putchar('"');
}

static void PrintWindowText(HWND window) {
  WCHAR text[1024];
  GetWindowTextW(window, text, 1024);
  PrintJsonString(text);
}

static HWND MainWindow(void) { return FindWindowW(L"Scrivlet", NULL); }

static void PauseOneMillisecond(void) { Sleep(1); }

// Sleep(1) lasts a millisecond or more, about as long as a short paint; this
// pause is fine enough to see a paint begin and rare enough to leave the
// server to the program being timed.
static void PauseTenthOfMillisecond(void) {
  typedef LONG(WINAPI * DelayExecution)(BOOLEAN, const LARGE_INTEGER *);
  static DelayExecution delay;
  if (!delay) {
    delay = (DelayExecution)(void (*)(void))GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtDelayExecution");
  }
  LARGE_INTEGER interval;
  interval.QuadPart = -1000;  // relative, in units of 100 ns
  delay(FALSE, &interval);
}

// Waits until the window has painted what it had to and gone back to its
// message loop. Across processes a paint may still be pending: its BeginPaint
// empties the update region, and a message sent after that is handled only
// once the paint handler has returned.
static int WaitPaintedPolling(HWND window, void (*pause)(void)) {
  DWORD start = GetTickCount();
  while (GetUpdateRect(window, NULL, FALSE)) {
    if (GetTickCount() - start > TimeoutMs) return Fail("the window did not paint");
    pause();
  }
  DWORD_PTR result;
  if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, TimeoutMs, &result)) {
    return Fail("the window did not answer after painting");
  }
  return 0;
}

static int WaitPainted(HWND window) { return WaitPaintedPolling(window, PauseOneMillisecond); }

// WINDOW is a top-level window's class, or CLASS/CHILD_CLASS for the first
// child of that class inside it.
static HWND FindTarget(const char *target) {
  WCHAR name[256];
  if (!MultiByteToWideChar(CP_ACP, 0, target, -1, name, 256)) return NULL;
  WCHAR *child = wcschr(name, L'/');
  if (child) *child++ = 0;
  HWND window = FindWindowW(name, NULL);
  if (window && child) window = FindWindowExW(window, NULL, child, NULL);
  return window;
}

static int DescribeWindow(void) {
  HWND window = MainWindow();
  if (!window) return Fail("no window of class Scrivlet");
  if (WaitPainted(window)) return 1;
  DWORD pid = 0;
  DWORD tid = GetWindowThreadProcessId(window, &pid);
  RECT client;
  GetClientRect(window, &client);
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  RECT frame;
  GetWindowRect(window, &frame);
  printf("{\"hwnd\": %lu, \"pid\": %lu, \"tid\": %lu, \"title\": ", (unsigned long)(ULONG_PTR)window,
         (unsigned long)pid, (unsigned long)tid);
  PrintWindowText(window);
  printf(", \"client\": [%ld, %ld, %ld, %ld], \"frame\": [%ld, %ld, %ld, %ld]}\n", origin.x, origin.y, client.right,
         client.bottom, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top);
  return 0;
}

static int Painted(void) {
  HWND window = MainWindow();
  if (!window) return Fail("no window of class Scrivlet");
  if (WaitPainted(window)) return 1;
  printf("{}\n");
  return 0;
}

// Sharing the program's input state shows its key state, which Wine updates as
// the program takes each key message from its queue, in arrival order. Sharing
// clears that state: a serving probe shares it once, before any key it waits for.
static int ShareInput(void) {
  HWND window = MainWindow();
  if (!window) return Fail("no window of class Scrivlet");
  MSG message;
  PeekMessageW(&message, NULL, 0, 0, PM_NOREMOVE);  // gives this thread its message queue
  if (!AttachThreadInput(GetCurrentThreadId(), GetWindowThreadProcessId(window, NULL), TRUE)) {
    return Fail("cannot share the program's input state");
  }
  printf("{}\n");
  return 0;
}

static int Taken(const char *keyText, const char *toggleText) {
  HWND window = MainWindow();
  if (!window) return Fail("no window of class Scrivlet");
  int key = atoi(keyText), toggle = atoi(toggleText);
  DWORD start = GetTickCount();
  for (;;) {
    SHORT state = GetKeyState(key);
    if (state >= 0 && (state & 1) == toggle) break;
    if (GetTickCount() - start > TimeoutMs) return Fail("the program did not take in the key");
    PauseOneMillisecond();
  }
  if (WaitPainted(window)) return 1;
  printf("{}\n");
  return 0;
}

static BOOL CALLBACK CountMenu(HWND window, LPARAM param) {
  WCHAR name[16];
  if (IsWindowVisible(window) && GetClassNameW(window, name, 16) && wcscmp(name, L"#32768") == 0) {
    ++*(int *)param;
  }
  return TRUE;
}

static int DescribeFocus(void) {
  HWND window = MainWindow();
  if (!window) return Fail("no window of class Scrivlet");
  GUITHREADINFO info;
  memset(&info, 0, sizeof info);
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, NULL), &info)) return Fail("no thread state");
  int menus = 0;
  EnumWindows(CountMenu, (LPARAM)&menus);
  // An edit of another process answers WM_GETTEXT; its window text is only its caption.
  WCHAR text[1024] = L"";
  DWORD_PTR copied;
  if (info.hwndFocus) {
    SendMessageTimeoutW(info.hwndFocus, WM_GETTEXT, 1024, (LPARAM)text, SMTO_ABORTIFHUNG, TimeoutMs, &copied);
  }
  // Wine's X driver keeps each top-level window's X window in this property.
  HANDLE xWindow = info.hwndActive ? GetPropW(info.hwndActive, L"__wine_x11_whole_window") : NULL;
  printf("{\"main\": %lu, \"foreground\": %lu, \"active\": %lu, \"focus\": %lu, \"focus_id\": %d, \"focus_text\": ",
         (unsigned long)(ULONG_PTR)window, (unsigned long)(ULONG_PTR)GetForegroundWindow(),
         (unsigned long)(ULONG_PTR)info.hwndActive, (unsigned long)(ULONG_PTR)info.hwndFocus,
         info.hwndFocus ? GetDlgCtrlID(info.hwndFocus) : 0);
  PrintJsonString(text);
  printf(", \"capture\": %lu, \"menus\": %d, \"x_active\": %lu}\n", (unsigned long)(ULONG_PTR)info.hwndCapture,
         menus, (unsigned long)(ULONG_PTR)xWindow);
  return 0;
}

// Another program may hold the clipboard open for a moment: try again.
static int OpenClipboardSoon(void) {
  DWORD start = GetTickCount();
  while (!OpenClipboard(NULL)) {
    if (GetTickCount() - start > TimeoutMs) return Fail("the clipboard stayed open elsewhere");
    PauseOneMillisecond();
  }
  return 0;
}

static int DescribeClipboard(void) {
  if (OpenClipboardSoon()) return 1;
  HANDLE data = GetClipboardData(CF_UNICODETEXT);
  const WCHAR *units = data ? GlobalLock(data) : NULL;
  if (!units) {
    printf("null\n");
  } else {
    SIZE_T count = GlobalSize(data) / sizeof(WCHAR);
    putchar('[');
    for (SIZE_T i = 0; i < count && units[i]; ++i) printf("%s%u", i ? ", " : "", (unsigned)units[i]);
    printf("]\n");
    GlobalUnlock(data);
  }
  CloseClipboard();
  return 0;
}

static int HoldClipboard(void) {
  if (OpenClipboardSoon()) return 1;
  printf("{\"held\": true}\n");
  fflush(stdout);
  while (getchar() != EOF) {
  }
  CloseClipboard();
  return 0;
}

static int SetClipboard(void) {
  if (OpenClipboardSoon()) return 1;
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, 2 * sizeof(WCHAR));
  WCHAR *units = block ? GlobalLock(block) : NULL;
  BOOL set = FALSE;
  if (units) {
    units[0] = L'-';
    units[1] = 0;
    GlobalUnlock(block);
    set = EmptyClipboard() && SetClipboardData(CF_UNICODETEXT, block);
  }
  CloseClipboard();
  if (!set) {
    if (block) GlobalFree(block);
    return Fail("the clipboard refused the text");
  }
  printf("{}\n");
  return 0;
}

static int Repaint(void) {
  HWND window = MainWindow();
  if (!window) return Fail("no window of class Scrivlet");
  RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  if (WaitPainted(window)) return 1;
  printf("{}\n");
  return 0;
}

struct DialogList {
  HWND items[16];
  int count;
};

static BOOL CALLBACK CollectDialog(HWND window, LPARAM param) {
  struct DialogList *list = (struct DialogList *)param;
  WCHAR name[16];
  if (IsWindowVisible(window) && GetClassNameW(window, name, 16) && wcscmp(name, L"#32770") == 0 &&
      list->count < 16) {
    list->items[list->count++] = window;
  }
  return TRUE;
}

// Every visible dialog on the desktop: the harness runs the program alone on
// its own X server and prefix, so any dialog there is the program's.
static struct DialogList OpenDialogs(void) {
  struct DialogList list = {{0}, 0};
  EnumWindows(CollectDialog, (LPARAM)&list);
  return list;
}

// The visible children of a class, as JSON strings or, with ids, [id, text] pairs.
static void PrintChildren(HWND dialog, const WCHAR *className, BOOL withIds) {
  int printed = 0;
  for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    WCHAR name[16], text[1024];
    if (!IsWindowVisible(child) || !GetClassNameW(child, name, 16) || _wcsicmp(name, className) != 0) continue;
    GetWindowTextW(child, text, 1024);
    if (!withIds && !text[0]) continue;  // the icon is a Static without text
    fputs(printed++ ? ", " : "", stdout);
    if (withIds) printf("[%d, ", GetDlgCtrlID(child));
    PrintJsonString(text);
    if (withIds) putchar(']');
  }
}

static int DescribeDialogs(void) {
  struct DialogList list = OpenDialogs();
  putchar('[');
  for (int i = 0; i < list.count; ++i) {
    HWND dialog = list.items[i];
    DWORD pid = 0;
    GetWindowThreadProcessId(dialog, &pid);
    printf("%s{\"hwnd\": %lu, \"pid\": %lu, \"caption\": ", i ? ", " : "", (unsigned long)(ULONG_PTR)dialog,
           (unsigned long)pid);
    PrintWindowText(dialog);
    printf(", \"texts\": [");
    PrintChildren(dialog, L"Static", FALSE);
    printf("], \"buttons\": [");
    PrintChildren(dialog, L"Button", TRUE);
    printf("]}");
  }
  printf("]\n");
  return 0;
}

static int PressButton(const char *idText) {
  struct DialogList open = OpenDialogs(), enabled = {{0}, 0};
  for (int i = 0; i < open.count; ++i) {
    if (IsWindowEnabled(open.items[i])) enabled.items[enabled.count++] = open.items[i];
  }
  if (enabled.count != 1) {
    char what[64];
    snprintf(what, sizeof what, "%d dialogs are enabled, expected one", enabled.count);
    return Fail(what);
  }
  HWND button = GetDlgItem(enabled.items[0], atoi(idText));
  if (!button) return Fail("the dialog has no button with that id");
  // Posted, not sent: the click ends the modal loop, which must not wait on us.
  PostMessageW(button, BM_CLICK, 0, 0);
  printf("{\"hwnd\": %lu}\n", (unsigned long)(ULONG_PTR)enabled.items[0]);
  return 0;
}

static double MillisecondsSince(LARGE_INTEGER start) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * (double)(now.QuadPart - start.QuadPart) / (double)frequency.QuadPart;
}

static BOOL CALLBACK FindFileNameField(HWND child, LPARAM param) {
  int id = GetDlgCtrlID(child);
  if (id != 0x480 && id != 0x47c) return TRUE;  // edt1 on Wine, cmb13 on Windows
  *(HWND *)param = child;
  return FALSE;
}

static int SetFileName(const char *name) {
  WCHAR wide[1024];
  struct DialogList list = OpenDialogs();
  HWND field = NULL;
  if (list.count == 1) EnumChildWindows(list.items[0], FindFileNameField, (LPARAM)&field);
  if (!field) return Fail("expected one file dialog with a file name field");
  if (!MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name, -1, wide, 1024)) return Fail("not UTF-8");
  if (!SetWindowTextW(field, wide)) return Fail("the field refused the name");
  printf("{}\n");
  return 0;
}

// The command sets the title before it paints, and the program handles no sent
// message until the command has returned, paint included.
static int TimeOpen(const char *name) {
  const char *fileTitle = strrchr(name, '\\') ? strrchr(name, '\\') + 1 : name;
  struct DialogList list = OpenDialogs();
  if (list.count != 1) return Fail("expected the Open dialog alone");
  HWND window = MainWindow();
  HWND field = NULL;
  EnumChildWindows(list.items[0], FindFileNameField, (LPARAM)&field);
  if (!field || !SetWindowTextA(field, name)) return Fail("the dialog has no file name field");
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  PostMessageW(list.items[0], WM_COMMAND, IDOK, 0);
  char title[MAX_PATH];
  do {
    if (MillisecondsSince(start) > TimeoutMs) return Fail("the title never became the file's name");
    GetWindowTextA(window, title, MAX_PATH);
  } while (strcmp(title, fileTitle) != 0);
  if (WaitPainted(window)) return 1;
  printf("{\"ms\": %.3f}\n", MillisecondsSince(start));
  return 0;
}

static int TimeCommand(const char *idText, const char *target) {
  HWND window = target ? FindTarget(target) : MainWindow();
  if (!window) return Fail("no such window");
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  SendMessageW(GetAncestor(window, GA_ROOT), WM_COMMAND, (WPARAM)atoi(idText), 0);
  if (WaitPainted(window)) return 1;
  printf("{\"ms\": %.3f}\n", MillisecondsSince(start));
  return 0;
}

// The program prints before it returns from the command, handling no sent
// message meanwhile; while the dialog shows, its modal loop would answer at
// once. Printing a long document may take minutes: no SMTO_ABORTIFHUNG, which
// gives up on a thread busy for five seconds.
static int TimePrint(void) {
  static const DWORD PrintTimeoutMs = 600000;
  HWND window = MainWindow();
  struct DialogList list = OpenDialogs();
  if (!window || list.count != 1) return Fail("expected the Print dialog alone");
  HWND dialog = list.items[0], ok = GetDlgItem(dialog, IDOK);
  if (!ok) return Fail("the dialog has no OK button");
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  PostMessageW(ok, BM_CLICK, 0, 0);
  while (IsWindow(dialog)) {
    if (MillisecondsSince(start) > TimeoutMs) return Fail("the Print dialog did not close");
    PauseTenthOfMillisecond();
  }
  DWORD_PTR result;
  if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, PrintTimeoutMs, &result)) {
    return Fail("the program did not return from printing");
  }
  printf("{\"ms\": %.3f}\n", MillisecondsSince(start));
  return 0;
}

// A key handler may paint or only invalidate, leaving the paint to the message
// loop: the wait covers both. The messages are those of a typed key, in order.
static int TimeKeys(const char *target, const char *keyText, const char *unitText, const char *countText) {
  HWND window = FindTarget(target);
  if (!window) return Fail("no such window");
  int count = atoi(countText);
  if (count < 1) return Fail("the count must be positive");
  double *times = malloc(sizeof *times * (size_t)count);
  if (!times) return Fail("out of memory");
  if (WaitPainted(window)) return 1;
  WPARAM key = (WPARAM)atoi(keyText), unit = (WPARAM)atoi(unitText);
  for (int i = 0; i < count; ++i) {
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (key) SendMessageW(window, WM_KEYDOWN, key, 1);  // repeat count 1
    if (unit) SendMessageW(window, WM_CHAR, unit, 1);
    if (key) SendMessageW(window, WM_KEYUP, key, (LPARAM)0xC0000001);  // previous state down, transition up
    if (WaitPaintedPolling(window, PauseTenthOfMillisecond)) return 1;
    times[i] = MillisecondsSince(start);
  }
  printf("{\"ms\": [");
  for (int i = 0; i < count; ++i) printf("%s%.3f", i ? ", " : "", times[i]);
  printf("]}\n");
  free(times);
  return 0;
}

// Messages without pointers, which work across processes. EM_GETSEL answers in
// its result, 16 bits for each end, enough for 32767 units; with nothing
// selected its end is the caret.
static int DescribeEditPosition(const char *target) {
  HWND edit = FindTarget(target);
  if (!edit) return Fail("no such window");
  long firstLine = (long)SendMessageW(edit, EM_GETFIRSTVISIBLELINE, 0, 0);
  unsigned caret = HIWORD(SendMessageW(edit, EM_GETSEL, 0, 0));
  long lines = (long)SendMessageW(edit, EM_GETLINECOUNT, 0, 0);
  printf("{\"first_line\": %ld, \"caret\": %u, \"lines\": %ld}\n", firstLine, caret, lines);
  return 0;
}

static int EditSelect(const char *target, const char *indexText) {
  HWND edit = FindTarget(target);
  if (!edit) return Fail("no such window");
  WPARAM index = (WPARAM)atoi(indexText);
  SendMessageW(edit, EM_SETSEL, index, (LPARAM)index);
  SendMessageW(edit, EM_SCROLLCARET, 0, 0);
  if (WaitPainted(edit)) return 1;
  printf("{}\n");
  return 0;
}

static void DescribeFont(HDC dc, BYTE charset) {
  // 32 points at 96 dpi, the program's starting size.
  HFONT font = CreateFontW(-42, 0, 0, 0, FW_NORMAL, 0, 0, 0, charset, 0, 0, 0, 0, L"Courier New");
  HGDIOBJ old = SelectObject(dc, font);
  WCHAR face[LF_FACESIZE];
  GetTextFaceW(dc, LF_FACESIZE, face);
  TEXTMETRICW metrics;
  GetTextMetricsW(dc, &metrics);
  union {
    OUTLINETEXTMETRICW metrics;
    BYTE bytes[4096];
  } outline;
  const WCHAR *family = L"";
  if (GetOutlineTextMetricsW(dc, sizeof outline, &outline.metrics)) {
    family = (const WCHAR *)(outline.bytes + (ULONG_PTR)outline.metrics.otmpFamilyName);
  }
  INT widths[0x7f - 0x20];
  GetCharWidth32W(dc, 0x20, 0x7e, widths);  // the advance of each printable ASCII character
  WORD glyph = 0;
  GetGlyphIndicesW(dc, L"\x4e2d", 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS);  // a common CJK ideograph

  printf("{\"charset\": %d, \"face\": ", charset);
  PrintJsonString(face);
  printf(", \"family\": ");
  PrintJsonString(family);
  // TMPF_FIXED_PITCH set means variable pitch (a historical inversion).
  printf(", \"height\": %ld, \"ave\": %ld, \"max\": %ld, \"fixed\": %s, \"has_cjk\": %s, \"ascii_widths\": [",
         metrics.tmHeight, metrics.tmAveCharWidth, metrics.tmMaxCharWidth,
         (metrics.tmPitchAndFamily & TMPF_FIXED_PITCH) ? "false" : "true", glyph != 0xffff ? "true" : "false");
  for (int i = 0; i < 0x7f - 0x20; ++i) printf("%s%d", i ? ", " : "", widths[i]);
  printf("]}");
  DeleteObject(SelectObject(dc, old));
}

static int DescribeFonts(void) {
  HDC screen = GetDC(NULL);
  putchar('[');
  DescribeFont(screen, ANSI_CHARSET);
  printf(", ");
  DescribeFont(screen, CHINESEBIG5_CHARSET);
  printf("]\n");
  ReleaseDC(NULL, screen);
  return 0;
}

static int DescribeVersion(void) {
  static const WCHAR *const names[] = {L"FileVersion", L"ProductVersion", L"ProductName", L"FileDescription",
                                       L"OriginalFilename"};
  DWORD process = 0;
  GetWindowThreadProcessId(MainWindow(), &process);
  HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
  WCHAR path[MAX_PATH];
  DWORD length = MAX_PATH;
  BOOL named = handle && QueryFullProcessImageNameW(handle, 0, path, &length);
  if (handle) CloseHandle(handle);
  if (!named) return Fail("no running program to name");
  static BYTE block[65536];
  VS_FIXEDFILEINFO *fixed;
  UINT size;
  DWORD needed = GetFileVersionInfoSizeW(path, NULL);
  if (!needed || needed > sizeof block || !GetFileVersionInfoW(path, 0, sizeof block, block) ||
      !VerQueryValueW(block, L"\\", (void **)&fixed, &size)) {
    return Fail("the program's file has no version resource");
  }
  printf("{\"path\": ");
  PrintJsonString(path);
  printf(", \"version\": [%u, %u, %u, %u]", HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
         HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS));
  for (int at = 0; at < (int)(sizeof names / sizeof names[0]); ++at) {
    WCHAR key[64], *value;
    wsprintfW(key, L"\\StringFileInfo\\040904B0\\%s", names[at]);
    if (!VerQueryValueW(block, key, (void **)&value, &size)) continue;
    printf(", ");
    PrintJsonString(names[at]);
    printf(": ");
    PrintJsonString(value);
  }
  printf("}\n");
  return 0;
}

static int Answer(int argc, char **argv) {
  if (argc == 2 && strcmp(argv[1], "window") == 0) return DescribeWindow();
  if (argc == 2 && strcmp(argv[1], "repaint") == 0) return Repaint();
  if (argc == 2 && strcmp(argv[1], "painted") == 0) return Painted();
  if (argc == 2 && strcmp(argv[1], "share-input") == 0) return ShareInput();
  if (argc == 4 && strcmp(argv[1], "taken") == 0) return Taken(argv[2], argv[3]);
  if (argc == 2 && strcmp(argv[1], "focus") == 0) return DescribeFocus();
  if (argc == 2 && strcmp(argv[1], "clipboard") == 0) return DescribeClipboard();
  if (argc == 2 && strcmp(argv[1], "hold-clipboard") == 0) return HoldClipboard();
  if (argc == 2 && strcmp(argv[1], "set-clipboard") == 0) return SetClipboard();
  if (argc == 2 && strcmp(argv[1], "dialogs") == 0) return DescribeDialogs();
  if (argc == 3 && strcmp(argv[1], "press") == 0) return PressButton(argv[2]);
  if (argc == 3 && strcmp(argv[1], "time-open") == 0) return TimeOpen(argv[2]);
  if (argc == 3 && strcmp(argv[1], "file-name") == 0) return SetFileName(argv[2]);
  if (argc == 3 && strcmp(argv[1], "time-command") == 0) return TimeCommand(argv[2], NULL);
  if (argc == 4 && strcmp(argv[1], "time-command") == 0) return TimeCommand(argv[2], argv[3]);
  if (argc == 2 && strcmp(argv[1], "time-print") == 0) return TimePrint();
  if (argc == 6 && strcmp(argv[1], "time-keys") == 0) return TimeKeys(argv[2], argv[3], argv[4], argv[5]);
  if (argc == 3 && strcmp(argv[1], "edit-position") == 0) return DescribeEditPosition(argv[2]);
  if (argc == 4 && strcmp(argv[1], "edit-select") == 0) return EditSelect(argv[2], argv[3]);
  if (argc == 2 && strcmp(argv[1], "fonts") == 0) return DescribeFonts();
  if (argc == 2 && strcmp(argv[1], "version") == 0) return DescribeVersion();
  return Fail("usage: probe window | repaint | painted | share-input | taken KEY TOGGLE | focus | clipboard"
              " | hold-clipboard | set-clipboard | serve | dialogs | press BUTTON_ID | time-open NAME | file-name NAME"
              " | time-command ID [WINDOW] | time-print | time-keys WINDOW KEY UNIT COUNT"
              " | edit-position WINDOW | edit-select WINDOW INDEX | fonts | version");
}

static int Serve(void) {
  Serving = TRUE;
  char line[1024];
  while (fgets(line, sizeof line, stdin)) {
    char *argv[8] = {"probe"};
    int argc = 1;
    for (char *word = strtok(line, " \r\n"); word && argc < 8; word = strtok(NULL, " \r\n")) argv[argc++] = word;
    Answer(argc, argv);
    fflush(stdout);
  }
  return 0;
}

int main(int argc, char **argv) {
  if (argc == 2 && strcmp(argv[1], "serve") == 0) return Serve();
  return Answer(argc, argv);
}
