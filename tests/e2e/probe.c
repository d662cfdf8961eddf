/* A console helper the end-to-end harness runs under the same Wine prefix as
 * Scrivlet, to ask Win32 what X cannot tell: where the client area is, whether
 * a repaint has finished, which message boxes are open, and which font a
 * face name resolves to. Each verb prints one JSON value on stdout (ASCII, with
 * \u escapes) and exits 0, or prints an error on stderr and exits 1.
 *
 *   probe window          {"hwnd", "pid", "title", "client": [x, y, width, height]}
 *   probe repaint         full repaint of the window, returns when it is painted
 *   probe dialogs         [{"hwnd", "pid", "caption", "texts": [...], "buttons": [[id, text]...]}]
 *   probe press ID        posts BM_CLICK to button ID of the one open dialog
 *   probe fonts           [{"charset", "face", "family", "height", "ave", "max",
 *                           "fixed", "width_i", "width_W", "has_cjk"}] for "Courier New"
 */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static const DWORD kTimeoutMs = 10000;

static int fail(const char *what)
{
    fprintf(stderr, "probe: %s\n", what);
    return 1;
}

static void print_json_string(const WCHAR *s)
{
    putchar('"');
    for (; *s; ++s) {
        if (*s == '"' || *s == '\\') printf("\\%c", (char)*s);
        else if (*s >= 0x20 && *s < 0x7f) putchar((char)*s);
        else printf("\\u%04x", (unsigned)*s);
    }
    putchar('"');
}

static void print_window_text(HWND hwnd)
{
    WCHAR text[1024];
    GetWindowTextW(hwnd, text, 1024);
    print_json_string(text);
}

static HWND main_window(void)
{
    return FindWindowW(L"Scrivlet", NULL);
}

static int verb_window(void)
{
    HWND hwnd = main_window();
    if (!hwnd) return fail("no window of class Scrivlet");
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    RECT client;
    GetClientRect(hwnd, &client);
    POINT origin = {0, 0};
    ClientToScreen(hwnd, &origin);
    printf("{\"hwnd\": %lu, \"pid\": %lu, \"title\": ", (unsigned long)(ULONG_PTR)hwnd, (unsigned long)pid);
    print_window_text(hwnd);
    printf(", \"client\": [%ld, %ld, %ld, %ld]}\n", origin.x, origin.y, client.right, client.bottom);
    return 0;
}

static int verb_repaint(void)
{
    HWND hwnd = main_window();
    if (!hwnd) return fail("no window of class Scrivlet");
    RedrawWindow(hwnd, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    /* Across processes the paint may still be pending: its BeginPaint empties
     * the update region, and a message sent after that is handled only once the
     * paint handler has returned. */
    DWORD start = GetTickCount();
    while (GetUpdateRect(hwnd, NULL, FALSE)) {
        if (GetTickCount() - start > kTimeoutMs) return fail("the window did not repaint");
        Sleep(1);
    }
    DWORD_PTR result;
    if (!SendMessageTimeoutW(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kTimeoutMs, &result))
        return fail("the window did not answer after repainting");
    printf("{}\n");
    return 0;
}

struct dialog_list {
    HWND items[16];
    int count;
};

static BOOL CALLBACK collect_dialog(HWND hwnd, LPARAM param)
{
    struct dialog_list *list = (struct dialog_list *)param;
    WCHAR name[16];
    if (IsWindowVisible(hwnd) && GetClassNameW(hwnd, name, 16) && wcscmp(name, L"#32770") == 0 &&
        list->count < 16)
        list->items[list->count++] = hwnd;
    return TRUE;
}

/* Every visible dialog on the desktop: the harness runs the program alone on
 * its own X server and prefix, so any dialog there is the program's. */
static struct dialog_list open_dialogs(void)
{
    struct dialog_list list = {{0}, 0};
    EnumWindows(collect_dialog, (LPARAM)&list);
    return list;
}

static void print_children(HWND dialog, const WCHAR *class_wanted, BOOL with_id)
{
    int printed = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        WCHAR name[16], text[1024];
        if (!GetClassNameW(child, name, 16) || _wcsicmp(name, class_wanted) != 0) continue;
        GetWindowTextW(child, text, 1024);
        if (!with_id && !text[0]) continue; /* the icon is a Static without text */
        printf(printed++ ? ", " : "");
        if (with_id) printf("[%d, ", GetDlgCtrlID(child));
        print_json_string(text);
        if (with_id) printf("]");
    }
}

