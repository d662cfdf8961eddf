// Self-tests of the Win32 double: product tests prove only as much as the
// double behaves like Windows, so its painting, scrolling, font model, files,
// scripts and misuse checks are pinned down here.
#include "fake_win32.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

std::string Joined(std::initializer_list<long long> values) {
  std::string text;
  for (long long value : values) text += (text.empty() ? "" : " ") + std::to_string(value);
  return text;
}

// The window procedure paints with gPainter, keeps what BeginPaint reported
// and notes the other messages in order (WM_SIZE with the client size it sees).
std::vector<PAINTSTRUCT> gPaints;
std::function<void(HDC)> gPainter;
std::vector<std::string> gMessages;

LRESULT CALLBACK TestProcedure(HWND window, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_SIZE)
    gMessages.push_back("WM_SIZE " + Joined({LOWORD(lParam), HIWORD(lParam)}) + " client " +
                        Joined({fake::ClientWidth(), fake::ClientHeight()}));
  if (message == WM_CAPTURECHANGED) gMessages.push_back("WM_CAPTURECHANGED");
  if (message == WM_DESTROY) gMessages.push_back("WM_DESTROY");
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    gPaints.push_back(paint);
    if (gPainter) gPainter(dc);
    EndPaint(window, &paint);
  }
  return 0;
}

std::string Text(const RECT &r) { return Joined({r.left, r.top, r.right, r.bottom}); }
std::string Text(const ABC &abc) { return Joined({abc.abcA, abc.abcB, abc.abcC}); }
// Height, ascent, descent, internal and external leading, average and maximum width, charset.
std::string Text(const TEXTMETRICA &tm) {
  return Joined({tm.tmHeight, tm.tmAscent, tm.tmDescent, tm.tmInternalLeading, tm.tmExternalLeading, tm.tmAveCharWidth,
                 tm.tmMaxCharWidth, tm.tmCharSet});
}
std::string Pixels(std::initializer_list<POINT> points) {
  std::string values;
  for (POINT p : points) values += (values.empty() ? "" : " ") + std::to_string(fake::Pixel(p.x, p.y));
  return values;
}

void FillRect(fake::Screen &screen, RECT r, uint8_t value) {
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) screen.pixels[(size_t)(y * screen.width + x)] = value;
  }
}

fake::Screen WhiteScreen(int width, int height) {
  return {width, height, std::vector<uint8_t>((size_t)(width * height), 255)};
}

fake::Screen Crop(const fake::Screen &screen, RECT r) {
  fake::Screen part = WhiteScreen(r.right - r.left, r.bottom - r.top);
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x)
      part.pixels[(size_t)((y - r.top) * part.width + x - r.left)] = screen.At(x, y);
  }
  return part;
}

// How two areas of the screen as it is now differ ("" when they look the same).
std::string AreaDifference(RECT a, RECT b) {
  fake::Screen screen = fake::CaptureScreen();
  return fake::DescribeScreenDifference(Crop(screen, a), Crop(screen, b));
}

TEST(FakeWin32, UpdateWindowPaintsTheUpdateRegionOnceThroughTheWindowProcedure) {
  HWND window = fake::OpenWindow(TestProcedure, 100, 80);
  HDC dc = GetDC(window);
  PatBlt(dc, 0, 0, 100, 80, DSTINVERT);  // all black, so erasing shows
  ReleaseDC(window, dc);
  RECT first{10, 10, 30, 20}, second{20, 15, 40, 30}, overhanging{90, 75, 200, 200};
  InvalidateRect(window, &first, FALSE);
  InvalidateRect(window, &second, TRUE);
  InvalidateRect(window, &overhanging, FALSE);
  const std::string region = "{10, 10, 30, 15} {10, 15, 40, 20} {20, 20, 40, 30} {90, 75, 100, 80}";
  EXPECT_EQ(fake::UpdateRegion(), region);

  fake::ClearCalls();
  RECT clipBox{};
  int clipType = 0;
  gPainter = [&](HDC paintDc) { clipType = GetClipBox(paintDc, &clipBox); };
  UpdateWindow(window);
  gPainter = nullptr;
  ASSERT_EQ(gPaints.size(), 1u);
  EXPECT_EQ(Text(gPaints[0].rcPaint) + (gPaints[0].fErase ? " fErase" : "") + ", " + Text(clipBox),
            "10 10 100 80, 10 10 100 80");
  EXPECT_EQ(clipType, COMPLEXREGION);
  EXPECT_EQ(fake::Calls(),
            (std::vector<std::string>{"UpdateWindow(hwnd1)", "BeginPaint(hwnd1) -> hdc2 paint " + region + " erase",
                                      "GetClipBox(hdc2) -> {10, 10, 100, 80} COMPLEXREGION", "EndPaint(hwnd1, hdc2)"}));
  EXPECT_TRUE(fake::UpdateRegionEmpty());
  // Erase pending from one call erases the whole region, and nothing else.
  EXPECT_EQ(Pixels({{10, 10}, {99, 79}, {35, 12}, {9, 10}}), "255 255 0 0");

  fake::ClearCalls();
  UpdateWindow(window);
  EXPECT_EQ(gPaints.size(), 1u);
  EXPECT_EQ(fake::Calls(), std::vector<std::string>{"UpdateWindow(hwnd1)"});

  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);
  EXPECT_EQ(fake::CallsTo({"BeginPaint"}).back(), "BeginPaint(hwnd1) -> hdc3 paint {0, 0, 100, 80} noerase");
  EXPECT_EQ(fake::Pixel(35, 12), 0);

  // A resize keeps the old pixels, invalidates everything and waits for UpdateWindow.
  fake::ResizeWindow(120, 90);
  EXPECT_EQ(gMessages, std::vector<std::string>{"WM_SIZE 120 90 client 120 90"});
  EXPECT_EQ(gPaints.size(), 2u);
  EXPECT_EQ(fake::UpdateRegion(), "{0, 0, 120, 90}");
  EXPECT_EQ(Pixels({{35, 12}, {110, 85}}), "0 255");
  fake::RepaintWholeWindow();
  EXPECT_EQ(gPaints.size(), 3u);
  EXPECT_EQ(fake::Pixel(35, 12), 255);
}

