// Menu and accelerator commands, and which Edit items are enabled.
#include "app/menu_commands.h"

#include "app/program_window.h"
#include "document/document_store.h"
#include "document/layout_settings.h"
#include "editing/clipboard_transfer.h"
#include "editing/delete_selection.h"
#include "files/printing.h"
#include "files/unicode_files.h"
#include "resources/command_ids.h"
#include "view/mouse_input.h"

static void ShowAbout() {
  MessageBoxA(MainWindow, "Scrivlet\nText Editor Computer Program", "Scrivlet", MB_OK | MB_ICONINFORMATION);
}

LRESULT DispatchCommand(HWND window, WPARAM wParam, LPARAM lParam) {
  int command = LOWORD(wParam);
  if (command >= IDM_POINT_SIZE_BASE + 8 && command <= IDM_POINT_SIZE_BASE + 72) {
    SetPointSize(wParam);
    return 0;
  }
  switch (command) {
    case IDM_FILE_NEW: NewDocument(); return 0;
    case IDM_FILE_OPEN: OpenDocument(); return 0;
    case IDM_FILE_SAVE: SaveDocument(); return 0;
    case IDM_FILE_PRINT: PrintDocument(); return 0;
    case IDM_FILE_EXIT: SendMessageW(MainWindow, WM_CLOSE, 0, 0); return 0;
    case IDM_EDIT_CUT: CutSelection(); return 0;
    case IDM_EDIT_COPY: CopySelection(); return 0;
    case IDM_EDIT_PASTE: PasteClipboard(); return 0;
    case IDM_EDIT_DELETE: DeleteSelection(); return 0;
    case IDM_EDIT_SELECT_ALL: SelectAll(); return 0;
    case IDM_WORD_WRAP_NO: SetWordWrap(wParam); return 0;
    case IDM_WORD_WRAP_YES: SetWordWrap(wParam); return 0;
    case IDM_ABOUT: ShowAbout(); return 0;
  }
  return DefWindowProcW(window, WM_COMMAND, wParam, lParam);
}

static UINT EnabledWhen(bool condition) { return condition ? MF_ENABLED : MF_GRAYED; }

void UpdateMenuState() {
  HMENU menu = GetMenu(MainWindow);
  UINT selection = EnabledWhen(SelectionNotEmpty());
  EnableMenuItem(menu, IDM_EDIT_CUT, selection);
  EnableMenuItem(menu, IDM_EDIT_COPY, selection);
  EnableMenuItem(menu, IDM_EDIT_DELETE, selection);
  EnableMenuItem(menu, IDM_EDIT_PASTE, EnabledWhen(IsClipboardFormatAvailable(CF_UNICODETEXT) != 0));
  EnableMenuItem(menu, IDM_EDIT_SELECT_ALL, EnabledWhen(DocumentLength > 1));
  DrawMenuBar(MainWindow);
}
