// Painting in the Win32 double: the DCs, the framebuffer they draw on (one
// byte a client pixel), their clipping to the paint region, and GDI's lines and fills.
#include "fake_win32_internal.h"

using namespace fake_internal;

namespace {

struct Painting {
  Grid framebuffer;  // 255 white (the class background), 0 black
  std::vector<Dc> dcs;
  size_t firstLiveDc = 0;  // below it no DC is live
  int dpi = 96;
};

Painting d;

HDC DcHandle(size_t index) { return MakeHandle<HDC>(kDcHandle, index); }
RECT Client() { return d.framebuffer.Bounds(); }

size_t FirstLiveDc() { return FirstLive(d.dcs, &d.firstLiveDc, [](const Dc &dc) { return dc.live; }); }

Dc *AnyLiveDc(HDC handle, const char *function) {
  size_t index;
  if (!Decode(handle, kDcHandle, d.dcs.size(), &index)) {
    ReportMisuse(function, ": ", handle, " is not a DC");
    return nullptr;
  }
  Dc &dc = d.dcs[index];
  if (!dc.live) {
    ReportMisuse(function, ": ", handle, " used after ",
                 dc.kind == DcKind::kPaint     ? "EndPaint"
                 : dc.kind == DcKind::kPrinter ? "DeleteDC"
                                               : "ReleaseDC");
    return nullptr;
  }
  return &dc;
}

// A DC must go back with the font it came with, or the created font leaks
// into a DC that no longer exists.
void EndDc(Dc &dc, HDC handle, const char *function) {
  if (dc.font != 0) ReportMisuse(function, ": ", handle, " still has ", MakeHandle<HFONT>(kFont, dc.font), " selected");
  dc.live = false;
}

void Fill(const Dc &dc, const RECT &area, uint8_t value) {
  ForEachPixel(dc, area, [value](int, int, uint8_t &pixel) { pixel = value; });
}

// The bounding box of what the DC may draw on ({0, 0, 0, 0} when nothing)
// and the number of pixels that is.
RECT ClipBounds(const Dc &dc, size_t *visible) {
  *visible = 0;
  if (dc.kind != DcKind::kPaint) {
    RECT client = dc.kind == DcKind::kWindow ? Client() : RECT{0, 0, 0, 0};
    if (IsEmpty(client)) return {0, 0, 0, 0};
    *visible = (size_t)client.right * (size_t)client.bottom;
    return client;
  }
  RECT bounds{0, 0, 0, 0};
  RECT area = Intersect(dc.clipBounds, Client());
  for (int y = area.top; y < area.bottom; ++y) {
    const uint8_t *mask = dc.clip.Row(y);
    const uint8_t *first = std::find(mask + area.left, mask + area.right, 1);
    if (first == mask + area.right) continue;
    const uint8_t *last =
        std::find(std::make_reverse_iterator(mask + area.right), std::make_reverse_iterator(first), 1).base();
    *visible += (size_t)std::count(first, last, 1);
    bounds = Union(bounds, {(LONG)(first - mask), y, (LONG)(last - mask), y + 1});
  }
  return bounds;
}

// A drawing call: draw(dc) on a live DC says whether it drew; the log shows
// the arguments after the DC.
template <typename Draw, typename... Arguments>
BOOL DrawCall(const char *function, HDC handle, Draw draw, const Arguments &...arguments) {
  Dc *dc = LiveDc(handle, function);
  bool ok = dc && draw(*dc);
  if (Recording()) AppendCall(Entry(function, "(", handle) + (Entry(", ", arguments) + ...) + ")" + Failed(ok));
  return ok;
}

// Bresenham, end point left out as GDI does.
void DrawLine(const Dc &dc, POINT from, POINT to) {
  int dx = std::abs(to.x - from.x), dy = -std::abs(to.y - from.y);
  int stepX = from.x < to.x ? 1 : -1, stepY = from.y < to.y ? 1 : -1;
  int error = dx + dy;
  POINT p = from;
  while (p.x != to.x || p.y != to.y) {
    Fill(dc, {p.x, p.y, p.x + 1, p.y + 1}, 0);
    int twice = 2 * error;
    if (twice >= dy) {
      error += dy;
      p.x += stepX;
    }
    if (twice <= dx) {
      error += dx;
      p.y += stepY;
    }
  }
}

// ---- Call log -------------------------------------------------------------

struct RegionText {  // a paint DC's clip as bands, or "empty"
  const Dc *paint;
};
void Append(std::string &s, RegionText r) {
  std::string bands = BandsText(r.paint->clip);
  s += bands.empty() ? "empty" : bands;
}

const ValueName kCapNames[] = {{LOGPIXELSX, "LOGPIXELSX"},           {LOGPIXELSY, "LOGPIXELSY"},
                               {PHYSICALWIDTH, "PHYSICALWIDTH"},     {PHYSICALHEIGHT, "PHYSICALHEIGHT"},
                               {PHYSICALOFFSETX, "PHYSICALOFFSETX"}, {PHYSICALOFFSETY, "PHYSICALOFFSETY"}};
const ValueName kRopNames[] = {{DSTINVERT, "DSTINVERT"}};
const ValueName kRegionTypeNames[] = {
    {NULLREGION, "NULLREGION"}, {SIMPLEREGION, "SIMPLEREGION"}, {COMPLEXREGION, "COMPLEXREGION"}};

}  // namespace

