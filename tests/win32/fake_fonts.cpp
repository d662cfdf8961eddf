// Fonts and text in the Win32 double: the fonts made, a metric model of their
// glyphs, and text drawn as a pattern of ink per unit (or, on a printer DC, recorded).
#include "fake_win32_internal.h"

using namespace fake_internal;

namespace {

struct Font {
  LOGFONTA description;
  bool deleted;
};

struct GlyphOverride {
  bool fails;
  ABC abc;
};

LOGFONTA SystemFontDescription() {
  LOGFONTA font{};
  std::strcpy(font.lfFaceName, "System");
  return font;
}

struct Fonts {
  std::vector<Font> fonts{{SystemFontDescription(), false}};  // by handle index; 0 the stock system font
  size_t firstLive = 1;  // below it every font is deleted; the system font never is
  std::map<WCHAR, GlyphOverride> glyphs;
  std::map<WCHAR, ABC> printerGlyphs;  // the printer's face where it differs from the screen's
};

Fonts f;

HFONT FontHandle(size_t index) { return MakeHandle<HFONT>(kFont, index); }
const LOGFONTA &Selected(const Dc &dc) { return f.fonts[dc.font].description; }

// ---- The model --------------------------------------------------------------

int Em(const LOGFONTA &font) {
  if (font.lfHeight < 0) return -font.lfHeight;
  if (font.lfHeight > 0) return (int)((long long)font.lfHeight * 1000 / 1133);
  return 16;
}

TEXTMETRICA Metrics(const LOGFONTA &font) {
  int em = Em(font);
  TEXTMETRICA tm{};
  tm.tmHeight = font.lfHeight > 0 ? font.lfHeight : (LONG)((long long)em * 1133 / 1000);
  tm.tmAscent = tm.tmHeight * 4 / 5;
  tm.tmDescent = tm.tmHeight - tm.tmAscent;
  tm.tmInternalLeading = tm.tmHeight - em;
  tm.tmAveCharWidth = em * 6 / 10;
  tm.tmMaxCharWidth = tm.tmAveCharWidth;
  tm.tmCharSet = font.lfCharSet;
  return tm;
}

bool Glyph(UINT unit, int em, ABC *abc) {
  if (unit > 0xFFFF) return false;  // not a UTF-16 code unit
  auto override = f.glyphs.find((WCHAR)unit);
  if (override != f.glyphs.end()) {
    *abc = override->second.abc;
    return !override->second.fails;
  }
  auto in = [unit](UINT low, UINT high) { return unit >= low && unit <= high; };
  int advance = em * 6 / 10, edge = em / 10, hang = em / 16 + 1, wideEdge = em / 20;
  if (in(0xD800, 0xDFFF) || unit == 0xFFFE || unit == 0xFFFF) return false;
  if (in(0x0300, 0x036F) || in(0x200B, 0x200F) || unit == 0xFEFF) {
    *abc = {0, 0, 0};
  } else if (in(0x1100, 0x115F) || in(0x2E80, 0xA4CF) || in(0xAC00, 0xD7A3) || in(0xF900, 0xFAFF) ||
             in(0xFF01, 0xFF60)) {
    *abc = {wideEdge, (UINT)(em - 2 * wideEdge), wideEdge};
  } else if (unit == 'g' || unit == 'j' || unit == 'p' || unit == 'q' || unit == 'y') {
    *abc = {-hang, (UINT)advance, hang};
  } else if (unit == 'f') {
    *abc = {edge, (UINT)advance, -hang};
  } else {
    *abc = {edge, (UINT)(advance - 2 * edge), edge};
  }
  return true;
}

// What TextOut draws with: a failed query still draws, one advance wide.
ABC DrawnGlyph(WCHAR unit, int em) {
  ABC abc;
  if (!Glyph(unit, em, &abc)) abc = {0, (UINT)(em * 6 / 10), 0};
  return abc;
}

int Width(const ABC &abc) { return abc.abcA + (int)abc.abcB + abc.abcC; }

uint32_t Mix(uint32_t v) {
  v ^= v >> 16;
  v *= 0x7FEB352Du;
  v ^= v >> 15;
  v *= 0x846CA68Bu;
  v ^= v >> 16;
  return v;
}

// A unit's ink: about half the pixels of its box, and at least one in every
// column, so a glyph drawn one pixel off always changes the picture.
bool Ink(WCHAR unit, int column, int row, int height) {
  uint32_t columnHash = Mix(Mix(unit) ^ (uint32_t)column);
  return columnHash % (uint32_t)height == (uint32_t)row || (Mix(columnHash ^ (uint32_t)row) & 1);
}

bool ValidText(const void *text, int count) { return count == 0 || (count > 0 && text); }

WCHAR CodeUnit(char c) { return (unsigned char)c; }  // TextOutA: Latin-1
WCHAR CodeUnit(WCHAR c) { return c; }

// Draws the units from x (their centre with TA_CENTER), inside clip when given.
// dx: the pen's advance after each glyph, or nullptr for the glyphs' own.
template <typename Char>
void DrawUnits(const Dc &dc, int x, int y, const Char *text, int count, const RECT *clip, const INT *dx = nullptr) {
  const LOGFONTA &font = Selected(dc);
  int em = Em(font), height = Metrics(font).tmHeight;
  if (dc.align & TA_CENTER) {
    int extent = 0;
    for (int i = 0; i < count; ++i) extent += Width(DrawnGlyph(CodeUnit(text[i]), em));
    x -= extent / 2;
  }
  auto box = [&](int left, int right) {
    RECT r{left, y, right, y + height};
    return clip ? Intersect(r, *clip) : r;
  };
  if (dc.bkMode == OPAQUE) {  // all cells first, so no cell covers a neighbour's overhang
    for (int i = 0, pen = x; i < count; ++i) {
      int next = pen + (dx ? dx[i] : Width(DrawnGlyph(CodeUnit(text[i]), em)));
      ForEachPixel(dc, box(std::min(pen, next), std::max(pen, next)), [](int, int, uint8_t &pixel) { pixel = 255; });
      pen = next;
    }
  }
  for (int i = 0, pen = x; i < count; ++i) {
    WCHAR unit = CodeUnit(text[i]);
    ABC abc = DrawnGlyph(unit, em);
    int left = pen + abc.abcA;
    ForEachPixel(dc, box(left, left + (int)abc.abcB), [&](int px, int py, uint8_t &pixel) {
      if (Ink(unit, px - left, py - y, height)) pixel = 0;
    });
    pen = dx ? pen + dx[i] : left + (int)abc.abcB + abc.abcC;
  }
}

// ---- Call log -------------------------------------------------------------

std::string UnitText(UINT unit) {
  char text[16];
  std::snprintf(text, sizeof text, "U+%04X", unit);
  return text;
}

struct Units {
  const WCHAR *text;
  int count;
};
void Append(std::string &s, Units u) {
  for (int i = 0; i < u.count; ++i) {
    if (i) s += ' ';
    s += UnitText(u.text[i]);
  }
}

struct UnitRange {
  UINT first;
  UINT last;
};
void Append(std::string &s, UnitRange r) {
  s += UnitText(r.first);
  if (r.last != r.first) s += ".." + UnitText(r.last);
}

struct Abcs {
  const ABC *abc;
  size_t count;
};
void Append(std::string &s, Abcs a) {
  for (size_t i = 0; i < a.count; ++i) {
    if (i) s += ' ';
    s += Entry("{", a.abc[i].abcA, ", ", a.abc[i].abcB, ", ", a.abc[i].abcC, "}");
  }
}

Quoted TextArgument(const char *text, int count) { return {text, (size_t)count}; }
Units TextArgument(const WCHAR *text, int count) { return {text, count}; }

const ValueName kBkModeNames[] = {{TRANSPARENT, "TRANSPARENT"}, {OPAQUE, "OPAQUE"}};

template <typename Char>
BOOL TextOutUnits(const char *function, HDC handle, int x, int y, const Char *text, int count) {
  Dc *dc = LiveDc(handle, function);
  bool ok = dc != nullptr;
  if (ok && !ValidText(text, count)) {
    ok = ReportMisuse(function, ": invalid text or count");
  } else if (ok && dc->align != (TA_LEFT | TA_TOP) &&
             (dc->align != (TA_CENTER | TA_TOP) || dc->kind == DcKind::kPrinter)) {
    ok = ReportMisuse(function, ": text align ", dc->align, " is not modelled");
  }
  if (ok && dc->kind == DcKind::kPrinter) {
    std::u16string units;
    for (int i = 0; i < count; ++i) units += CodeUnit(text[i]);
    ok = PrintUnits(handle, function, x, y, units, Selected(*dc), dc->bkMode == TRANSPARENT);
  } else if (ok) {
    DrawUnits(*dc, x, y, text, count, nullptr);
  }
  Record(function, "(", handle, ", ", x, ", ", y, ", ", TextArgument(text, ok ? count : 0), ")", Failed(ok));
  return ok;
}

}  // namespace

