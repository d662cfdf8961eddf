// What tests see of the Win32 double: the window it hosts, the call log, the
// framebuffer and update region, the font model, scripted answers and faults.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace fake {

// ---- The window (fake_windows.cpp) --------------------------------------
// The one top-level window. OpenWindow makes it (a second call replaces it,
// and the old handle is then misuse) with a white client area, an empty update
// region and the procedure UpdateWindow sends WM_PAINT to; no message is sent.
HWND OpenWindow(WNDPROC procedure, int clientWidth, int clientHeight);
// A user's resize: new pixels white, the whole client area invalid with erase
// (CS_HREDRAW | CS_VREDRAW), WM_SIZE (SIZE_RESTORED) sent; UpdateWindow paints.
void ResizeWindow(int clientWidth, int clientHeight);
int ClientWidth();
int ClientHeight();
// The client size CreateWindowExW gives (800 x 700 until set).
void SetDefaultClientSize(int clientWidth, int clientHeight);
// Sends a message to the window procedure as the system would dispatch it.
LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam);
bool WindowDestroyed();  // by DefWindowProcW on WM_CLOSE
int QuitCode();          // PostQuitMessage's, or -1
std::string WindowTitle();  // SetWindowTextA's last ("" before)
// The MF_CHECKED / MF_GRAYED bits CheckMenuItem and EnableMenuItem left on a command id (0 untouched).
UINT MenuItemCheck(UINT id);
UINT MenuItemEnable(UINT id);
UINT TimerPeriod(UINT_PTR id);  // 0 when the timer is not running
void FireTimer(UINT_PTR id);    // WM_TIMER, as its period elapsing would
HWND Capture();                 // the window holding the mouse capture, or NULL
void TakeCaptureAway();         // another window takes it: WM_CAPTURECHANGED
void HoldKey(int virtualKey, bool held);  // what GetKeyState reports
int ScrollRangeMin();
int ScrollRangeMax();
int ScrollPosition();
struct MessageBoxRecord {
  HWND owner;
  std::string text;
  std::string caption;
  UINT style;
};
const std::vector<MessageBoxRecord> &MessageBoxes();
// The button the next box answers with. An OK box answers IDOK unscripted; a
// question box with no answer queued fails the test and answers IDCANCEL.
void AnswerNextMessageBox(int button);

// ---- Clipboard (fake_clipboard.cpp) and global memory (fake_memory.cpp) ----
// Global blocks are movable only, named hglobal1, hglobal2 ... in creation
// order, the blocks other programs put on the clipboard included. The
// clipboard holds one CF_UNICODETEXT block or nothing (at first); a block
// given to it is its own, and the program may read it only while it has the
// clipboard open.
//
// Another program puts a CF_UNICODETEXT block of exactly these units (2 bytes
// each, native order, no terminator added). The window is then not the owner
// and the previous block is freed by the system.
void PutClipboardUnits(const std::u16string &units);
// GlobalSize of the clipboard's current block reports bytes from now on, as
// a rounded-up or hostile block would; min(bytes, 1 MiB) bytes of it can be
// read, those past the units padded with 'A' (0x0041) units.
void SetClipboardReportedSize(SIZE_T bytes);
// Another program empties the clipboard: no format is available.
void EmptyClipboardElsewhere();
bool ClipboardHoldsText();
// Every unit of the clipboard's block (its size / 2, the terminator
// included); fails the test when it holds none.
std::u16string ClipboardUnits();
// The window that last emptied the clipboard while it had it open, or NULL.
HWND ClipboardOwner();

// ---- Call log (fake_core.cpp) -------------------------------------------
// Every double function appends one readable entry, in call order, e.g.
//   GetDC(hwnd1) -> hdc1
//   GetDeviceCaps(hdc1, LOGPIXELSY) -> 96
//   CreateFontIndirectA(height -42, charset 136, "Courier New") -> hfont1
//   SelectObject(hdc1, hfont1) -> systemfont
//   InvalidateRect(hwnd1, {0, 144, 800, 191}, TRUE)
//   ScrollWindow(hwnd1, 0, -110, {0, 144, 800, 700}, {0, 144, 800, 700})
//   BeginPaint(hwnd1) -> hdc2 paint {0, 144, 800, 191} erase
//   MessageBoxA(hwnd1, "Input exceeds memory limit", "Can Not Add Line", 0x30) -> IDOK
// Handles are named by kind and creation order (hwnd1, hdc1, hfont1, ...);
// the numbering restarts in every process, so expected logs are stable.
const std::vector<std::string> &Calls();
// The entries whose first word (up to "(" or a space) is one of names, in order.
std::vector<std::string> CallsTo(const std::vector<std::string> &names);
void ClearCalls();
// A test's own entry among the calls, such as the state a window procedure
// saw: "WM_PAINT selection 0 caret 4".
void Note(const std::string &entry);
// Recording costs time; benchmarks switch it off.
void SetRecording(bool on);

