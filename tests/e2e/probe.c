// The probe: the end-to-end harness asks it, in Scrivlet's Wine prefix, what X
// cannot tell. Its verbs (window handles are numbers, 0 for none):
//   window            {"hwnd", "pid", "tid", "title", "client": [x, y, width, height], "frame": the
//                     whole window's [x, y, width, height]} once the window has painted
//   repaint, painted  {} once a full repaint, or what the window had to paint, is painted
//   share-input       {} once this probe shares the program's input state (for taken)
//   taken KEY TOGGLE  {} once the program's thread has taken in the key-down and key-up of the
//                     virtual key KEY that leave its toggle bit at TOGGLE (0 or 1), and painted
//   focus             {"main", "foreground", "active", "focus", "focus_id", "focus_text", "capture",
//                     "menus", "x_active"}: the main window's thread's keyboard state, the text of
//                     its focus window, the popup menus showing and the active window's X window
//   clipboard         the CF_UNICODETEXT units up to the first 0, or null when it holds none
//   hold-clipboard    {"held": true} once it has opened the clipboard, until its input ends
//   set-clipboard     {} once it has put the text "-" on the clipboard as a Windows program
//   dialogs           [{"hwnd", "caption", "texts": [...], "buttons": [[id, text], ...]}]
//   press ID          {"hwnd"} of the one enabled dialog, after posting BM_CLICK to its button ID
//   file-name NAME    {} once the one file dialog's name field holds NAME (UTF-8, for names no
//                     key of the keyboard types)
//   time-command ID   {"ms"} from sending the menu command ID to the window to the end of its paint
//   fonts             [{"charset", "face", "family", "ascii_widths", "has_cjk"}] of "Courier New"
//                     at character sets 0 and 136
//   version           {"path", "version", NAME: VALUE...}: the running program's file, its fixed
//                     file version and the strings of its US English version resource
#define PROGRAM_NAME "probe"
#include "probe.h"

static void PrintWindowText(HWND window) {
  WCHAR text[1024];
  GetWindowTextW(window, text, 1024);
  PrintJsonString(text);
}

static int DescribeWindow(HWND window) {
  if (WaitPainted(window)) return 1;
  DWORD pid = 0;
  DWORD tid = GetWindowThreadProcessId(window, &pid);
  RECT client, frame;
  GetClientRect(window, &client);
  GetWindowRect(window, &frame);
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  printf("{\"hwnd\": %lu, \"pid\": %lu, \"tid\": %lu, \"title\": ", (unsigned long)(ULONG_PTR)window,
         (unsigned long)pid, (unsigned long)tid);
  PrintWindowText(window);
  printf(", \"client\": [%ld, %ld, %ld, %ld], \"frame\": [%ld, %ld, %ld, %ld]}\n", origin.x, origin.y, client.right,
         client.bottom, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top);
  return 0;
}

