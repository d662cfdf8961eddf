// Test double of the Win32 subset the product uses: the same types, sizes,
// constants and signatures as the system headers, backed by the fake_*.cpp files beside it.
#pragma once

#include <stddef.h>
#include <stdint.h>

#define WINAPI
#define CALLBACK
#define WINAPIV
#define TRUE 1
#define FALSE 0

typedef int BOOL;
typedef unsigned char BYTE;
typedef unsigned short WORD;
typedef short SHORT;
typedef unsigned int DWORD;  // 32-bit, as on Windows (LLP64)
typedef int LONG;            // 32-bit, as on Windows (LLP64)
typedef unsigned int UINT;
typedef int INT;
typedef char CHAR;
typedef char16_t WCHAR;  // 16-bit, as on Windows; keeps wchar_t literals out of the product
typedef size_t SIZE_T;
typedef uintptr_t UINT_PTR;
typedef intptr_t LONG_PTR;
typedef UINT_PTR WPARAM;
typedef LONG_PTR LPARAM;
typedef LONG_PTR LRESULT;
typedef void *LPVOID;
typedef CHAR *LPSTR;
typedef const CHAR *LPCSTR;
typedef WCHAR *LPWSTR;
typedef const WCHAR *LPCWSTR;

typedef void *HANDLE;
typedef HANDLE HGLOBAL;
typedef void *HGDIOBJ;
typedef struct HWND__ *HWND;
typedef struct HDC__ *HDC;
typedef struct HFONT__ *HFONT;
typedef struct HINSTANCE__ *HINSTANCE;
typedef struct HICON__ *HICON;
typedef HICON HCURSOR;
typedef struct HBRUSH__ *HBRUSH;
typedef struct HMENU__ *HMENU;
typedef struct HACCEL__ *HACCEL;
typedef WORD ATOM;

typedef struct tagRECT {
  LONG left, top, right, bottom;
} RECT, *LPRECT;
typedef struct tagPOINT {
  LONG x, y;
} POINT, *LPPOINT;
typedef struct tagSIZE {
  LONG cx, cy;
} SIZE, *LPSIZE;
typedef struct _ABC {
  int abcA;
  UINT abcB;
  int abcC;
} ABC, *LPABC;
#define LF_FACESIZE 32
typedef struct tagLOGFONTA {
  LONG lfHeight, lfWidth, lfEscapement, lfOrientation, lfWeight;
  BYTE lfItalic, lfUnderline, lfStrikeOut, lfCharSet, lfOutPrecision, lfClipPrecision, lfQuality, lfPitchAndFamily;
  CHAR lfFaceName[LF_FACESIZE];
} LOGFONTA, *LPLOGFONTA;
typedef struct tagTEXTMETRICA {
  LONG tmHeight, tmAscent, tmDescent, tmInternalLeading, tmExternalLeading, tmAveCharWidth, tmMaxCharWidth;
  LONG tmWeight, tmOverhang, tmDigitizedAspectX, tmDigitizedAspectY;
  BYTE tmFirstChar, tmLastChar, tmDefaultChar, tmBreakChar;
  BYTE tmItalic, tmUnderlined, tmStruckOut, tmPitchAndFamily, tmCharSet;
} TEXTMETRICA, *LPTEXTMETRICA;
typedef struct tagPAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
  BOOL fRestore, fIncUpdate;
  BYTE rgbReserved[32];
} PAINTSTRUCT, *LPPAINTSTRUCT;
typedef struct _FILETIME {
  DWORD dwLowDateTime, dwHighDateTime;
} FILETIME;
typedef struct _BY_HANDLE_FILE_INFORMATION {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime, ftLastAccessTime, ftLastWriteTime;
  DWORD dwVolumeSerialNumber, nFileSizeHigh, nFileSizeLow, nNumberOfLinks, nFileIndexHigh, nFileIndexLow;
} BY_HANDLE_FILE_INFORMATION, *LPBY_HANDLE_FILE_INFORMATION;
typedef struct tagOFNA {
  DWORD lStructSize;
  HWND hwndOwner;
  HINSTANCE hInstance;
  LPCSTR lpstrFilter;
  LPSTR lpstrCustomFilter;
  DWORD nMaxCustFilter, nFilterIndex;
  LPSTR lpstrFile;
  DWORD nMaxFile;
  LPSTR lpstrFileTitle;
  DWORD nMaxFileTitle;
  LPCSTR lpstrInitialDir, lpstrTitle;
  DWORD Flags;
  WORD nFileOffset, nFileExtension;
  LPCSTR lpstrDefExt;
  LPARAM lCustData;
  void *lpfnHook;
  LPCSTR lpTemplateName;
  void *pvReserved;
  DWORD dwReserved, FlagsEx;
} OPENFILENAMEA, *LPOPENFILENAMEA;
typedef struct tagPDA {
  DWORD lStructSize;
  HWND hwndOwner;
  HGLOBAL hDevMode, hDevNames;
  HDC hDC;
  DWORD Flags;
  WORD nFromPage, nToPage, nMinPage, nMaxPage, nCopies;
  HINSTANCE hInstance;
  LPARAM lCustData;
  void *lpfnPrintHook, *lpfnSetupHook;
  LPCSTR lpPrintTemplateName, lpSetupTemplateName;
  HGLOBAL hPrintTemplate, hSetupTemplate;
} PRINTDLGA, *LPPRINTDLGA;
typedef struct _DOCINFOA {
  int cbSize;
  LPCSTR lpszDocName, lpszOutput, lpszDatatype;
  DWORD fwType;
} DOCINFOA, *LPDOCINFOA;