TEST(FakeWin32, ScrollWindowMovesPixelsAndRegionAndUncoversAStrip) {
  HWND window = fake::OpenWindow(TestProcedure, 40, 30);
  HDC dc = GetDC(window);
  for (int y = 0; y < 30; ++y) PatBlt(dc, 0, y, y + 1, 1, DSTINVERT);  // every row different
  ReleaseDC(window, dc);

  // Up by 5 inside the lower part: its bottom rows keep stale pixels until painted.
  fake::Screen before = fake::CaptureScreen(), expected = before;
  for (int y = 10; y < 25; ++y) {
    for (int x = 0; x < 40; ++x) expected.pixels[(size_t)(y * 40 + x)] = before.At(x, y + 5);
  }
  RECT lower{0, 10, 40, 30};
  ScrollWindow(window, 0, -5, &lower, &lower);
  EXPECT_EQ(fake::DescribeScreenDifference(expected, fake::CaptureScreen()), "");
  EXPECT_EQ(fake::UpdateRegion(), "{0, 25, 40, 30}");
  UpdateWindow(window);
  EXPECT_EQ(fake::CallsTo({"BeginPaint"}).back(), "BeginPaint(hwnd1) -> hdc2 paint {0, 25, 40, 30} erase");

  // Down by 5 with a clip on the left half: the right half stays as it was,
  // pending invalid parts move with their pixels only where the pixels moved.
  RECT movesAlong{5, 20, 10, 22}, staysPut{25, 20, 30, 22}, leftHalf{0, 10, 20, 30};
  InvalidateRect(window, &movesAlong, FALSE);
  InvalidateRect(window, &staysPut, FALSE);
  before = expected = fake::CaptureScreen();
  for (int y = 15; y < 30; ++y) {
    for (int x = 0; x < 20; ++x) expected.pixels[(size_t)(y * 40 + x)] = before.At(x, y - 5);
  }
  ScrollWindow(window, 0, 5, &lower, &leftHalf);
  EXPECT_EQ(fake::DescribeScreenDifference(expected, fake::CaptureScreen()), "");
  EXPECT_EQ(fake::UpdateRegion(), "{0, 10, 20, 15} {25, 20, 30, 22} {5, 25, 10, 27}");
  EXPECT_EQ(fake::CallsTo({"ScrollWindow"}).back(), "ScrollWindow(hwnd1, 0, 5, {0, 10, 40, 30}, {0, 10, 20, 30})");
  EXPECT_EQ(gPaints.size(), 1u) << "ScrollWindow itself never paints";
}

TEST(FakeWin32, ScrollBarKeepsThePositionInsideTheRange) {
  HWND window = fake::OpenWindow(TestProcedure, 10, 10);
  SetScrollRange(window, SB_VERT, 0, 50, FALSE);
  EXPECT_EQ(SetScrollPos(window, SB_VERT, 70, TRUE), 0);
  EXPECT_EQ(GetScrollPos(window, SB_VERT), 50);
  EXPECT_EQ(SetScrollPos(window, SB_VERT, -3, TRUE), 50);
  EXPECT_EQ(fake::ScrollPosition(), 0);
  SetScrollPos(window, SB_VERT, 40, TRUE);
  SetScrollRange(window, SB_VERT, 0, 20, TRUE);
  EXPECT_EQ(fake::ScrollPosition(), 20);
  EXPECT_EQ(fake::ScrollRangeMax(), 20);
  EXPECT_EQ(fake::CallsTo({"SetScrollPos"}).front(), "SetScrollPos(hwnd1, SB_VERT, 70, TRUE) -> 0");
}