size_t fake_internal::FontsMade() { return f.fonts.size(); }

void fake_internal::AddFontLeaks(std::vector<std::string> &leaks) {
  for (size_t i = FirstLive(f.fonts, &f.firstLive, [](const Font &font) { return !font.deleted; });
       i < f.fonts.size(); ++i) {
    if (!f.fonts[i].deleted) leaks.push_back(Entry(FontHandle(i), " not deleted"));
  }
}

// ---- GDI32 ----------------------------------------------------------------

HFONT WINAPI CreateFontIndirectA(const LOGFONTA *description) {
  if (!CheckPointer(description, "CreateFontIndirectA", "LOGFONTA")) {
    Record("CreateFontIndirectA(NULL) -> NULL");
    return nullptr;
  }
  f.fonts.push_back({*description, false});
  HFONT handle = FontHandle(f.fonts.size() - 1);
  Record("CreateFontIndirectA(height ", description->lfHeight, ", charset ", (UINT)description->lfCharSet, ", ",
         Quoted{description->lfFaceName, strnlen(description->lfFaceName, LF_FACESIZE)}, ") -> ", handle);
  return handle;
}

HGDIOBJ WINAPI SelectObject(HDC handle, HGDIOBJ object) {
  Dc *dc = LiveDc(handle, "SelectObject");
  HGDIOBJ previous = nullptr;
  size_t font = 0;
  if (dc && (!Decode(object, kFont, f.fonts.size(), &font) || f.fonts[font].deleted)) {
    ReportMisuse("SelectObject: ", object, " is not a live font");
  } else if (dc) {
    previous = FontHandle(dc->font);
    dc->font = font;
  }
  Record("SelectObject(", handle, ", ", object, ") -> ", previous);
  return previous;
}

