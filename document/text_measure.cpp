// Cell widths of text in the document font, and how that font is described and created.
#include "document/text_measure.h"

#include <string.h>

#include "app/program_window.h"
#include "document/layout_settings.h"

LPCSTR FaceNameTable[] = {"Courier New", NULL};
int FaceIndex = 0;
LPCSTR CurrentFaceName;
// Big5 makes the font mapper pick a face with Traditional Chinese glyphs
// besides the Latin ones, so that many more of the picker's units show.
BYTE FontCharset = CHINESEBIG5_CHARSET;
TEXTMETRICA MainTextMetrics;

static LOGFONTA CachedWidthsFont;         // description the cached widths were measured in
static int CachedWidthsDpiX;              // horizontal resolution they were measured at
static TEXTMETRICA CachedWidthsMetrics;   // that font's metrics
int CachedWidthPlusOne[0x10000];
int CachedLeftOverhang[0x10000];

int CellWidthFromABC(const ABC *abc, const TEXTMETRICA &metrics) {
  if (abc == NULL) return metrics.tmMaxCharWidth;
  int a = abc->abcA >= 0 ? abc->abcA : -2 * abc->abcA;
  int c = abc->abcC >= 0 ? abc->abcC : -2 * abc->abcC;
  int b = abc->abcB != 0 ? (int)abc->abcB : metrics.tmMaxCharWidth;
  return a + b + c + metrics.tmHeight / 10;
}

int CellWidth(HDC dc, WCHAR unit, const TEXTMETRICA &metrics) {
  ABC abc;
  return CellWidthFromABC(GetCharABCWidthsW(dc, unit, unit, &abc) ? &abc : NULL, metrics);
}

void MeasureRun(HDC dc, const WCHAR *units, int count, SIZE *size) {
  SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);
  TEXTMETRICA metrics;
  GetTextMetricsA(dc, &metrics);
  int total = 0;
  for (int i = 0; i < count; i++) total += CellWidth(dc, units[i], metrics);
  size->cx = total;
  size->cy = metrics.tmHeight;
}

void DescribeDocumentFont(int dpiY, LOGFONTA *font) {
  memset(font, 0, sizeof *font);
  font->lfHeight = PointSize * dpiY / 72;
  font->lfCharSet = FontCharset;
  strncpy(font->lfFaceName, CurrentFaceName, LF_FACESIZE - 1);
}

HFONT SelectDocumentFont(HDC dc, int dpiY) {
  LOGFONTA font;
  DescribeDocumentFont(dpiY, &font);
  return (HFONT)SelectObject(dc, CreateFontIndirectA(&font));
}

void RestoreFont(HDC dc, HFONT previous) { DeleteObject(SelectObject(dc, previous)); }

HDC GetDocumentFontDC(HFONT *previous, int *dpiY) {
  HDC dc = GetDC(MainWindow);
  int resolution = GetDeviceCaps(dc, LOGPIXELSY);
  if (dpiY != NULL) *dpiY = resolution;
  *previous = SelectDocumentFont(dc, resolution);
  return dc;
}

void ReleaseDocumentFontDC(HDC dc, HFONT previous) {
  RestoreFont(dc, previous);
  ReleaseDC(MainWindow, dc);
}

void PrepareCellWidths(HDC dc, int dpiX, int dpiY) {
  LOGFONTA font;
  DescribeDocumentFont(dpiY, &font);
  PrepareCellWidthsOf(dc, font, dpiX);
}

void PrepareCellWidthsOf(HDC dc, const LOGFONTA &font, int dpiX) {
  if (dpiX == CachedWidthsDpiX && memcmp(&font, &CachedWidthsFont, sizeof font) == 0) return;
  CachedWidthsFont = font;
  CachedWidthsDpiX = dpiX;
  GetTextMetricsA(dc, &CachedWidthsMetrics);
  memset(CachedWidthPlusOne, 0, sizeof CachedWidthPlusOne);
}

void ForgetCellWidths() { CachedWidthsDpiX = 0; }  // no device has 0 dpi: the next preparation measures

int MeasureCachedCellWidth(HDC dc, WCHAR unit) {
  ABC abc;
  bool measured = GetCharABCWidthsW(dc, unit, unit, &abc);
  int width = CellWidthFromABC(measured ? &abc : NULL, CachedWidthsMetrics);
  CachedLeftOverhang[unit] = measured && abc.abcA < 0 ? -abc.abcA : 0;
  CachedWidthPlusOne[unit] = width + 1;
  return width;
}