TEST(FakeWin32, DrawingIsClippedAndShapedAsGdiDoes) {
  HWND window = fake::OpenWindow(TestProcedure, 60, 60);
  gPainter = [](HDC dc) { PatBlt(dc, 0, 0, 60, 60, DSTINVERT); };
  RECT square{10, 10, 20, 20};
  InvalidateRect(window, &square, FALSE);
  UpdateWindow(window);
  gPainter = nullptr;
  fake::Screen expected = WhiteScreen(60, 60);
  FillRect(expected, square, 0);
  EXPECT_EQ(fake::DescribeScreenDifference(expected, fake::CaptureScreen()), "");

  HDC dc = GetDC(window);
  RECT clipBox;
  EXPECT_EQ(GetClipBox(dc, &clipBox), SIMPLEREGION);
  EXPECT_EQ(Text(clipBox), "0 0 60 60");
  std::string pens;  // where each MoveToEx found the pen
  for (RECT line : {RECT{30, 30, 34, 30}, RECT{40, 44, 40, 40}, RECT{50, 40, 46, 44}}) {  // from, to
    POINT previous;
    MoveToEx(dc, line.left, line.top, &previous);
    pens += Joined({previous.x, previous.y}) + ", ";
    LineTo(dc, line.right, line.bottom);
  }
  EXPECT_EQ(pens, "0 0, 34 30, 40 40, ");
  Rectangle(dc, 12, 12, 18, 17);
  FillRect(expected, {30, 30, 34, 31}, 0);
  FillRect(expected, {40, 41, 41, 45}, 0);
  for (int i = 0; i < 4; ++i) FillRect(expected, {50 - i, 40 + i, 51 - i, 41 + i}, 0);
  FillRect(expected, {13, 13, 17, 16}, 255);
  EXPECT_EQ(fake::DescribeScreenDifference(expected, fake::CaptureScreen()), "");

  // A GetDC context reaches the whole client area, and no further.
  PatBlt(dc, -10, -10, 100, 100, DSTINVERT);
  std::string difference = fake::DescribeScreenDifference(expected, fake::CaptureScreen());
  EXPECT_EQ(difference.rfind("3600 pixels differ, first: (0, 0) expected 255 actual 0;", 0), 0u) << difference;
  PatBlt(dc, -10, -10, 100, 100, DSTINVERT);
  EXPECT_EQ(fake::DescribeScreenDifference(expected, fake::CaptureScreen()), "");
  ReleaseDC(window, dc);
}

TEST(FakeWin32, FontMetricsAndGlyphWidthsFollowTheModel) {
  fake::OpenWindow(TestProcedure, 10, 10);
  fake::SetScreenDpi(120);
  HDC dc = GetDC(nullptr);
  EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 120);
  LOGFONTA description{};
  description.lfHeight = -42;
  description.lfCharSet = CHINESEBIG5_CHARSET;
  std::strcpy(description.lfFaceName, "Courier New");
  HFONT font = CreateFontIndirectA(&description);
  HGDIOBJ system = SelectObject(dc, font);
  TEXTMETRICA tm;
  ASSERT_TRUE(GetTextMetricsA(dc, &tm));
  EXPECT_EQ(Text(tm), "47 37 10 5 0 25 25 136");

  ABC abc[3];
  const std::pair<UINT, std::string> glyphs[] = {
      {'A', "4 17 4"}, {'g', "-3 25 3"}, {'f', "4 25 -3"}, {0x0301, "0 0 0"}, {0x4E00, "2 38 2"}};
  for (const auto &glyph : glyphs) {
    ASSERT_TRUE(GetCharABCWidthsW(dc, glyph.first, glyph.first, abc)) << glyph.first;
    EXPECT_EQ(Text(abc[0]), glyph.second) << glyph.first;
  }
  ASSERT_TRUE(GetCharABCWidthsW(dc, 'x', 'z', abc));
  EXPECT_EQ(Text(abc[0]) + ", " + Text(abc[1]) + ", " + Text(abc[2]), "4 17 4, -3 25 3, 4 17 4");
  EXPECT_FALSE(GetCharABCWidthsW(dc, 0xD800, 0xD800, abc));
  EXPECT_FALSE(GetCharABCWidthsW(dc, 0xFFFD, 0xFFFF, abc));
  fake::SetGlyph('A', -1, 5, 2);
  fake::SetGlyphQueryFails('B');
  ASSERT_TRUE(GetCharABCWidthsW(dc, 'A', 'A', abc));
  EXPECT_EQ(Text(abc[0]), "-1 5 2");
  EXPECT_FALSE(GetCharABCWidthsW(dc, 'B', 'B', abc));

  // A positive height is the cell height; the em is what is left of it.
  description.lfHeight = 34;
  HFONT cellSized = CreateFontIndirectA(&description);
  SelectObject(dc, cellSized);
  ASSERT_TRUE(GetTextMetricsA(dc, &tm));
  EXPECT_EQ(Text(tm), "34 27 7 4 0 18 18 136");

  SelectObject(dc, system);
  DeleteObject(cellSized);
  DeleteObject(font);
  ReleaseDC(nullptr, dc);
  EXPECT_EQ(std::to_string(fake::FontDescription(font).lfHeight) + fake::FontDescription(font).lfFaceName,
            "-42Courier New");
  EXPECT_EQ(
      fake::CallsTo({"GetDeviceCaps", "CreateFontIndirectA", "SelectObject", "GetTextMetricsA"}),
      (std::vector<std::string>{"GetDeviceCaps(hdc1, LOGPIXELSY) -> 120",
                                "CreateFontIndirectA(height -42, charset 136, \"Courier New\") -> hfont1",
                                "SelectObject(hdc1, hfont1) -> systemfont", "GetTextMetricsA(hdc1) -> tmHeight 47",
                                "CreateFontIndirectA(height 34, charset 136, \"Courier New\") -> hfont2",
                                "SelectObject(hdc1, hfont2) -> hfont1", "GetTextMetricsA(hdc1) -> tmHeight 34",
                                "SelectObject(hdc1, systemfont) -> hfont2"}));
  const std::vector<std::string> abcCalls = fake::CallsTo({"GetCharABCWidthsW"});
  EXPECT_EQ(abcCalls.front(), "GetCharABCWidthsW(hdc1, U+0041) -> {4, 17, 4}");
  EXPECT_EQ(abcCalls[6], "GetCharABCWidthsW(hdc1, U+D800) -> FALSE");
  EXPECT_TRUE(fake::Leaks().empty());
}

