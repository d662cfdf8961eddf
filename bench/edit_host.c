// A window of class "EditHost" whose client area is one multiline Win32 EDIT
// control holding the text of a UTF-16LE file, for comparing Scrivlet with
// the system's own control under the same conditions: the same text, the same
// font and the same size of text area.
//
//   edit_host FILE WIDTH HEIGHT CHARSET
//
// FILE: FF FE, the text, then a 00 00 unit, which ends it. WIDTH x HEIGHT: the
// EDIT control's client area, its scroll bar not included, as a window's client
// area excludes its scroll bar. CHARSET: the character set of the "Courier New"
// font, at 32 points. Exits 1 with a message on stderr if anything fails.
// The command ReloadCommand, sent to the window, reads FILE again into the
// control, the way a program loads a file into it.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const WCHAR HostClass[] = L"EditHost";
static const int PointSize = 32;
enum { ReloadCommand = 100 };
static const char *TextPath;

static int Fail(const char *what) {
  fprintf(stderr, "edit_host: %s (error %lu)\n", what, GetLastError());
  return 1;
}

// The text up to its terminating 00 00 unit, with a terminator of its own for
// SetWindowTextW, or NULL.
static WCHAR *ReadText(const char *path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  if (file == INVALID_HANDLE_VALUE) return NULL;
  DWORD size = GetFileSize(file, NULL);
  WCHAR *units = size != INVALID_FILE_SIZE ? calloc(size / 2 + 1, sizeof *units) : NULL;
  DWORD read = 0;
  BOOL ok = units && ReadFile(file, units, size, &read, NULL) && read == size;
  CloseHandle(file);
  if (!ok || size < 4 || units[0] != 0xfeff) {
    free(units);
    return NULL;
  }
  memmove(units, units + 1, size - 2);  // the mark is no part of the text
  units[size / 2 - 1] = 0;
  return units;
}

static LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE: {
      HWND edit = GetWindow(window, GW_CHILD);
      if (edit) MoveWindow(edit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
      return 0;
    }
    case WM_SETFOCUS: {
      // The EDIT control shows its caret only while it has the focus.
      HWND edit = GetWindow(window, GW_CHILD);
      if (edit) SetFocus(edit);
      return 0;
    }
    case WM_COMMAND: {
      WCHAR *text = LOWORD(wParam) == ReloadCommand ? ReadText(TextPath) : NULL;
      if (text) SetWindowTextW(GetWindow(window, GW_CHILD), text);
      free(text);
      return 0;
    }
    case WM_DESTROY: PostQuitMessage(0); return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

int main(int argc, char **argv) {
  if (argc != 5) return Fail("usage: edit_host FILE WIDTH HEIGHT CHARSET");
  int width = atoi(argv[2]);
  int height = atoi(argv[3]);
  BYTE charset = (BYTE)atoi(argv[4]);
  TextPath = argv[1];
  WCHAR *text = ReadText(TextPath);
  if (!text) return Fail("cannot read the file as FF FE, UTF-16LE text, 00 00");

  HINSTANCE instance = GetModuleHandleW(NULL);
  WNDCLASSW hostClass = {0};
  hostClass.lpfnWndProc = HostProc;
  hostClass.hInstance = instance;
  hostClass.lpszClassName = HostClass;
  if (!RegisterClassW(&hostClass)) return Fail("cannot register the window class");

  // The EDIT control fills the client area, its own scroll bar included.
  RECT frame = {0, 0, width + GetSystemMetrics(SM_CXVSCROLL), height};
  const DWORD style = WS_OVERLAPPEDWINDOW;
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  HWND host = CreateWindowExW(0, HostClass, HostClass, style, 0, 0, frame.right - frame.left,
                              frame.bottom - frame.top, NULL, NULL, instance, NULL);
  if (!host) return Fail("cannot create the window");
  RECT client;
  GetClientRect(host, &client);
  // Without ES_AUTOHSCROLL a multiline EDIT control wraps its lines at its width.
  HWND edit = CreateWindowExW(0, L"EDIT", NULL, WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL,
                              0, 0, client.right, client.bottom, host, (HMENU)1, instance, NULL);
  if (!edit) return Fail("cannot create the EDIT control");

  HDC screen = GetDC(NULL);
  int dpiY = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(NULL, screen);
  HFONT font = CreateFontW(-(PointSize * dpiY / 72), 0, 0, 0, 0, FALSE, FALSE, FALSE, charset, 0, 0, 0, 0,
                           L"Courier New");
  if (!font) return Fail("cannot create the font");
  // The font first, so that the text is laid out once, in it.
  SendMessageW(edit, WM_SETFONT, (WPARAM)font, FALSE);
  // The default limit may lie below a full document's 32767 units.
  SendMessageW(edit, EM_SETLIMITTEXT, 0x10000, 0);
  if (!SetWindowTextW(edit, text)) return Fail("the EDIT control refused the text");
  free(text);
  SendMessageW(edit, EM_SETSEL, 0, 0);

  RECT editClient;
  GetClientRect(edit, &editClient);
  if (editClient.right != width || editClient.bottom != height) {
    fprintf(stderr, "edit_host: the EDIT control's client area is %ldx%ld, not %dx%d\n", editClient.right,
            editClient.bottom, width, height);
    return 1;
  }
  ShowWindow(host, SW_SHOWNORMAL);
  SetFocus(edit);
  UpdateWindow(host);

  MSG message;
  while (GetMessageW(&message, NULL, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  DeleteObject(font);
  return 0;
}
