// The program's entry and its one window: start-up, message routing, the
// question before a changed document is closed, and shutdown.
#include "app/main_window.h"

#include <string.h>

#include "app/menu_commands.h"
#include "document/document_store.h"
#include "document/page_geometry.h"
#include "editing/typed_characters.h"
#include "files/unicode_files.h"
#include "input/caret_keys.h"
#include "view/character_picker.h"
#include "view/mouse_input.h"
#include "view/page_painter.h"

HWND MainWindow;

// The class, the window title and the menu, icon and accelerator resources.
static const WCHAR ProgramName[] = {'S', 'c', 'r', 'i', 'v', 'l', 'e', 't', 0};

void ReportFailure(LPCSTR text, LPCSTR caption) { MessageBoxA(MainWindow, text, caption, MB_OK | MB_ICONEXCLAMATION); }

static LRESULT StartMainWindow(HWND window) {
  MainWindow = window;
  InitPageMetrics();
  StartEmptyDocument();
  InitFileDialogRecord();
  return 0;
}

static LRESULT ResizeMainWindow(LPARAM lParam) {
  HandleSize(lParam);
  LayoutPicker();
  UpdatePageFrame();
  return 0;
}

static LRESULT PaintMainWindow(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  PaintPicker(dc);
  PaintPageLines(dc);
  PaintTextLines(dc);
  PaintCaret(dc);
  PaintSelection(dc);
  EndPaint(window, &paint);
  return 0;
}

// Yes saves and keeps the window; the user closes again.
static LRESULT CloseMainWindow(HWND window, WPARAM wParam, LPARAM lParam) {
  if (!ConfirmDiscard(ChangedDocumentQuestion)) return 0;
  return DefWindowProcW(window, WM_CLOSE, wParam, lParam);
}

// Ending the Windows session would discard a changed document without a word.
static LRESULT QueryEndSession() {
  if (!DocumentChangedSinceSave()) return TRUE;
  int answer = MessageBoxA(MainWindow, ChangedDocumentQuestion, "Save Current File?", MB_YESNOCANCEL | MB_ICONQUESTION);
  return answer == IDNO || (answer == IDYES && SaveDocument());
}

static LRESULT DestroyMainWindow() {
  if (PickerButtonHeld) StopPickerAutorepeat();
  PostQuitMessage(0);
  return 0;
}

static void NormaliseSelection() {
  if (SelectionStart == SelectionEnd) SelectionActive = 0;
}

// A held picker button drives the row by its timer; keys would step it too.
static LRESULT PressKey(WPARAM key) {
  if (PickerButtonHeld) return 0;
  NormaliseSelection();
  HandleKeyDown((int)key);
  NormaliseSelection();
  return 0;
}

static LRESULT PressLeftButton(LPARAM lParam) {
  NormaliseSelection();
  HandleLeftButtonDown(lParam);
  NormaliseSelection();
  return 0;
}

// While Up or Down is held, leaving the button stops its autorepeat.
static LRESULT MoveMouse(HWND window, WPARAM wParam, LPARAM lParam) {
  const RECT &held = PickerRects[PickerFocus];
  int x = LOWORD(lParam);
  int y = HIWORD(lParam);
  if (!PickerButtonHeld || (held.left <= x && x < held.right && held.top <= y && y < held.bottom)) {
    return DefWindowProcW(window, WM_MOUSEMOVE, wParam, lParam);
  }
  StopPickerAutorepeat();
  return 0;
}

static LRESULT ReleaseLeftButton(HWND window, WPARAM wParam, LPARAM lParam) {
  if (!PickerButtonHeld) return DefWindowProcW(window, WM_LBUTTONUP, wParam, lParam);
  StopPickerAutorepeat();
  return 0;
}

// The button-up never comes when another window takes the capture (a switch
// to another program, a modal box): the autorepeat would run to its limit.
static LRESULT LoseCapture(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (PickerButtonHeld && (message == WM_CANCELMODE || (HWND)lParam != window)) StopPickerAutorepeat();
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: return StartMainWindow(window);
    case WM_DESTROY: return DestroyMainWindow();
    case WM_SIZE: return ResizeMainWindow(lParam);
    case WM_PAINT: return PaintMainWindow(window);
    case WM_CLOSE: return CloseMainWindow(window, wParam, lParam);
    case WM_QUERYENDSESSION: return QueryEndSession();
    case WM_KEYDOWN: return PressKey(wParam);
    case WM_KEYUP: KeyRepeatCount = 0; return 0;
    case WM_KILLFOCUS: KeyRepeatCount = 0; return 0;  // the key-up goes to the other window
    case WM_CHAR: if (!PickerKeyboardMode) TypeKeyboardCharacter((int)wParam); return 0;
    case WM_TIMER: if (wParam == PickerRepeatTimer) PickerAutorepeatTick(); return 0;
    case WM_VSCROLL: HandleVerticalScroll(wParam); return 0;
    case WM_MOUSEMOVE: return MoveMouse(window, wParam, lParam);
    case WM_LBUTTONDOWN: return PressLeftButton(lParam);
    case WM_LBUTTONUP: return ReleaseLeftButton(window, wParam, lParam);
    case WM_COMMAND: return DispatchCommand(window, wParam, lParam);
    case WM_INITMENUPOPUP: UpdateMenuState(); return 0;
    case WM_CAPTURECHANGED: return LoseCapture(window, message, wParam, lParam);
    case WM_CANCELMODE: return LoseCapture(window, message, wParam, lParam);
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

HWND CreateMainWindow(HINSTANCE instance, int showCommand) {
  // A Unicode window, so that WM_CHAR brings UTF-16 units, one per message.
  WNDCLASSW windowClass;
  memset(&windowClass, 0, sizeof windowClass);
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = LoadIconW(instance, ProgramName);
  windowClass.hCursor = LoadCursorW(NULL, IDC_ARROW);
  windowClass.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
  windowClass.lpszMenuName = ProgramName;
  windowClass.lpszClassName = ProgramName;
  if (!RegisterClassW(&windowClass)) {
    MessageBoxA(NULL, "Can not register class", "Scrivlet", MB_OK | MB_ICONEXCLAMATION);
    return NULL;
  }
  HWND window = CreateWindowExW(0, ProgramName, ProgramName, WS_OVERLAPPEDWINDOW | WS_VSCROLL, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, NULL, NULL, instance, NULL);
  ShowWindow(window, showCommand);
  UpdateWindow(window);
  return window;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  HWND window = CreateMainWindow(instance, showCommand);
  if (window == NULL) return 0;
  HACCEL accelerators = LoadAcceleratorsW(instance, ProgramName);
  MSG message;
  while (GetMessageW(&message, NULL, 0, 0)) {
    if (TranslateAcceleratorW(window, accelerators, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return (int)message.wParam;
}