TEST(FakeWin32, TextOutDrawsEachUnitAsItsOwnPatternInsideItsBlackBox) {
  HWND window = fake::OpenWindow(TestProcedure, 400, 200);
  HDC dc = GetDC(window);
  LOGFONTA description{};
  description.lfHeight = -42;  // cells 25 wide and 47 high; 'K' inks columns 4..20
  HFONT font = CreateFontIndirectA(&description);
  HGDIOBJ system = SelectObject(dc, font);
  TextOutW(dc, 10, 10, u"K", 1);
  TextOutW(dc, 60, 10, u"L", 1);
  TextOutW(dc, 110, 10, u"K", 1);
  TextOutW(dc, 161, 10, u"K", 1);
  fake::Screen k = Crop(fake::CaptureScreen(), {10, 10, 35, 57});
  EXPECT_EQ(AreaDifference({10, 10, 35, 57}, {110, 10, 135, 57}), "");
  EXPECT_NE(AreaDifference({10, 10, 35, 57}, {60, 10, 85, 57}), "");
  EXPECT_NE(AreaDifference({10, 10, 35, 57}, {160, 10, 185, 57}), "");
  for (int x = 0; x < 25; ++x) {
    int black = 0;
    for (int y = 0; y < 47; ++y) black += k.At(x, y) == 0;
    EXPECT_EQ(black > 0, x >= 4 && x < 21) << "column " << x;
  }

  // 'g' hangs left of its pen position; TextOutA draws bytes as Latin-1.
  TextOutW(dc, 10, 70, u"g", 1);
  const std::vector<uint8_t> whiteColumn(47, 255);
  EXPECT_NE(Crop(fake::CaptureScreen(), {7, 70, 8, 117}).pixels, whiteColumn);
  EXPECT_EQ(Crop(fake::CaptureScreen(), {6, 70, 7, 117}).pixels, whiteColumn);
  TextOutA(dc, 60, 70, "\xE9", 1);
  TextOutW(dc, 110, 70, u"\u00E9", 1);
  EXPECT_EQ(AreaDifference({60, 70, 85, 117}, {110, 70, 135, 117}), "");
  // ExtTextOutW's advances put each unit where a TextOutW of it alone would stand.
  const INT advances[] = {40, 0};
  ExtTextOutW(dc, 200, 70, ETO_IGNORELANGUAGE, NULL, u"Kg", 2, advances);
  TextOutW(dc, 300, 70, u"K", 1);
  TextOutW(dc, 340, 70, u"g", 1);
  EXPECT_EQ(AreaDifference({200, 70, 265, 117}, {300, 70, 365, 117}), "");

  // A failed query still advances; a zero-width unit draws nothing at all.
  const WCHAR surrogateThenK[] = {0xD800, u'K'};
  SetBkMode(dc, TRANSPARENT);
  TextOutW(dc, 10, 130, surrogateThenK, 2);
  TextOutW(dc, 100, 130, u"K", 1);
  EXPECT_EQ(AreaDifference({35, 130, 60, 177}, {100, 130, 125, 177}), "");
  fake::Screen screen = fake::CaptureScreen();
  TextOutW(dc, 300, 130, u"\u0301", 1);
  EXPECT_EQ(fake::DescribeScreenDifference(screen, fake::CaptureScreen()), "");
  EXPECT_EQ(fake::CallsTo({"TextOutW"}).back(), "TextOutW(hdc1, 300, 130, U+0301)");

  SelectObject(dc, system);
  DeleteObject(font);
  ReleaseDC(window, dc);
}

