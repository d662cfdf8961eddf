// The frame of the console helpers that ask Win32, inside Scrivlet's Wine
// prefix, what X cannot tell: the probe (probe.c) and the benchmarks' timer
// (bench/wine_timer.c). Each defines PROGRAM_NAME and Answer(argc, argv), which
// prints one JSON value on stdout (ASCII, with \u escapes) and returns 0, or
// returns Fail(WHAT). "PROGRAM serve" answers verbs read from standard input,
// one a line with its arguments split at spaces, one JSON value a line ({"error":
// WHAT} for a failure): it saves starting a Wine process for each question.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const DWORD TimeoutMs = 10000;
static BOOL Serving;

static int Answer(int argc, char **argv);

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

static int Fail(const char *what) {
  if (Serving) {
    WCHAR wide[256];
    MultiByteToWideChar(CP_ACP, 0, what, -1, wide, 256);
    printf("{\"error\": ");
    PrintJsonString(wide);
    printf("}\n");
  } else {
    fprintf(stderr, PROGRAM_NAME ": %s\n", what);
  }
  return 1;
}

static int Done(void) {
  printf("{}\n");
  return 0;
}

static HWND MainWindow(void) { return FindWindowW(L"Scrivlet", NULL); }

static void PauseOneMillisecond(void) { Sleep(1); }

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

// The file name field of the one open file dialog, or NULL.
static BOOL CALLBACK FindFileNameField(HWND child, LPARAM param) {
  int id = GetDlgCtrlID(child);
  if (id != 0x480 && id != 0x47c) return TRUE;  // edt1 on Wine, cmb13 on Windows
  *(HWND *)param = child;
  return FALSE;
}

static HWND FileNameField(void) {
  struct DialogList list = OpenDialogs();
  HWND field = NULL;
  if (list.count == 1) EnumChildWindows(list.items[0], FindFileNameField, (LPARAM)&field);
  return field;
}

static double MillisecondsSince(LARGE_INTEGER start) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return 1000.0 * (double)(now.QuadPart - start.QuadPart) / (double)frequency.QuadPart;
}

// {"ms"} from sending the menu command ID to window's top-level window to the end of window's paint.
static int TimeCommand(HWND window, const char *idText) {
  if (!window) return Fail("no such window");
  LARGE_INTEGER start;
  QueryPerformanceCounter(&start);
  SendMessageW(GetAncestor(window, GA_ROOT), WM_COMMAND, (WPARAM)atoi(idText), 0);
  if (WaitPainted(window)) return 1;
  printf("{\"ms\": %.3f}\n", MillisecondsSince(start));
  return 0;
}

int main(int argc, char **argv) {
  if (argc != 2 || strcmp(argv[1], "serve") != 0) return Answer(argc, argv);
  Serving = TRUE;
  char line[1024];
  while (fgets(line, sizeof line, stdin)) {
    char *words[8] = {PROGRAM_NAME};
    int count = 1;
    for (char *word = strtok(line, " \r\n"); word && count < 8; word = strtok(NULL, " \r\n")) words[count++] = word;
    Answer(count, words);
    fflush(stdout);
  }
  return 0;
}