// ---- Framebuffer (fake_painting.cpp) and update region (fake_windows.cpp) ----
// One byte per client pixel: 255 white (the class background), 0 black. GDI
// draws only inside the paint region while painting, anywhere in the client
// area with a GetDC context.
struct Screen {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> pixels;  // row-major, width * height
  uint8_t At(int x, int y) const { return pixels[(size_t)y * (size_t)width + (size_t)x]; }
};
Screen CaptureScreen();
uint8_t Pixel(int x, int y);
// "" when equal, else the size difference or the first differing pixels.
std::string DescribeScreenDifference(const Screen &expected, const Screen &actual);
// A region as Windows stores one: y-bands top to bottom, each band's
// rectangles left to right, "" when empty: "{0, 144, 800, 191} {10, 191, 20, 238}".
std::string UpdateRegion();
bool UpdateRegionEmpty();
// The whole client area invalid with erase and painted now.
void RepaintWholeWindow();
// LOGPIXELSX and LOGPIXELSY of every screen DC (96 until set).
void SetScreenDpi(int dpi);

// ---- Fonts (fake_fonts.cpp) ---------------------------------------------
// Metrics follow from the LOGFONTA alone (the face is only recorded). em is
// -lfHeight for a negative height, lfHeight * 1000 / 1133 for a positive one, 16 for 0:
//   tmHeight = em * 1133 / 1000 (lfHeight itself when positive), tmAscent = tmHeight * 4 / 5,
//   tmDescent the rest, tmInternalLeading = tmHeight - em, tmExternalLeading 0,
//   tmAveCharWidth = tmMaxCharWidth = em * 6 / 10, tmCharSet = lfCharSet.
// Glyph ABC widths by unit, with advance = em * 6 / 10, edge = em / 10, hang = em / 16 + 1:
//   default                         A = edge, B = advance - 2 * edge, C = edge
//   'g' 'j' 'p' 'q' 'y'             A = -hang, B = advance, C = hang (left overhang)
//   'f'                             A = edge, B = advance, C = -hang (right overhang)
//   0x0300..0x036F 0x200B..0x200F 0xFEFF    zero width: A = B = C = 0
//   0x1100..0x115F 0x2E80..0xA4CF 0xAC00..0xD7A3 0xF900..0xFAFF 0xFF01..0xFF60
//                                   wide: A = em / 20, B = em - 2 * (em / 20), C = em / 20
//   0xD800..0xDFFF 0xFFFE 0xFFFF    GetCharABCWidthsW fails
// TextOutW draws each unit as its own pattern of black pixels inside its black
// box (x + A .. x + A + B, y .. y + tmHeight); B = 0 draws nothing; a unit whose
// query fails is drawn with A = 0, B = advance, C = 0. GetTextExtentPoint32A's
// cx is where TextOutA's pen ends, its cy tmHeight.
// Tests may override single units for every font, or for printer DCs alone (a
// printer's face may be wider than the screen's at the same resolution):
void SetGlyph(WCHAR unit, int a, unsigned b, int c);
void SetGlyphQueryFails(WCHAR unit);
void SetPrinterGlyph(WCHAR unit, int a, unsigned b, int c);
LOGFONTA FontDescription(HFONT font);  // what the product asked for

// ---- Printer (fake_printer.cpp) -----------------------------------------
// One printer. PrintDlgA answers from a script. A printer DC (from PrintDlgA
// with PD_RETURNDC) takes fonts, metrics, SetBkMode and SetTextAlign
// (TA_LEFT | TA_TOP only) as other DCs do; GetDeviceCaps answers LOGPIXELSX/Y
// and PHYSICALWIDTH/HEIGHT/OFFSETX/OFFSETY from the settings; TextOutW and
// TextOutA record the text on the open page instead of drawing. Jobs follow
// Windows' states: StartDocA, then StartPage .. EndPage per page, then EndDoc
// (no page open) or AbortDoc; then DeleteDC. Anything else is misuse, and so
// is any other drawing call on a printer DC. A failed StartDocA, StartPage,
// EndPage, EndDoc or AbortDoc (Fault::kSpooler) returns 0 and changes nothing.
//
// The printer's resolution and paper in printer pixels, as GetDeviceCaps
// answers them from now on (600 dpi, Letter 5100 x 6600, offsets 0 until set).
void SetPrinter(int dpiX, int dpiY, int physicalWidth, int physicalHeight, int offsetX, int offsetY);
// The next PrintDlgA: the user prints (TRUE) or cancels (FALSE). Printing
// returns a new printer DC in hDC when PD_RETURNDC asks for one, or NULL when
// returnsDc is false (a driver that cannot make one), sets nCopies to 1, and
// puts the printer's device-mode and device-names handles (hdevmode,
// hdevnames; they live as long as the program) in the record; handles passed
// back to the dialog are kept. A dialog with nothing queued fails the test and
// cancels; lStructSize other than sizeof(PRINTDLGA) is misuse (FALSE).
void AnswerNextPrintDialog(bool print, bool returnsDc = true);
// The record the product passed to the last PrintDlgA, as it was passed.
PRINTDLGA LastPrintDialogRecord();
struct PrintedText {
  int page;  // from 1 within its job
  int x;
  int y;
  std::u16string text;  // TextOutA's bytes as Latin-1 units
  LOGFONTA font;        // the selected font's description
  bool transparent;     // SetBkMode TRANSPARENT
};
// Every TextOutW and TextOutA on a printer DC, in call order.
const std::vector<PrintedText> &PrintedTexts();
enum class JobEnd { kOpen, kEnded, kAborted };  // kOpen: neither EndDoc nor AbortDoc yet
struct PrintJob {
  std::string name;  // DOCINFOA's lpszDocName
  int pagesEnded;    // by a successful EndPage
  JobEnd end;
};
// Every job StartDocA started, in order (job n is StartDocA's result n).
const std::vector<PrintJob> &PrintJobs();