TEST(FakeWin32, MessageBoxesAndAllocationsFollowTheScript) {
  HWND window = fake::OpenWindow(TestProcedure, 10, 10);
  EXPECT_EQ(MessageBoxA(window, "Input exceeds memory limit", "Can Not Add Line", MB_OK | MB_ICONEXCLAMATION), IDOK);
  fake::AnswerNextMessageBox(IDNO);
  EXPECT_EQ(MessageBoxA(window, "Save changes?", "Scrivlet", MB_YESNOCANCEL | MB_ICONQUESTION), IDNO);
  int answer = 0;
  EXPECT_NONFATAL_FAILURE(answer = MessageBoxA(nullptr, "Save changes?", "Scrivlet", MB_YESNOCANCEL),
                          "no scripted answer");
  EXPECT_EQ(answer, IDCANCEL);
  ASSERT_EQ(fake::MessageBoxes().size(), 3u);
  const fake::MessageBoxRecord &box = fake::MessageBoxes()[1];
  EXPECT_EQ(box.owner, window);
  EXPECT_EQ(box.text + "|" + box.caption + "|" + std::to_string(box.style), "Save changes?|Scrivlet|35");
  EXPECT_EQ(fake::CallsTo({"MessageBoxA"}),
            (std::vector<std::string>{
                "MessageBoxA(hwnd1, \"Input exceeds memory limit\", \"Can Not Add Line\", 0x30) -> IDOK",
                "MessageBoxA(hwnd1, \"Save changes?\", \"Scrivlet\", 0x23) -> IDNO",
                "MessageBoxA(NULL, \"Save changes?\", \"Scrivlet\", 0x3) -> IDCANCEL"}));

  HANDLE heap = GetProcessHeap();
  auto *zeroed = static_cast<unsigned char *>(HeapAlloc(heap, HEAP_ZERO_MEMORY, 64));
  ASSERT_NE(zeroed, nullptr);
  EXPECT_EQ(std::vector<unsigned char>(zeroed, zeroed + 64), std::vector<unsigned char>(64, 0));
  fake::FailCalls(fake::Fault::kHeap, 1, 2);
  EXPECT_EQ(HeapAlloc(heap, 0, 8), nullptr);
  EXPECT_EQ(HeapAlloc(heap, 0, 8), nullptr);
  void *small = HeapAlloc(heap, 0, 8);
  ASSERT_NE(small, nullptr);
  EXPECT_EQ(fake::HeapBytesInUse(), 72u);
  EXPECT_EQ(
      fake::CallsTo({"HeapAlloc"}),
      (std::vector<std::string>{"HeapAlloc(heap, HEAP_ZERO_MEMORY, 64) -> block1", "HeapAlloc(heap, 0, 8) -> NULL",
                                "HeapAlloc(heap, 0, 8) -> NULL", "HeapAlloc(heap, 0, 8) -> block2"}));
  HeapFree(heap, 0, zeroed);
  HeapFree(heap, 0, small);
  EXPECT_EQ(fake::HeapBytesInUse(), 0u);
  EXPECT_TRUE(fake::Leaks().empty());
  EXPECT_TRUE(fake::Misuse().empty());  // a missing script is the test's fault, not the product's
}

TEST(FakeWin32, MisuseFailsTheTestAndLeaksAreListed) {
  HWND window = fake::OpenWindow(TestProcedure, 20, 20);
  HDC dc = GetDC(window);
  LOGFONTA description{};
  description.lfHeight = -12;
  HFONT font = CreateFontIndirectA(&description);
  SelectObject(dc, font);
  EXPECT_NONFATAL_FAILURE(DeleteObject(font), "hfont1 is still selected in hdc1");
  EXPECT_NONFATAL_FAILURE(ReleaseDC(window, dc), "hdc1 still has hfont1 selected");
  EXPECT_NONFATAL_FAILURE(TextOutW(dc, 0, 0, u"A", 1), "hdc1 used after ReleaseDC");
  HDC second = GetDC(window);
  EXPECT_NONFATAL_FAILURE(SelectObject(second, window), "hwnd1 is not a live font");
  PAINTSTRUCT paint{};
  paint.hdc = second;
  EXPECT_NONFATAL_FAILURE(EndPaint(window, &paint), "EndPaint without BeginPaint");
  EXPECT_NONFATAL_FAILURE(BeginPaint(window, &paint), "BeginPaint outside WM_PAINT");
  EndPaint(window, &paint);
  fake::RepaintWholeWindow();
  EXPECT_NONFATAL_FAILURE(LineTo(gPaints.back().hdc, 5, 5), "used after EndPaint");
  EXPECT_EQ(fake::CallsTo({"LineTo"}).back(), "LineTo(hdc4, 5, 5) -> FALSE");
  EXPECT_NONFATAL_FAILURE(PatBlt(second, 0, 0, 1, 1, 0), "raster operation 0 is not modelled");
  EXPECT_NONFATAL_FAILURE(TextOutW(second, 0, 0, u"A", -1), "TextOutW: invalid text or count");
  EXPECT_NONFATAL_FAILURE(SetScrollPos(window, 0, 1, TRUE), "only SB_VERT");
  int notABlock = 0;
  EXPECT_NONFATAL_FAILURE(HeapFree(GetProcessHeap(), 0, &notABlock), "is not a live heap block");
  EXPECT_EQ(fake::Misuse().size(), 11u);

  void *block = HeapAlloc(GetProcessHeap(), 0, 24);
  EXPECT_EQ(fake::Leaks(), (std::vector<std::string>{"hdc2 from GetDC(hwnd1) not released", "hfont1 not deleted",
                                                     "block1 of 24 bytes not freed"}));
  ReleaseDC(window, second);
  DeleteObject(font);
  HeapFree(GetProcessHeap(), 0, block);
  EXPECT_TRUE(fake::Leaks().empty());

  // Opening a window again replaces the one there was; closing it ends the capture before WM_DESTROY.
  HWND replacement = fake::OpenWindow(TestProcedure, 5, 5);
  EXPECT_NONFATAL_FAILURE(UpdateWindow(window), "hwnd1 is not the window");
  EXPECT_TRUE(UpdateWindow(replacement));
  SetCapture(replacement);
  DefWindowProcW(replacement, WM_CLOSE, 0, 0);
  EXPECT_EQ(gMessages, (std::vector<std::string>{"WM_CAPTURECHANGED", "WM_DESTROY"}));
}