size_t fake_internal::DcsMade() { return d.dcs.size(); }
Grid &fake_internal::Framebuffer() { return d.framebuffer; }

// The printer models text and fonts only; a line or a release on it is misuse.
Dc *fake_internal::LiveDc(HDC handle, const char *function) {
  static const char *const kOnPrinter[] = {"GetDeviceCaps", "SelectObject",    "GetTextMetricsA",
                                           "GetCharABCWidthsW", "SetTextAlign", "SetBkMode",
                                           "TextOutW",      "TextOutA",        "GetTextExtentPoint32A"};
  Dc *dc = AnyLiveDc(handle, function);
  if (dc && dc->kind == DcKind::kPrinter &&
      std::none_of(std::begin(kOnPrinter), std::end(kOnPrinter),
                   [function](const char *name) { return std::strcmp(name, function) == 0; })) {
    ReportMisuse(function, ": ", handle, " is a printer DC, where it is not modelled");
    return nullptr;
  }
  return dc;
}

HDC fake_internal::DcSelecting(size_t font) {
  auto selected = std::find_if(d.dcs.begin() + (ptrdiff_t)FirstLiveDc(), d.dcs.end(),
                               [font](const Dc &dc) { return dc.live && dc.font == font; });
  return selected == d.dcs.end() ? nullptr : DcHandle((size_t)(selected - d.dcs.begin()));
}

HDC fake_internal::MakePrinterDc() {
  d.dcs.emplace_back(DcKind::kPrinter, nullptr);
  return DcHandle(d.dcs.size() - 1);
}

bool fake_internal::CheckPrinterDc(HDC handle, const char *function) {
  Dc *dc = AnyLiveDc(handle, function);
  if (dc && dc->kind != DcKind::kPrinter) return ReportMisuse(function, ": ", handle, " is not a printer DC");
  return dc != nullptr;
}

void fake_internal::EndPrinterDc(HDC handle) {
  Dc *dc = AnyLiveDc(handle, "DeleteDC");
  if (dc) EndDc(*dc, handle, "DeleteDC");
}

void fake_internal::AddDcLeaks(std::vector<std::string> &leaks) {
  for (size_t i = FirstLiveDc(); i < d.dcs.size(); ++i) {
    const Dc &dc = d.dcs[i];
    if (!dc.live) continue;
    leaks.push_back(dc.kind == DcKind::kPaint     ? Entry(DcHandle(i), " from BeginPaint not ended with EndPaint")
                    : dc.kind == DcKind::kPrinter ? Entry(DcHandle(i), " from PrintDlgA not deleted with DeleteDC")
                                                  : Entry(DcHandle(i), " from GetDC(", dc.owner, ") not released"));
  }
}

// ---- USER32 -----------------------------------------------------------------