BOOL WINAPI DeleteObject(HGDIOBJ object) {
  size_t font = 0;
  bool ok = false;
  if (!Decode(object, kFont, f.fonts.size(), &font) || f.fonts[font].deleted) {
    ReportMisuse("DeleteObject: ", object, " is not a live object");
  } else if (font == 0) {
    ReportMisuse("DeleteObject: systemfont is a stock object");
  } else if (HDC selecting = DcSelecting(font)) {
    ReportMisuse("DeleteObject: ", object, " is still selected in ", selecting);
  } else {
    f.fonts[font].deleted = true;
    ok = true;
  }
  Record("DeleteObject(", object, ")", Failed(ok));
  return ok;
}

BOOL WINAPI GetTextMetricsA(HDC handle, LPTEXTMETRICA metrics) {
  Dc *dc = LiveDc(handle, "GetTextMetricsA");
  bool ok = dc && CheckPointer(metrics, "GetTextMetricsA", "TEXTMETRICA");
  if (ok) *metrics = Metrics(Selected(*dc));
  Record("GetTextMetricsA(", handle, ") -> ", ResultOr(ok, [&] { return Entry("tmHeight ", metrics->tmHeight); }));
  return ok;
}

BOOL WINAPI GetCharABCWidthsW(HDC handle, UINT first, UINT last, LPABC widths) {
  Dc *dc = LiveDc(handle, "GetCharABCWidthsW");
  bool ok = dc && CheckPointer(widths, "GetCharABCWidthsW", "ABC array") && first <= last;
  for (UINT unit = first; ok && unit <= last; ++unit) {
    auto printer = dc->kind == DcKind::kPrinter ? f.printerGlyphs.find((WCHAR)unit) : f.printerGlyphs.end();
    if (printer != f.printerGlyphs.end()) widths[unit - first] = printer->second;
    else ok = Glyph(unit, Em(Selected(*dc)), &widths[unit - first]);
  }
  Record("GetCharABCWidthsW(", handle, ", ", UnitRange{first, last}, ") -> ",
         ResultOr(ok, [&] { return Entry(Abcs{widths, (size_t)(last - first) + 1}); }));
  return ok;
}