typedef LRESULT(CALLBACK *WNDPROC)(HWND, UINT, WPARAM, LPARAM);
typedef void(CALLBACK *TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);

typedef struct tagWNDCLASSW {
  UINT style;
  WNDPROC lpfnWndProc;
  int cbClsExtra, cbWndExtra;
  HINSTANCE hInstance;
  HICON hIcon;
  HCURSOR hCursor;
  HBRUSH hbrBackground;
  LPCWSTR lpszMenuName, lpszClassName;
} WNDCLASSW;
typedef struct tagMSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
} MSG, *LPMSG;

static_assert(sizeof(LONG) == 4 && sizeof(DWORD) == 4 && sizeof(WCHAR) == 2, "Win32 sizes");
static_assert(sizeof(LOGFONTA) == 60 && sizeof(TEXTMETRICA) == 56 && sizeof(ABC) == 12,
              "Win32 record sizes");
static_assert(sizeof(void *) != 8 || (sizeof(PRINTDLGA) == 120 && sizeof(DOCINFOA) == 40), "64-bit Win32 record sizes");

#define LOWORD(l) ((WORD)(((UINT_PTR)(l)) & 0xffff))
#define HIWORD(l) ((WORD)((((UINT_PTR)(l)) >> 16) & 0xffff))
#define MAKELONG(a, b) ((LONG)(((WORD)(((UINT_PTR)(a)) & 0xffff)) | ((DWORD)((WORD)(((UINT_PTR)(b)) & 0xffff))) << 16))
#define IS_HIGH_SURROGATE(c) ((c) >= 0xD800 && (c) <= 0xDBFF)
#define IS_LOW_SURROGATE(c) ((c) >= 0xDC00 && (c) <= 0xDFFF)
#define MAKELPARAM(l, h) ((LPARAM)(DWORD)MAKELONG(l, h))
#define MAKEWPARAM(l, h) ((WPARAM)(DWORD)MAKELONG(l, h))
#define MAKEINTRESOURCEW(i) ((LPWSTR)((UINT_PTR)((WORD)(i))))

// Messages
#define WM_CREATE 0x0001
#define WM_DESTROY 0x0002
#define WM_SIZE 0x0005
#define WM_KILLFOCUS 0x0008
#define WM_PAINT 0x000F
#define WM_CLOSE 0x0010
#define WM_QUERYENDSESSION 0x0011
#define WM_ERASEBKGND 0x0014
#define WM_QUIT 0x0012
#define WM_CANCELMODE 0x001F
#define VK_BACK 0x08
#define VK_TAB 0x09
#define VK_RETURN 0x0D
#define VK_SHIFT 0x10
#define VK_CONTROL 0x11
#define VK_ESCAPE 0x1B
#define VK_SPACE 0x20
#define VK_PRIOR 0x21
#define VK_NEXT 0x22
#define VK_END 0x23
#define VK_HOME 0x24
#define VK_LEFT 0x25
#define VK_UP 0x26
#define VK_RIGHT 0x27
#define VK_DOWN 0x28
#define VK_INSERT 0x2D
#define VK_DELETE 0x2E
#define WM_KEYDOWN 0x0100
#define WM_KEYUP 0x0101
#define WM_CHAR 0x0102
#define WM_TIMER 0x0113
#define WM_VSCROLL 0x0115
#define WM_MOUSEMOVE 0x0200
#define WM_LBUTTONDOWN 0x0201
#define WM_LBUTTONUP 0x0202
#define WM_CAPTURECHANGED 0x0215
#define WM_COMMAND 0x0111
#define WM_INITMENUPOPUP 0x0117

// Menus and the clipboard
#define MF_ENABLED 0x0000
#define MF_GRAYED 0x0001
#define MF_UNCHECKED 0x0000
#define MF_CHECKED 0x0008
#define CF_UNICODETEXT 13