static int verb_dialogs(void)
{
    struct dialog_list list = open_dialogs();
    printf("[");
    for (int i = 0; i < list.count; ++i) {
        HWND dialog = list.items[i];
        DWORD pid = 0;
        GetWindowThreadProcessId(dialog, &pid);
        printf("%s{\"hwnd\": %lu, \"pid\": %lu, \"caption\": ", i ? ", " : "",
               (unsigned long)(ULONG_PTR)dialog, (unsigned long)pid);
        print_window_text(dialog);
        printf(", \"texts\": [");
        print_children(dialog, L"Static", FALSE);
        printf("], \"buttons\": [");
        print_children(dialog, L"Button", TRUE);
        printf("]}");
    }
    printf("]\n");
    return 0;
}

static int verb_press(const char *id_text)
{
    struct dialog_list list = open_dialogs();
    if (list.count != 1) {
        fprintf(stderr, "probe: %d dialogs are open, expected one\n", list.count);
        return 1;
    }
    HWND button = GetDlgItem(list.items[0], atoi(id_text));
    if (!button) return fail("the dialog has no button with that id");
    /* Posted, not sent: the click ends the modal loop, which must not wait on us. */
    PostMessageW(button, BM_CLICK, 0, 0);
    printf("{}\n");
    return 0;
}

static void print_font(HDC dc, BYTE charset)
{
    /* 32 points at 96 dpi, the program's starting size. */
    HFONT font = CreateFontW(-42, 0, 0, 0, FW_NORMAL, 0, 0, 0, charset, 0, 0, 0, 0, L"Courier New");
    HGDIOBJ old = SelectObject(dc, font);
    WCHAR face[LF_FACESIZE];
    GetTextFaceW(dc, LF_FACESIZE, face);
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    union { OUTLINETEXTMETRICW metrics; BYTE bytes[4096]; } outline;
    const WCHAR *family = L"";
    if (GetOutlineTextMetricsW(dc, sizeof outline, &outline.metrics))
        family = (const WCHAR *)(outline.bytes + (ULONG_PTR)outline.metrics.otmpFamilyName);
    SIZE i_size, w_size;
    GetTextExtentPoint32W(dc, L"i", 1, &i_size);
    GetTextExtentPoint32W(dc, L"W", 1, &w_size);
    WORD glyph = 0;
    GetGlyphIndicesW(dc, L"\x4e2d", 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS); /* a common CJK ideograph */

    printf("{\"charset\": %d, \"face\": ", charset);
    print_json_string(face);
    printf(", \"family\": ");
    print_json_string(family);
    /* TMPF_FIXED_PITCH set means variable pitch (a historical inversion). */
    printf(", \"height\": %ld, \"ave\": %ld, \"max\": %ld, \"fixed\": %s, \"width_i\": %ld, \"width_W\": %ld, "
           "\"has_cjk\": %s}",
           tm.tmHeight, tm.tmAveCharWidth, tm.tmMaxCharWidth,
           (tm.tmPitchAndFamily & TMPF_FIXED_PITCH) ? "false" : "true", i_size.cx, w_size.cx,
           glyph != 0xffff ? "true" : "false");
    DeleteObject(SelectObject(dc, old));
}

static int verb_fonts(void)
{
    HDC dc = GetDC(NULL);
    printf("[");
    print_font(dc, ANSI_CHARSET);
    printf(", ");
    print_font(dc, CHINESEBIG5_CHARSET);
    printf("]\n");
    ReleaseDC(NULL, dc);
    return 0;
}

int main(int argc, char **argv)
{
    if (argc == 2 && strcmp(argv[1], "window") == 0) return verb_window();
    if (argc == 2 && strcmp(argv[1], "repaint") == 0) return verb_repaint();
    if (argc == 2 && strcmp(argv[1], "dialogs") == 0) return verb_dialogs();
    if (argc == 3 && strcmp(argv[1], "press") == 0) return verb_press(argv[2]);
    if (argc == 2 && strcmp(argv[1], "fonts") == 0) return verb_fonts();
    return fail("usage: probe window | repaint | dialogs | press BUTTON_ID | fonts");
}