// The extent is where TextOutA's pen ends: the sum of the units' A + B + C,
// a unit whose query fails counting one advance, as it is drawn.
BOOL WINAPI GetTextExtentPoint32A(HDC handle, LPCSTR text, int count, LPSIZE size) {
  Dc *dc = LiveDc(handle, "GetTextExtentPoint32A");
  bool ok = dc && CheckPointer(size, "GetTextExtentPoint32A", "SIZE");
  if (ok && !ValidText(text, count)) ok = ReportMisuse("GetTextExtentPoint32A: invalid text or count");
  if (ok) {
    const LOGFONTA &font = Selected(*dc);
    size->cx = 0;
    for (int i = 0; i < count; ++i) size->cx += Width(DrawnGlyph(CodeUnit(text[i]), Em(font)));
    size->cy = Metrics(font).tmHeight;
  }
  Record("GetTextExtentPoint32A(", handle, ", ", TextArgument(text, ok ? count : 0), ") -> ",
         ResultOr(ok, [&] { return Entry("{", (int)size->cx, ", ", (int)size->cy, "}"); }));
  return ok;
}

UINT WINAPI SetTextAlign(HDC handle, UINT align) {
  Dc *dc = LiveDc(handle, "SetTextAlign");
  UINT previous = 0xFFFFFFFF;  // GDI_ERROR
  if (dc) {
    previous = dc->align;
    dc->align = align;
  }
  Record("SetTextAlign(", handle, ", ", align, ") -> ", previous);
  return previous;
}

int WINAPI SetBkMode(HDC handle, int mode) {
  Dc *dc = LiveDc(handle, "SetBkMode");
  int previous = 0;
  if (dc && !NameOf(mode, kBkModeNames)) {
    ReportMisuse("SetBkMode: mode ", mode, " does not exist");
  } else if (dc) {
    previous = dc->bkMode;
    dc->bkMode = mode;
  }
  Record("SetBkMode(", handle, ", ", Named{mode, NameOf(mode, kBkModeNames)}, ") -> ",
         Named{previous, NameOf(previous, kBkModeNames)});
  return previous;
}

BOOL WINAPI TextOutW(HDC dc, int x, int y, LPCWSTR text, int count) {
  return TextOutUnits("TextOutW", dc, x, y, text, count);
}

BOOL WINAPI TextOutA(HDC dc, int x, int y, LPCSTR text, int count) {
  return TextOutUnits("TextOutA", dc, x, y, text, count);
}

BOOL WINAPI ExtTextOutW(HDC handle, int x, int y, UINT options, const RECT *rect, LPCWSTR text, UINT count,
                        const INT *dx) {
  Dc *dc = LiveDc(handle, "ExtTextOutW");
  bool ok = dc != nullptr;
  if (ok && (options & ~(UINT)(ETO_CLIPPED | ETO_IGNORELANGUAGE) || ((options & ETO_CLIPPED) && !rect))) {
    ok = ReportMisuse("ExtTextOutW: only ETO_CLIPPED with a rectangle and ETO_IGNORELANGUAGE are modelled");
  }
  if (ok) DrawUnits(*dc, x, y, text, (int)count, options & ETO_CLIPPED ? rect : nullptr, dx);
  Record("ExtTextOutW(", handle, ", ", x, ", ", y, ", ", Hex{options}, ", ", rect, ", ",
         TextArgument(text, ok ? (int)count : 0), ")", Failed(ok));
  return ok;
}

// ---- What tests see -----------------------------------------------------------

namespace fake {

void SetGlyph(WCHAR unit, int a, unsigned b, int c) { f.glyphs[unit] = {false, {a, b, c}}; }
void SetGlyphQueryFails(WCHAR unit) { f.glyphs[unit] = {true, {0, 0, 0}}; }
void SetPrinterGlyph(WCHAR unit, int a, unsigned b, int c) { f.printerGlyphs[unit] = {a, b, c}; }

LOGFONTA FontDescription(HFONT font) {
  size_t index;
  if (Decode(font, kFont, f.fonts.size(), &index)) return f.fonts[index].description;
  ADD_FAILURE() << "fake::FontDescription: " << HandleName(font) << " is not a font";
  return {};
}

}  // namespace fake