static int Painted(HWND window, BOOL repaint) {
  if (repaint) RedrawWindow(window, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  return WaitPainted(window) ? 1 : Done();
}

// Sharing the program's input state shows its key state, which Wine updates as
// the program takes each key message from its queue, in arrival order. Sharing
// clears that state: a serving probe shares it once, before any key it waits for.
static int ShareInput(HWND window) {
  MSG message;
  PeekMessageW(&message, NULL, 0, 0, PM_NOREMOVE);  // gives this thread its message queue
  if (!AttachThreadInput(GetCurrentThreadId(), GetWindowThreadProcessId(window, NULL), TRUE)) {
    return Fail("cannot share the program's input state");
  }
  return Done();
}

static int Taken(HWND window, const char *keyText, const char *toggleText) {
  int key = atoi(keyText), toggle = atoi(toggleText);
  DWORD start = GetTickCount();
  for (SHORT state = GetKeyState(key); state < 0 || (state & 1) != toggle; state = GetKeyState(key)) {
    if (GetTickCount() - start > TimeoutMs) return Fail("the program did not take in the key");
    PauseOneMillisecond();
  }
  return Painted(window, FALSE);
}

static BOOL CALLBACK CountMenu(HWND window, LPARAM param) {
  WCHAR name[16];
  if (IsWindowVisible(window) && GetClassNameW(window, name, 16) && wcscmp(name, L"#32768") == 0) {
    ++*(int *)param;
  }
  return TRUE;
}

static int DescribeFocus(HWND window) {
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
  return Done();
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
    printf("%s{\"hwnd\": %lu, \"caption\": ", i ? ", " : "", (unsigned long)(ULONG_PTR)list.items[i]);
    PrintWindowText(list.items[i]);
    printf(", \"texts\": [");
    PrintChildren(list.items[i], L"Static", FALSE);
    printf("], \"buttons\": [");
    PrintChildren(list.items[i], L"Button", TRUE);
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

static int SetFileName(const char *name) {
  WCHAR wide[1024];
  HWND field = FileNameField();
  if (!field) return Fail("expected one file dialog with a file name field");
  if (!MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, name, -1, wide, 1024)) return Fail("not UTF-8");
  return SetWindowTextW(field, wide) ? Done() : Fail("the field refused the name");
}

static void DescribeFont(HDC dc, BYTE charset) {
  // 32 points at 96 dpi, the program's starting size.
  HFONT font = CreateFontW(-42, 0, 0, 0, FW_NORMAL, 0, 0, 0, charset, 0, 0, 0, 0, L"Courier New");
  HGDIOBJ old = SelectObject(dc, font);
  WCHAR face[LF_FACESIZE];
  GetTextFaceW(dc, LF_FACESIZE, face);
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
  printf(", \"ascii_widths\": [");
  for (int i = 0; i < 0x7f - 0x20; ++i) printf("%s%d", i ? ", " : "", widths[i]);
  printf("], \"has_cjk\": %s}", glyph != 0xffff ? "true" : "false");
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

static int DescribeVersion(HWND window) {
  static const WCHAR *const names[] = {L"FileVersion", L"ProductVersion", L"ProductName", L"FileDescription",
                                       L"OriginalFilename"};
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
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
  const char *verb = argc > 1 ? argv[1] : "";
  if (argc == 2 && strcmp(verb, "clipboard") == 0) return DescribeClipboard();
  if (argc == 2 && strcmp(verb, "hold-clipboard") == 0) return HoldClipboard();
  if (argc == 2 && strcmp(verb, "set-clipboard") == 0) return SetClipboard();
  if (argc == 2 && strcmp(verb, "dialogs") == 0) return DescribeDialogs();
  if (argc == 3 && strcmp(verb, "press") == 0) return PressButton(argv[2]);
  if (argc == 3 && strcmp(verb, "file-name") == 0) return SetFileName(argv[2]);
  if (argc == 2 && strcmp(verb, "fonts") == 0) return DescribeFonts();
  HWND window = MainWindow();
  if (!window) return Fail("no window of class Scrivlet");  // which every verb below asks about
  if (argc == 2 && strcmp(verb, "window") == 0) return DescribeWindow(window);
  if (argc == 2 && strcmp(verb, "repaint") == 0) return Painted(window, TRUE);
  if (argc == 2 && strcmp(verb, "painted") == 0) return Painted(window, FALSE);
  if (argc == 2 && strcmp(verb, "share-input") == 0) return ShareInput(window);
  if (argc == 4 && strcmp(verb, "taken") == 0) return Taken(window, argv[2], argv[3]);
  if (argc == 2 && strcmp(verb, "focus") == 0) return DescribeFocus(window);
  if (argc == 2 && strcmp(verb, "version") == 0) return DescribeVersion(window);
  if (argc == 3 && strcmp(verb, "time-command") == 0) return TimeCommand(window, argv[2]);
  return Fail("usage: probe serve | window | repaint | painted | share-input | taken KEY TOGGLE | focus | clipboard"
              " | hold-clipboard | set-clipboard | dialogs | press BUTTON_ID | file-name NAME"
              " | time-command ID | fonts | version");
}
