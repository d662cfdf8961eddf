// Draws the lines of a UTF-16LE file (FF FE, lines separated by CR LF) the plain
// way, one TextOutW a unit at cells from its ABC widths, for test_pixels.py to
// compare with Scrivlet's page view. It restates the cell rule on purpose.
//
//   plain_text FILE POINTSIZE LEFT TOP WIDTH HEIGHT   a window "PlainText", its client area
//       WIDTH x HEIGHT; once painted, prints {"client": [x, y, width, height], "line_height"}
//   plain_text --overhangs POINTSIZE   {"negative_a": [...], "negative_c": [...]}: units
//       whose A or C width is negative
// A failure prints a message on stderr and exits 1.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static WCHAR Text[65536];
static int Count, Points, Left, Top;

static int Fail(const char *what) {
  fprintf(stderr, "plain_text: %s\n", what);
  return 1;
}

static HFONT CreatePlainFont(HDC dc) {
  LOGFONTA font;
  memset(&font, 0, sizeof font);
  font.lfHeight = -Points * GetDeviceCaps(dc, LOGPIXELSY) / 72;  // negative: a character height
  font.lfCharSet = 136;
  strcpy(font.lfFaceName, "Courier New");
  return CreateFontIndirectA(&font);
}

// A unit's cell: A + B + C, an overhang counted twice, plus a tenth of the height
// between cells; *offset: how far right of the cell's left edge it is drawn.
static int Cell(HDC dc, WCHAR unit, const TEXTMETRICA *metrics, int *offset) {
  ABC abc;
  *offset = 0;
  if (!GetCharABCWidthsW(dc, unit, unit, &abc)) return metrics->tmMaxCharWidth;
  *offset = abc.abcA < 0 ? -abc.abcA : 0;
  int a = abc.abcA >= 0 ? abc.abcA : -2 * abc.abcA;
  int c = abc.abcC >= 0 ? abc.abcC : -2 * abc.abcC;
  return a + (abc.abcB != 0 ? (int)abc.abcB : metrics->tmMaxCharWidth) + c + metrics->tmHeight / 10;
}

static void Paint(HWND window) {
  static BOOL reported;
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  HFONT previous = SelectObject(dc, CreatePlainFont(dc));
  TEXTMETRICA metrics;
  GetTextMetricsA(dc, &metrics);
  int lineHeight = metrics.tmHeight + metrics.tmExternalLeading;
  SetBkMode(dc, TRANSPARENT);
  SetTextAlign(dc, TA_LEFT | TA_TOP);
  for (int i = 0, x = Left, y = Top; i < Count; i++) {
    if (Text[i] == 13 && i + 1 < Count && Text[i + 1] == 10) {
      x = Left;
      y += lineHeight;
      i++;
      continue;
    }
    int offset, cell = Cell(dc, Text[i], &metrics, &offset);
    TextOutW(dc, x + offset, y, Text + i, 1);
    x += cell;
  }
  DeleteObject(SelectObject(dc, previous));
  EndPaint(window, &paint);
  if (reported) return;
  RECT client;
  GetClientRect(window, &client);
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  printf("{\"client\": [%ld, %ld, %ld, %ld], \"line_height\": %d}\n", origin.x, origin.y, client.right, client.bottom,
         lineHeight);
  fflush(stdout);
  reported = TRUE;
}

static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) PostQuitMessage(0);
  if (message != WM_PAINT) return DefWindowProcW(window, message, wParam, lParam);
  Paint(window);
  return 0;
}

// Units of Latin (no controls), general punctuation, CJK punctuation and full-width
// forms whose A (side 0) or C (side 1) width is negative.
static int PrintOverhangs(void) {
  static const WCHAR ranges[][2] = {{0x21, 0x7E}, {0xA1, 0x24F}, {0x2010, 0x205E}, {0x3001, 0x303F}, {0xFF01, 0xFF5E}};
  HDC dc = GetDC(NULL);
  HFONT previous = SelectObject(dc, CreatePlainFont(dc));
  for (int side = 0, printed = 0; side < 2; side++, printed = 0) {
    printf(side ? "], \"negative_c\": [" : "{\"negative_a\": [");
    for (int r = 0; r < 5; r++) {
      for (WCHAR unit = ranges[r][0]; unit <= ranges[r][1]; unit++) {
        ABC abc;
        if (GetCharABCWidthsW(dc, unit, unit, &abc) && (side ? abc.abcC : abc.abcA) < 0) {
          printf("%s%u", printed++ ? ", " : "", (unsigned)unit);
        }
      }
    }
  }
  printf("]}\n");
  DeleteObject(SelectObject(dc, previous));
  ReleaseDC(NULL, dc);
  return 0;
}

int main(int argc, char **argv) {
  if (argc == 3 && strcmp(argv[1], "--overhangs") == 0) {
    Points = atoi(argv[2]);
    return PrintOverhangs();
  }
  if (argc != 7) return Fail("usage: plain_text FILE POINTSIZE LEFT TOP WIDTH HEIGHT | --overhangs POINTSIZE");
  static unsigned char bytes[2 * 65536 + 2];
  FILE *file = fopen(argv[1], "rb");
  if (!file) return Fail("cannot open the file");
  size_t size = fread(bytes, 1, sizeof bytes, file);
  fclose(file);
  if (size < 2 || size % 2 || bytes[0] != 0xFF || bytes[1] != 0xFE) return Fail("not FF FE and UTF-16LE units");
  Count = (int)(size - 2) / 2;
  for (int i = 0; i < Count; i++) Text[i] = (WCHAR)(bytes[2 + 2 * i] | bytes[3 + 2 * i] << 8);
  Points = atoi(argv[2]);
  Left = atoi(argv[3]);
  Top = atoi(argv[4]);
  DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
  RECT frame = {0, 0, atoi(argv[5]), atoi(argv[6])};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  WNDCLASSW windowClass = {0};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = GetModuleHandleW(NULL);
  windowClass.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
  windowClass.lpszClassName = L"PlainText";
  if (!RegisterClassW(&windowClass)) return Fail("cannot register the window class");
  // At the screen's top left corner, so that the whole window is on the screen.
  HWND window = CreateWindowExW(0, L"PlainText", L"PlainText", style, 0, 0, frame.right - frame.left,
                                frame.bottom - frame.top, NULL, NULL, windowClass.hInstance, NULL);
  if (!window) return Fail("cannot create the window");
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  MSG message;
  while (GetMessageW(&message, NULL, 0, 0) > 0) DispatchMessageW(&message);
  return 0;
}