// ---- Files and file dialogs (fake_files.cpp) ---------------------------
// An in-memory file system: paths are compared as given ("C:\\docs\\a.txt").
// A folder exists when some file lies in it or it was made with MakeFolder;
// the one GetTempPathA names exists from the start.
void MakeFolder(const std::string &folder);
constexpr char TemporaryFolder[] = "C:\\Temp";
// A read-only file, as Windows treats it: opening it for writing fails, and
// GetFileInformationByHandle reports FILE_ATTRIBUTE_READONLY (other files
// FILE_ATTRIBUTE_ARCHIVE, one link). GetLastError answers for the last
// CreateFileA alone: ERROR_ALREADY_EXISTS when it opened a file with
// OPEN_ALWAYS or CREATE_ALWAYS, 0 when it made one, ERROR_ACCESS_DENIED when it failed.
void MarkReadOnly(const std::string &path);
void PutFile(const std::string &path, const std::string &bytes);
bool FileExists(const std::string &path);
std::string FileBytes(const std::string &path);
// Every path that exists, sorted (temporary files left behind show here).
std::vector<std::string> FilePaths();
// The next GetOpenFileNameA or GetSaveFileNameA: the user chooses path (its
// name after the last backslash becomes the file title; a name without an
// extension gets lpstrDefExt), or cancels when path is empty. Save assumes
// Yes to the overwrite question. A dialog with nothing queued, or an answer
// the real dialog would never give (a missing file with OFN_FILEMUSTEXIST, a
// missing folder with OFN_PATHMUSTEXIST), fails the test and cancels.
void AnswerNextFileDialog(const std::string &path);
// The record the product passed to the last file dialog, as it was passed.
OPENFILENAMEA LastFileDialogRecord();
std::string LastFileDialogFilter();  // lpstrFilter, every 0 through the closing pair shown as '|'

// ---- Injected failures (fake_core.cpp) ----------------------------------
// One switch per class of failure, each set as "of the calls of this class
// made from now, the k-th (1 is the next) fails, and the n - 1 after it";
// n = 0 turns the class off. A failing call changes nothing and returns its
// failure value.
enum class Fault {
  kHeap,          // HeapAlloc: NULL
  kGlobalMemory,  // GlobalAlloc, GlobalLock: NULL
  // CreateFileA (INVALID_HANDLE_VALUE), ReadFile, WriteFile, FlushFileBuffers,
  // CloseHandle (which still releases the handle, as Windows does),
  // GetFileSize (INVALID_FILE_SIZE), GetFileInformationByHandle,
  // SetFilePointer (INVALID_SET_FILE_POINTER), SetEndOfFile, GetTempPathA (0),
  // GetTempFileNameA (0), DeleteFileA: FALSE unless said.
  kFileIo,
  // File I/O again, counted with it, but a WriteFile it fails writes the
  // first half of its bytes (a full disk) and reports that count.
  kShortWrite,
  // OpenClipboard (another program holds it open), EmptyClipboard,
  // SetClipboardData (the block stays the caller's), GetClipboardData.
  kClipboard,
  kSpooler,  // StartDocA, StartPage, EndPage, EndDoc, AbortDoc: 0
  kDialog,   // GetOpenFileNameA, GetSaveFileNameA, PrintDlgA: FALSE, their scripted answer used up
};
void FailCalls(Fault kind, int k = 1, int n = 1);
// The function of each call an injected failure struck, in order.
const std::vector<std::string> &StruckCalls();

// ---- Heap (fake_memory.cpp) ---------------------------------------------
// Bytes the product holds from HeapAlloc now.
size_t HeapBytesInUse();

// ---- Honesty checks (fake_core.cpp, from every area) --------------------
// Misuse found so far: a DC used after release, a font deleted while selected,
// a DC released with a foreign object still selected, EndPaint without
// BeginPaint, painting outside WM_PAINT... One line each; empty when clean.
const std::vector<std::string> &Misuse();
// Resources still held: DCs not released, fonts not deleted, heap blocks not
// freed, files not closed, global blocks neither freed nor given to the
// clipboard, global blocks still locked, the clipboard left open, print jobs
// neither ended nor aborted. One line each; empty when clean.
std::vector<std::string> Leaks();

}  // namespace fake