// Window classes and windows
#define CS_VREDRAW 0x0001
#define CS_HREDRAW 0x0002
#define WS_OVERLAPPEDWINDOW 0x00CF0000
#define WS_VSCROLL 0x00200000
#define CW_USEDEFAULT ((int)0x80000000)
#define IDC_ARROW MAKEINTRESOURCEW(32512)
#define WHITE_BRUSH 0

// Scroll bars
#define SB_VERT 1
#define SB_LINEUP 0
#define SB_LINEDOWN 1
#define SB_PAGEUP 2
#define SB_PAGEDOWN 3
#define SB_THUMBPOSITION 4
#define SB_THUMBTRACK 5
#define SB_TOP 6
#define SB_ENDSCROLL 8

// Message boxes
#define MB_OK 0x00000000
#define MB_YESNOCANCEL 0x00000003
#define MB_ICONQUESTION 0x00000020
#define MB_ICONEXCLAMATION 0x00000030
#define MB_ICONINFORMATION 0x00000040
#define IDOK 1
#define IDCANCEL 2
#define IDYES 6
#define IDNO 7

// GDI
#define LOGPIXELSX 88
#define LOGPIXELSY 90
#define PHYSICALWIDTH 110
#define PHYSICALHEIGHT 111
#define PHYSICALOFFSETX 112
#define PHYSICALOFFSETY 113
#define ANSI_CHARSET 0
#define CHINESEBIG5_CHARSET 136
#define TA_LEFT 0
#define TA_TOP 0
#define TA_NOUPDATECP 0
#define TA_CENTER 6
#define ETO_CLIPPED 0x0004
#define ETO_IGNORELANGUAGE 0x1000
#define TRANSPARENT 1
#define OPAQUE 2
#define DSTINVERT (DWORD)0x00550009
#define NULLREGION 1
#define SIMPLEREGION 2
#define COMPLEXREGION 3

// Memory
#define HEAP_ZERO_MEMORY 0x00000008
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GMEM_DDESHARE 0x2000

// Files and file dialogs
#define MAX_PATH 260
#define INVALID_HANDLE_VALUE ((HANDLE)(LONG_PTR)-1)
#define INVALID_FILE_SIZE ((DWORD)0xFFFFFFFF)
#define GENERIC_READ 0x80000000
#define GENERIC_WRITE 0x40000000
#define FILE_SHARE_READ 0x00000001
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define FILE_ATTRIBUTE_READONLY 0x00000001
#define FILE_ATTRIBUTE_ARCHIVE 0x00000020
#define FILE_ATTRIBUTE_NORMAL 0x00000080
#define FILE_BEGIN 0
#define INVALID_SET_FILE_POINTER ((DWORD)-1)
#define ERROR_ACCESS_DENIED 5L
#define ERROR_ALREADY_EXISTS 183L
#define OFN_OVERWRITEPROMPT 0x00000002
#define OFN_PATHMUSTEXIST 0x00000800
#define OFN_FILEMUSTEXIST 0x00001000
#define PD_NOSELECTION 0x00000004
#define PD_NOPAGENUMS 0x00000008
#define PD_RETURNDC 0x00000100
#define PD_USEDEVMODECOPIESANDCOLLATE 0x00040000
#define PD_HIDEPRINTTOFILE 0x00100000

// USER32
ATOM WINAPI RegisterClassW(const WNDCLASSW *windowClass);
HWND WINAPI CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y, int width,
                            int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter);
LRESULT WINAPI DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI ShowWindow(HWND window, int showCommand);
BOOL WINAPI GetMessageW(LPMSG message, HWND window, UINT first, UINT last);
BOOL WINAPI TranslateMessage(const MSG *message);
LRESULT WINAPI DispatchMessageW(const MSG *message);
int WINAPI TranslateAcceleratorW(HWND window, HACCEL accelerators, LPMSG message);
void WINAPI PostQuitMessage(int exitCode);
HACCEL WINAPI LoadAcceleratorsW(HINSTANCE instance, LPCWSTR name);
HICON WINAPI LoadIconW(HINSTANCE instance, LPCWSTR name);
HCURSOR WINAPI LoadCursorW(HINSTANCE instance, LPCWSTR name);
UINT_PTR WINAPI SetTimer(HWND window, UINT_PTR id, UINT milliseconds, TIMERPROC procedure);
BOOL WINAPI KillTimer(HWND window, UINT_PTR id);
HWND WINAPI SetCapture(HWND window);
SHORT WINAPI GetKeyState(int virtualKey);
BOOL WINAPI ReleaseCapture(void);
LRESULT WINAPI SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
HMENU WINAPI GetMenu(HWND window);
DWORD WINAPI CheckMenuItem(HMENU menu, UINT item, UINT check);
BOOL WINAPI EnableMenuItem(HMENU menu, UINT item, UINT enable);
BOOL WINAPI DrawMenuBar(HWND window);
BOOL WINAPI IsClipboardFormatAvailable(UINT format);
BOOL WINAPI OpenClipboard(HWND window);
BOOL WINAPI EmptyClipboard(void);
BOOL WINAPI CloseClipboard(void);
HANDLE WINAPI SetClipboardData(UINT format, HANDLE data);
HANDLE WINAPI GetClipboardData(UINT format);
BOOL WINAPI SetWindowTextA(HWND window, LPCSTR text);
int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...);
HDC WINAPI GetDC(HWND window);
int WINAPI ReleaseDC(HWND window, HDC dc);
int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style);
BOOL WINAPI SetScrollRange(HWND window, int bar, int minimum, int maximum, BOOL redraw);
int WINAPI SetScrollPos(HWND window, int bar, int position, BOOL redraw);
int WINAPI GetScrollPos(HWND window, int bar);
BOOL WINAPI ScrollWindow(HWND window, int dx, int dy, const RECT *scroll, const RECT *clip);
BOOL WINAPI InvalidateRect(HWND window, const RECT *rect, BOOL erase);
BOOL WINAPI UpdateWindow(HWND window);
HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT paint);
BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT *paint);

