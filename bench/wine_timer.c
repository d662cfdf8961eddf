// The benchmarks' timer: a console helper run under the same Wine prefix as
// Scrivlet that times, inside Wine, what the benchmarks under Wine compare, and
// reads and moves the Win32 EDIT control hosted beside it (edit_host.c). It
// answers as the end-to-end probe does (tests/e2e/probe.h), "serve" included.
//
//   wine_timer time-open NAME   {"ms"} from pressing Open in the open Open dialog, with NAME
//                     typed into it, to the end of the program's paint of that file
//   wine_timer time-print  {"ms"} from pressing OK in the one open Print dialog to the
//                     program's return from the command, the job spooled
//   wine_timer time-keys WINDOW KEY UNIT COUNT  {"ms": [...]}: for each of COUNT keystrokes
//                     sent to WINDOW (a class, or CLASS/CHILD_CLASS for a child), the time from
//                     sending it to its painted end; a keystroke is the key-down of the virtual
//                     key KEY, the character UNIT, the key-up, each left out when 0
//   wine_timer time-command ID WINDOW  {"ms"} from sending the menu command ID to WINDOW's
//                     top-level window to the end of WINDOW's paint
//   wine_timer edit-position WINDOW  {"first_line", "caret", "lines"} of the Edit control WINDOW
//   wine_timer edit-select WINDOW INDEX  {} once the Edit control WINDOW has its caret at
//                     INDEX, scrolled into view, and has painted
#define PROGRAM_NAME "wine_timer"
#include "../tests/e2e/probe.h"

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

// The command sets the title before it paints, and the program handles no sent
// message until the command has returned, paint included.
static int TimeOpen(const char *name) {
  const char *fileTitle = strrchr(name, '\\') ? strrchr(name, '\\') + 1 : name;
  HWND window = MainWindow(), field = FileNameField();
  if (!field || !SetWindowTextA(field, name)) return Fail("expected the Open dialog alone, with a file name field");
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  PostMessageW(GetAncestor(field, GA_ROOT), WM_COMMAND, IDOK, 0);
  char title[MAX_PATH];
  do {
    if (MillisecondsSince(start) > TimeoutMs) return Fail("the title never became the file's name");
    GetWindowTextA(window, title, MAX_PATH);
  } while (strcmp(title, fileTitle) != 0);
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
  return WaitPainted(edit) ? 1 : Done();
}

static int Answer(int argc, char **argv) {
  if (argc == 3 && strcmp(argv[1], "time-open") == 0) return TimeOpen(argv[2]);
  if (argc == 2 && strcmp(argv[1], "time-print") == 0) return TimePrint();
  if (argc == 4 && strcmp(argv[1], "time-command") == 0) return TimeCommand(FindTarget(argv[3]), argv[2]);
  if (argc == 6 && strcmp(argv[1], "time-keys") == 0) return TimeKeys(argv[2], argv[3], argv[4], argv[5]);
  if (argc == 3 && strcmp(argv[1], "edit-position") == 0) return DescribeEditPosition(argv[2]);
  if (argc == 4 && strcmp(argv[1], "edit-select") == 0) return EditSelect(argv[2], argv[3]);
  return Fail("usage: wine_timer serve | time-open NAME | time-print | time-command ID WINDOW | time-keys WINDOW KEY UNIT COUNT"
              " | edit-position WINDOW | edit-select WINDOW INDEX");
}