HDC WINAPI GetDC(HWND window) {
  HDC handle = nullptr;
  if (!window || CheckWindow(window, "GetDC")) {
    handle = DcHandle(d.dcs.size());
    d.dcs.emplace_back(window ? DcKind::kWindow : DcKind::kScreen, window);
  }
  Record("GetDC(", window, ") -> ", handle);
  return handle;
}

int WINAPI ReleaseDC(HWND window, HDC handle) {
  Dc *dc = LiveDc(handle, "ReleaseDC");
  bool ok = dc != nullptr;
  if (ok && dc->kind == DcKind::kPaint) {
    ok = ReportMisuse("ReleaseDC: ", handle, " came from BeginPaint");
  } else if (ok && dc->owner != window) {
    ok = ReportMisuse("ReleaseDC: ", handle, " does not belong to ", window);
  }
  if (ok) EndDc(*dc, handle, "ReleaseDC");
  Record("ReleaseDC(", window, ", ", handle, ")", ok ? "" : " -> 0");
  return ok;
}

HDC WINAPI BeginPaint(HWND window, LPPAINTSTRUCT paint) {
  if (!CheckWindow(window, "BeginPaint") || !CheckPointer(paint, "BeginPaint", "PAINTSTRUCT")) {
    Record("BeginPaint(", window, ") -> NULL");
    return nullptr;
  }
  if (!InPaintMessage()) ReportMisuse("BeginPaint outside WM_PAINT");
  Dc paintDc{DcKind::kPaint, window};
  const bool erase = TakeUpdateRegion(&paintDc.clip, &paintDc.clipBounds);
  HDC handle = DcHandle(d.dcs.size());
  Dc &dc = d.dcs.emplace_back(std::move(paintDc));
  if (erase) Fill(dc, Client(), 255);  // the class brush is white
  size_t visible;
  *paint = PAINTSTRUCT{};
  paint->hdc = handle;
  paint->fErase = FALSE;  // erased already, as the default WM_ERASEBKGND does
  paint->rcPaint = dc.clipBounds = ClipBounds(dc, &visible);
  Record("BeginPaint(", window, ") -> ", handle, " paint ", RegionText{&dc}, erase ? " erase" : " noerase");
  return handle;
}

BOOL WINAPI EndPaint(HWND window, const PAINTSTRUCT *paint) {
  bool ok = CheckWindow(window, "EndPaint") && CheckPointer(paint, "EndPaint", "PAINTSTRUCT");
  HDC handle = ok ? paint->hdc : nullptr;
  size_t index = 0;
  if (ok &&
      !(Decode(handle, kDcHandle, d.dcs.size(), &index) && d.dcs[index].kind == DcKind::kPaint && d.dcs[index].live)) {
    ok = ReportMisuse("EndPaint without BeginPaint for ", handle);
  }
  if (ok) {
    EndDc(d.dcs[index], handle, "EndPaint");
    d.dcs[index].clip = Grid{};
  }
  Record("EndPaint(", window, ", ", handle, ")", Failed(ok));
  return ok;
}

// ---- GDI32 ----------------------------------------------------------------

int WINAPI GetDeviceCaps(HDC handle, int index) {
  int value = 0;
  if (Dc *dc = LiveDc(handle, "GetDeviceCaps")) {
    bool known = dc->kind == DcKind::kPrinter ? PrinterCap(index, &value) : index == LOGPIXELSX || index == LOGPIXELSY;
    if (known && dc->kind != DcKind::kPrinter) value = d.dpi;
    if (!known) ReportMisuse("GetDeviceCaps: index ", index, " is not modelled");
  }
  Record("GetDeviceCaps(", handle, ", ", Named{index, NameOf(index, kCapNames)}, ") -> ", value);
  return value;
}

HGDIOBJ WINAPI GetStockObject(int object) {
  Record("GetStockObject(", object, ") -> stockobject");
  return MakeHandle<HGDIOBJ>(kStock, 0);
}

BOOL WINAPI MoveToEx(HDC handle, int x, int y, LPPOINT previous) {
  auto move = [&](Dc &dc) {
    if (previous) *previous = dc.pen;
    dc.pen = {x, y};
    return true;
  };
  return DrawCall("MoveToEx", handle, move, x, y);
}