// GDI32
HGDIOBJ WINAPI GetStockObject(int object);
BOOL WINAPI ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT *rect, LPCWSTR text, UINT count,
                        const INT *dx);
int WINAPI GetDeviceCaps(HDC dc, int index);
HFONT WINAPI CreateFontIndirectA(const LOGFONTA *description);
HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object);
BOOL WINAPI DeleteObject(HGDIOBJ object);
BOOL WINAPI GetTextMetricsA(HDC dc, LPTEXTMETRICA metrics);
BOOL WINAPI GetCharABCWidthsW(HDC dc, UINT first, UINT last, LPABC widths);
UINT WINAPI SetTextAlign(HDC dc, UINT align);
int WINAPI SetBkMode(HDC dc, int mode);
BOOL WINAPI TextOutW(HDC dc, int x, int y, LPCWSTR text, int count);
BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int count);
BOOL WINAPI MoveToEx(HDC dc, int x, int y, LPPOINT previous);
BOOL WINAPI LineTo(HDC dc, int x, int y);
BOOL WINAPI Rectangle(HDC dc, int left, int top, int right, int bottom);
BOOL WINAPI PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop);
int WINAPI GetClipBox(HDC dc, LPRECT rect);
BOOL WINAPI GetTextExtentPoint32A(HDC dc, LPCSTR text, int count, LPSIZE size);
int WINAPI StartDocA(HDC dc, const DOCINFOA *document);
int WINAPI StartPage(HDC dc);
int WINAPI EndPage(HDC dc);
int WINAPI EndDoc(HDC dc);
int WINAPI AbortDoc(HDC dc);
BOOL WINAPI DeleteDC(HDC dc);

// COMDLG32
BOOL WINAPI GetOpenFileNameA(LPOPENFILENAMEA record);
BOOL WINAPI GetSaveFileNameA(LPOPENFILENAMEA record);
BOOL WINAPI PrintDlgA(LPPRINTDLGA record);

// KERNEL32
HANDLE WINAPI CreateFileA(LPCSTR path, DWORD access, DWORD share, void *security, DWORD disposition,
                          DWORD attributes, HANDLE templateFile);
DWORD WINAPI GetFileSize(HANDLE file, DWORD *high);
BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD bytes, DWORD *read, void *overlapped);
BOOL WINAPI WriteFile(HANDLE file, const void *buffer, DWORD bytes, DWORD *written, void *overlapped);
BOOL WINAPI FlushFileBuffers(HANDLE file);
BOOL WINAPI CloseHandle(HANDLE object);
UINT WINAPI GetTempFileNameA(LPCSTR folder, LPCSTR prefix, UINT unique, LPSTR name);
BOOL WINAPI GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information);
DWORD WINAPI SetFilePointer(HANDLE file, LONG distance, LONG *distanceHigh, DWORD method);
BOOL WINAPI SetEndOfFile(HANDLE file);
DWORD WINAPI GetTempPathA(DWORD size, LPSTR buffer);
DWORD WINAPI GetLastError(void);
BOOL WINAPI DeleteFileA(LPCSTR path);
int WINAPI lstrlenA(LPCSTR text);
HANDLE WINAPI GetProcessHeap(void);
LPVOID WINAPI HeapAlloc(HANDLE heap, DWORD flags, SIZE_T bytes);
BOOL WINAPI HeapFree(HANDLE heap, DWORD flags, LPVOID block);
HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes);
LPVOID WINAPI GlobalLock(HGLOBAL block);
BOOL WINAPI GlobalUnlock(HGLOBAL block);
HGLOBAL WINAPI GlobalFree(HGLOBAL block);
SIZE_T WINAPI GlobalSize(HGLOBAL block);