TEST(FakeWin32, FilesAreSharedRewrittenAndFailedAsWindowsDoes) {
  const char *const a = "C:\\docs\\a.txt";
  fake::MakeFolder("C:\\docs");
  fake::PutFile(a, "old text");
  char temporary[MAX_PATH];
  ASSERT_EQ(GetTempFileNameA("C:\\docs", "scrivlet", 0, temporary), 1u);
  EXPECT_STREQ(temporary, "C:\\docs\\scr0001.tmp");
  EXPECT_EQ(fake::FileBytes(temporary), "");
  HANDLE file = CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  // Open for writing without sharing: nothing else may open, move or delete it.
  EXPECT_EQ(CreateFileA(temporary, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr),
            INVALID_HANDLE_VALUE);
  EXPECT_FALSE(DeleteFileA(temporary));
  char buffer[16];
  DWORD count = 99;
  EXPECT_FALSE(ReadFile(file, buffer, sizeof buffer, &count, nullptr)) << "the handle may only write";
  EXPECT_EQ(count, 0u);
  EXPECT_TRUE(WriteFile(file, "new text", 8, &count, nullptr));
  EXPECT_EQ(count, 8u);
  EXPECT_TRUE(FlushFileBuffers(file));
  EXPECT_TRUE(CloseHandle(file));
  EXPECT_TRUE(DeleteFileA(temporary));

  // Rewritten in place: OPEN_ALWAYS tells an old file from a new one, the
  // pointer moves, the end follows it, and a read-only file stays shut.
  file = CreateFileA(a, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_ALREADY_EXISTS);
  BY_HANDLE_FILE_INFORMATION information;
  ASSERT_TRUE(GetFileInformationByHandle(file, &information));
  EXPECT_EQ(information.nFileSizeLow, 8u);
  EXPECT_EQ(information.dwFileAttributes, (DWORD)FILE_ATTRIBUTE_ARCHIVE);
  LONG pointerHigh = 0;
  EXPECT_EQ(SetFilePointer(file, 10, &pointerHigh, FILE_BEGIN), 10u);
  EXPECT_TRUE(WriteFile(file, "!", 1, &count, nullptr));
  EXPECT_EQ(fake::FileBytes(a), std::string("old text\0\0!", 11)) << "a gap reads as zeros";
  EXPECT_EQ(SetFilePointer(file, 3, nullptr, FILE_BEGIN), 3u);
  EXPECT_TRUE(WriteFile(file, "!", 1, &count, nullptr));
  EXPECT_TRUE(SetEndOfFile(file));
  EXPECT_EQ(fake::FileBytes(a), "old!");
  EXPECT_EQ(SetFilePointer(file, -1, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
  CloseHandle(file);
  fake::PutFile(a, "new text");
  EXPECT_EQ(fake::FilePaths(), std::vector<std::string>{a});
  HANDLE made = CreateFileA("C:\\docs\\new.txt", GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
  EXPECT_EQ(GetLastError(), 0u);
  EXPECT_EQ(fake::FileBytes("C:\\docs\\new.txt"), "");
  CloseHandle(made);
  fake::MarkReadOnly("C:\\docs\\new.txt");
  EXPECT_EQ(CreateFileA("C:\\docs\\new.txt", GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), (DWORD)ERROR_ACCESS_DENIED);
  EXPECT_TRUE(DeleteFileA("C:\\docs\\new.txt"));
  char folder[MAX_PATH];
  EXPECT_EQ(GetTempPathA(8, folder), 9u) << "too small: the size it needs";
  EXPECT_EQ(GetTempPathA(sizeof folder, folder), 8u);
  EXPECT_STREQ(folder, "C:\\Temp\\");

  // Readers share with readers, each at its own position, and keep writers out.
  HANDLE reader = CreateFileA(a, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  HANDLE second = CreateFileA(a, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(second, INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileA(a, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS, 0, nullptr), INVALID_HANDLE_VALUE);
  DWORD high = 99;
  EXPECT_EQ(GetFileSize(reader, &high), 8u);
  EXPECT_EQ(high, 0u);
  std::string read;
  for (DWORD chunk : {5u, 16u, 16u}) {
    EXPECT_TRUE(ReadFile(reader, buffer, chunk, &count, nullptr));
    read += "[" + std::string(buffer, count) + "]";
  }
  EXPECT_EQ(read, "[new t][ext][]");
  EXPECT_TRUE(ReadFile(second, buffer, 3, &count, nullptr));
  EXPECT_EQ(std::string(buffer, count), "new");
  EXPECT_FALSE(WriteFile(reader, "x", 1, &count, nullptr));
  CloseHandle(second);
  EXPECT_EQ(fake::Leaks(), std::vector<std::string>{"file4 of \"C:\\docs\\a.txt\" not closed"});
  CloseHandle(reader);
  EXPECT_NONFATAL_FAILURE(CloseHandle(reader), "file4 used after CloseHandle");
  EXPECT_NONFATAL_FAILURE(ReadFile(INVALID_HANDLE_VALUE, buffer, 1, &count, nullptr),
                          "INVALID_HANDLE_VALUE is not a file");

  EXPECT_EQ(CreateFileA("C:\\docs\\b.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(CreateFileA("D:\\b.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetTempFileNameA("D:\\", "scr", 0, temporary), 0u);
  EXPECT_FALSE(DeleteFileA("C:\\docs\\b.txt"));

  // Scripted faults: a refused write writes nothing, a short one (a full disk)
  // succeeds with what it wrote, and a failed close still releases the handle.
  file = CreateFileA(a, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  fake::FailCalls(fake::Fault::kFileIo);
  EXPECT_FALSE(WriteFile(file, "abcdef", 6, &count, nullptr));
  EXPECT_EQ(count, 0u);
  fake::FailCalls(fake::Fault::kShortWrite);
  EXPECT_TRUE(WriteFile(file, "abcdef", 6, &count, nullptr));
  EXPECT_EQ(count, 3u);
  EXPECT_TRUE(WriteFile(file, "def", 3, &count, nullptr));
  EXPECT_EQ(fake::FileBytes(a), "abcdef");
  fake::FailCalls(fake::Fault::kFileIo);
  EXPECT_FALSE(CloseHandle(file));
  EXPECT_TRUE(fake::Leaks().empty());
  fake::FailCalls(fake::Fault::kFileIo, 2, 2);  // the second and third file calls from now
  EXPECT_FALSE(CloseHandle(CreateFileA(a, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)));
  EXPECT_EQ(CreateFileA(a, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CloseHandle(CreateFileA(a, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)));
  EXPECT_EQ(fake::StruckCalls(),
            (std::vector<std::string>{"WriteFile", "WriteFile", "CloseHandle", "CloseHandle", "CreateFileA"}));
  EXPECT_EQ(fake::Misuse().size(), 2u);

  EXPECT_EQ(fake::CallsTo({"GetTempFileNameA"}).front(),
            "GetTempFileNameA(\"C:\\docs\", \"scrivlet\", 0) -> \"C:\\docs\\scr0001.tmp\"");
  EXPECT_EQ(fake::CallsTo({"CreateFileA"})[0],
            "CreateFileA(\"C:\\docs\\scr0001.tmp\", GENERIC_WRITE, 0, CREATE_ALWAYS) -> file1");
  EXPECT_EQ(fake::CallsTo({"CreateFileA"})[1],
            "CreateFileA(\"C:\\docs\\scr0001.tmp\", GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING) -> "
            "INVALID_HANDLE_VALUE");
  EXPECT_EQ(fake::CallsTo({"SetFilePointer", "SetEndOfFile", "GetFileInformationByHandle"}),
            (std::vector<std::string>{"GetFileInformationByHandle(file2) -> 8 bytes", "SetFilePointer(file2, 10)",
                                      "SetFilePointer(file2, 3)", "SetEndOfFile(file2)",
                                      "SetFilePointer(file2, -1) -> FALSE"}));
  EXPECT_EQ(fake::CallsTo({"WriteFile"}),
            (std::vector<std::string>{"WriteFile(file1, 8 bytes) -> 8", "WriteFile(file2, 1 bytes) -> 1",
                                      "WriteFile(file2, 1 bytes) -> 1", "WriteFile(file4, 1 bytes) -> FALSE",
                                      "WriteFile(file6, 6 bytes) -> FALSE", "WriteFile(file6, 6 bytes) -> 3",
                                      "WriteFile(file6, 3 bytes) -> 3"}));
}

TEST(FakeWin32, FileDialogsAnswerFromTheScriptIntoTheRecordsBuffers) {
  HWND window = fake::OpenWindow(TestProcedure, 10, 10);
  fake::PutFile("C:\\docs\\letter.txt", "");
  char path[MAX_PATH] = "proposed.txt";
  char title[7];
  OPENFILENAMEA record{};
  record.lStructSize = sizeof record;
  record.hwndOwner = window;
  record.lpstrFilter = "Text (*.txt)\0*.txt\0";
  record.lpstrFile = path;
  record.nMaxFile = sizeof path;
  record.lpstrFileTitle = title;
  record.nMaxFileTitle = sizeof title;
  record.Flags = OFN_FILEMUSTEXIST;
  fake::AnswerNextFileDialog("C:\\docs\\letter.txt");
  ASSERT_TRUE(GetOpenFileNameA(&record));
  EXPECT_STREQ(path, "C:\\docs\\letter.txt");
  EXPECT_STREQ(title, "letter") << "cut to its buffer";
  EXPECT_EQ(record.nFileOffset, 8);
  EXPECT_EQ(record.nFileExtension, 15);
  EXPECT_EQ(fake::LastFileDialogRecord().nFileExtension, 0) << "the record as it was passed";
  EXPECT_EQ(fake::LastFileDialogFilter(), "Text (*.txt)|*.txt||");

  // Cancel and a failed dialog leave the buffers alone, the failure using up
  // its answer; a name without an extension gets the default one.
  record.Flags = OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST;
  fake::AnswerNextFileDialog("");
  EXPECT_FALSE(GetSaveFileNameA(&record));
  fake::FailCalls(fake::Fault::kDialog);
  fake::AnswerNextFileDialog("C:\\docs\\c.txt");
  EXPECT_FALSE(GetSaveFileNameA(&record));
  EXPECT_STREQ(path, "C:\\docs\\letter.txt");
  EXPECT_STREQ(title, "letter");
  record.lpstrDefExt = "txt";
  fake::AnswerNextFileDialog("C:\\docs\\b");
  ASSERT_TRUE(GetSaveFileNameA(&record));
  EXPECT_STREQ(path, "C:\\docs\\b.txt");
  EXPECT_STREQ(title, "b.txt");
  EXPECT_EQ(record.nFileExtension, 10);

  // A path longer than nMaxFile: FALSE, with the size needed in the first two bytes.
  record.nMaxFile = 8;
  fake::AnswerNextFileDialog("C:\\docs\\letter.txt");
  EXPECT_FALSE(GetOpenFileNameA(&record));
  WORD needed;
  std::memcpy(&needed, path, sizeof needed);
  EXPECT_EQ(needed, 19);
  record.nMaxFile = sizeof path;

  // A script the dialog could not follow fails the test; a bad record is misuse.
  EXPECT_NONFATAL_FAILURE(GetSaveFileNameA(&record), "no scripted answer");
  record.Flags = OFN_FILEMUSTEXIST;
  fake::AnswerNextFileDialog("C:\\docs\\missing.txt");
  EXPECT_NONFATAL_FAILURE(GetOpenFileNameA(&record), "which does not exist");
  record.lStructSize = 76;  // the size before Windows 2000
  EXPECT_NONFATAL_FAILURE(GetOpenFileNameA(&record), "lStructSize 76 is not sizeof(OPENFILENAMEA)");
  EXPECT_EQ(fake::Misuse().size(), 1u);

  SetWindowTextA(window, "b.txt");
  EXPECT_EQ(fake::WindowTitle(), "b.txt");
  SetWindowTextA(window, "\"a\\b\"\n");  // the log escapes what would make its quoting ambiguous
  EXPECT_EQ(fake::CallsTo({"GetOpenFileNameA", "GetSaveFileNameA", "SetWindowTextA"}),
            (std::vector<std::string>{"GetOpenFileNameA(flags 0x1000) -> \"C:\\docs\\letter.txt\"",
                                      "GetSaveFileNameA(flags 0x802) -> cancelled",
                                      "GetSaveFileNameA(flags 0x802) -> FALSE",
                                      "GetSaveFileNameA(flags 0x802) -> \"C:\\docs\\b.txt\"",
                                      "GetOpenFileNameA(flags 0x802) -> buffer too small for \"C:\\docs\\letter.txt\"",
                                      "GetSaveFileNameA(flags 0x802) -> cancelled",
                                      "GetOpenFileNameA(flags 0x1000) -> cancelled",
                                      "GetOpenFileNameA(lStructSize 76) -> FALSE",
                                      "SetWindowTextA(hwnd1, \"b.txt\")",
                                      "SetWindowTextA(hwnd1, \"\\\"a\\\\b\\\"\\n\")"}));
}

}  // namespace