BOOL WINAPI LineTo(HDC handle, int x, int y) {
  auto line = [&](Dc &dc) {
    DrawLine(dc, dc.pen, {x, y});
    dc.pen = {x, y};
    return true;
  };
  return DrawCall("LineTo", handle, line, x, y);
}

BOOL WINAPI Rectangle(HDC handle, int left, int top, int right, int bottom) {
  auto outline = [&](Dc &dc) {  // default pen and brush: black outline, white inside
    int l = std::min(left, right), r = std::max(left, right), t = std::min(top, bottom), b = std::max(top, bottom);
    Fill(dc, {l, t, r, b}, 0);
    Fill(dc, {l + 1, t + 1, r - 1, b - 1}, 255);
    return true;
  };
  return DrawCall("Rectangle", handle, outline, left, top, right, bottom);
}

BOOL WINAPI PatBlt(HDC handle, int x, int y, int width, int height, DWORD rop) {
  auto invert = [&](Dc &dc) {
    if (rop != DSTINVERT) return ReportMisuse("PatBlt: raster operation ", rop, " is not modelled");
    int l = std::min(x, x + width), t = std::min(y, y + height);
    ForEachPixel(dc, {l, t, l + std::abs(width), t + std::abs(height)},
                 [](int, int, uint8_t &pixel) { pixel = (uint8_t)(255 - pixel); });
    return true;
  };
  return DrawCall("PatBlt", handle, invert, x, y, width, height, Named{rop, NameOf(rop, kRopNames)});
}

int WINAPI GetClipBox(HDC handle, LPRECT rect) {
  Dc *dc = LiveDc(handle, "GetClipBox");
  if (!dc || !CheckPointer(rect, "GetClipBox", "RECT")) {
    Record("GetClipBox(", handle, ") -> ERROR");
    return 0;  // ERROR
  }
  size_t visible;
  *rect = ClipBounds(*dc, &visible);
  const size_t boxArea = (size_t)(rect->right - rect->left) * (size_t)(rect->bottom - rect->top);
  const int type = visible == 0 ? NULLREGION : visible == boxArea ? SIMPLEREGION : COMPLEXREGION;
  Record("GetClipBox(", handle, ") -> ", rect, " ", NameOf(type, kRegionTypeNames));
  return type;
}

// ---- What tests see -----------------------------------------------------------

namespace fake {

void SetScreenDpi(int dpi) { d.dpi = dpi; }

Screen CaptureScreen() { return {d.framebuffer.width, d.framebuffer.height, d.framebuffer.cells}; }

uint8_t Pixel(int x, int y) {
  if (Inside(Client(), x, y)) return d.framebuffer.At(x, y);
  ADD_FAILURE() << "fake::Pixel(" << x << ", " << y << ") is outside the " << d.framebuffer.width << "x"
                << d.framebuffer.height << " client area";
  return 0;
}

std::string DescribeScreenDifference(const Screen &expected, const Screen &actual) {
  auto size = [](const Screen &s) { return std::to_string(s.width) + "x" + std::to_string(s.height); };
  for (const Screen *s : {&expected, &actual}) {
    if (s->width < 0 || s->height < 0 || s->pixels.size() != (size_t)s->width * (size_t)s->height) {
      return "malformed screen " + size(*s) + " with " + std::to_string(s->pixels.size()) + " pixels";
    }
  }
  if (expected.width != actual.width || expected.height != actual.height) {
    return "size " + size(expected) + " expected, " + size(actual) + " actual";
  }
  const size_t shown = 5;
  size_t count = 0;
  std::string first;
  for (int y = 0; y < actual.height; ++y) {
    for (int x = 0; x < actual.width; ++x) {
      if (expected.At(x, y) == actual.At(x, y) || ++count > shown) continue;
      first += " (" + std::to_string(x) + ", " + std::to_string(y) + ") expected " + std::to_string(expected.At(x, y)) +
               " actual " + std::to_string(actual.At(x, y)) + ";";
    }
  }
  if (count == 0) return "";
  return std::to_string(count) + " pixels differ, first:" + first;
}

}  // namespace fake
