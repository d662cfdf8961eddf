// Cell widths of text in the document font, and how that font is described and created.
// Runs are measured where they lie in DocumentText: a cell's width depends only
// on its unit and the font, so a scratch copy of the run would give the same widths.
#pragma once

#include <windows.h>

#include "document/document_store.h"

extern LPCSTR FaceNameTable[];               // the face names, ending with a null entry
extern int FaceIndex;                        // the entry of FaceNameTable in use
extern LPCSTR CurrentFaceName;               // face of every font the program creates
extern BYTE FontCharset;                     // character set of every font the program creates
extern TEXTMETRICA MainTextMetrics;          // DocumentFont on the screen; gives the line height

// Width of one unit's cell: its ABC widths, overhangs counted twice, plus a
// tenth of the font height; tmMaxCharWidth alone when the glyph cannot be
// queried (abc NULL).
int CellWidthFromABC(const ABC *abc, const TEXTMETRICA &metrics);
int CellWidth(HDC dc, WCHAR unit, const TEXTMETRICA &metrics);
// size->cx = the sum of the cell widths of count units, size->cy = tmHeight.
// Leaves dc's text alignment at TA_LEFT | TA_TOP, which the text painter relies on.
void MeasureRun(HDC dc, const WCHAR *units, int count, SIZE *size);

// The description of DocumentFont for a device of vertical resolution dpiY:
// the point size in that device's pixels, FontCharset, CurrentFaceName.
void DescribeDocumentFont(int dpiY, LOGFONTA *font);
// Creates DocumentFont for a device of vertical resolution dpiY and selects it
// into dc; returns the font it replaced, for RestoreFont.
HFONT SelectDocumentFont(HDC dc, int dpiY);
// Selects previous back into dc and deletes the font it replaces.
void RestoreFont(HDC dc, HFONT previous);
// A DC of MainWindow holding DocumentFont at the screen's vertical resolution,
// which *dpiY receives unless dpiY is NULL; ReleaseDocumentFontDC gives it back.
HDC GetDocumentFontDC(HFONT *previous, int *dpiY);
void ReleaseDocumentFontDC(HDC dc, HFONT previous);

// Layout measures every unit of the document on every change; these widths
// are remembered per font description and resolution so that each distinct
// unit is queried once. dc must hold DocumentFont for dpiY.
void PrepareCellWidths(HDC dc, int dpiX, int dpiY);
// The same for any font description selected into dc (the printer's).
void PrepareCellWidthsOf(HDC dc, const LOGFONTA &font, int dpiX);
// The widths know their font and resolution, not their device: a printer at
// the screen's resolution may have a wider face. Printing forgets them before
// and after its job.
void ForgetCellWidths();
extern int CachedWidthPlusOne[0x10000];  // per unit: its cell width + 1, 0 until measured
extern int CachedLeftOverhang[0x10000];  // per unit: -A when its A width is negative, else 0; valid once measured
int MeasureCachedCellWidth(HDC dc, WCHAR unit);
// Inline: layout asks for every unit of the document on every change.
inline int CachedCellWidth(HDC dc, WCHAR unit) {
  int entry = CachedWidthPlusOne[unit];
  return entry != 0 ? entry - 1 : MeasureCachedCellWidth(dc, unit);
}
