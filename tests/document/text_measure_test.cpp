// Cell widths by the ABC rule, MeasureRun, and the document font's description.
#include <gtest/gtest.h>

#include <string.h>

#include "app/program_window.h"
#include "document/layout_settings.h"
#include "document/line_layout.h"
#include "document/text_measure.h"
#include "support/document_fixture.h"

namespace {

// A screen DC holding DocumentFont at 32 points, 96 dpi: tmHeight 47, so the
// spacing is 4, and tmMaxCharWidth 25.
struct DocumentFontAt96Dpi {
  HDC dc;
  HFONT previous;
  DocumentFontAt96Dpi() {
    dc = GetDC(MainWindow);
    previous = SelectDocumentFont(dc, 96);
  }
  ~DocumentFontAt96Dpi() {
    RestoreFont(dc, previous);
    ReleaseDC(MainWindow, dc);
  }
  int Width(const std::u16string &units) {
    SIZE size;
    MeasureRun(dc, units.data(), (int)units.size(), &size);
    return size.cx;
  }
};

}  // namespace

using TextMeasureTest = DocumentTest;

TEST_F(TextMeasureTest, CellWidthCountsOverhangsTwiceAndZeroBlackBoxAsMaxWidth) {
  OpenDocumentWindow();
  DocumentFontAt96Dpi font;
  TEXTMETRICA metrics;
  GetTextMetricsA(font.dc, &metrics);
  ASSERT_EQ(47, metrics.tmHeight);
  ASSERT_EQ(25, metrics.tmMaxCharWidth);
  fake::SetGlyph(u'A', -1, 20, 2);
  EXPECT_EQ(28, font.Width(u"A"));
  fake::SetGlyph(u'B', 0, 0, 2);
  EXPECT_EQ(31, font.Width(u"B"));
  fake::SetGlyph(u'C', 3, 10, -5);
  EXPECT_EQ(3 + 10 + 10 + 4, font.Width(u"C")) << "a negative C counts twice too";
  fake::SetGlyphQueryFails(u'D');
  EXPECT_EQ(25, font.Width(u"D")) << "a failed query adds no spacing";
}

TEST_F(TextMeasureTest, MeasureRunIsTheSumOfItsCellsAndSetsLeftTopAlignment) {
  OpenDocumentWindow();
  DocumentFontAt96Dpi font;
  const std::u16string run = u"Wjf \u0301\u4E2D\U0001F600\r\n\t" + std::u16string(1, (char16_t)0xDC00);
  int sum = 0;
  for (char16_t unit : run) sum += font.Width(std::u16string(1, unit));
  EXPECT_EQ(sum, font.Width(run));

  fake::ClearCalls();
  SIZE size = {-1, -1};
  MeasureRun(font.dc, run.data(), 0, &size);
  EXPECT_EQ(0, size.cx);
  EXPECT_EQ(47, size.cy);
  std::vector<std::string> aligns = fake::CallsTo({"SetTextAlign"});
  ASSERT_EQ(1u, aligns.size());
  EXPECT_NE(std::string::npos, aligns[0].find(", 0) ->")) << aligns[0];
}

TEST_F(TextMeasureTest, DocumentFontIsDescribedByPointSizeResolutionCharsetAndFace) {
  for (int dpi : {96, 120, 144}) {
    SCOPED_TRACE(dpi);
    OpenDocumentWindow(800, 700, dpi);
    HDC dc = GetDC(MainWindow);
    HFONT previous = SelectDocumentFont(dc, dpi);
    HFONT font = (HFONT)SelectObject(dc, previous);
    LOGFONTA expected;
    memset(&expected, 0, sizeof expected);
    expected.lfHeight = -32 * dpi / 72;
    expected.lfCharSet = 136;
    strcpy(expected.lfFaceName, "Courier New");
    LOGFONTA actual = fake::FontDescription(font);
    EXPECT_EQ(0, memcmp(&expected, &actual, sizeof expected)) << actual.lfHeight << " " << actual.lfFaceName;
    DeleteObject(font);
    ReleaseDC(MainWindow, dc);
  }
}

TEST_F(TextMeasureTest, LayoutQueriesEachDistinctUnitOncePerFont) {
  OpenDocumentWindow();
  std::u16string text;
  for (int i = 0; i < 400; i++) text += u"ab cd\r\n";
  fake::ClearCalls();
  SetText(text);
  // a, b, c, d and the space; a CR LF pair is never measured.
  EXPECT_EQ(5u, fake::CallsTo({"GetCharABCWidthsW"}).size());

  fake::ClearCalls();
  SetText(text + u"e");
  EXPECT_EQ(1u, fake::CallsTo({"GetCharABCWidthsW"}).size()) << "only the new unit";

  PointSize = -8;
  fake::ClearCalls();
  SetText(text);
  EXPECT_EQ(5u, fake::CallsTo({"GetCharABCWidthsW"}).size()) << "a new font measures again";
}

TEST_F(TextMeasureTest, PointSizeChangesCellWidthsAndSpacing) {
  OpenDocumentWindow();
  HDC dc = GetDC(MainWindow);
  int widths[2];
  int heights[2];
  for (int i = 0; i < 2; i++) {
    PointSize = i == 0 ? -32 : -8;
    HFONT previous = SelectDocumentFont(dc, 96);
    SIZE size;
    MeasureRun(dc, u"x", 1, &size);
    widths[i] = size.cx;
    heights[i] = size.cy;
    RestoreFont(dc, previous);
  }
  ReleaseDC(MainWindow, dc);
  EXPECT_GT(widths[0], widths[1]);
  EXPECT_EQ(heights[0] / 10, 4);
  EXPECT_EQ(heights[1] / 10, 1);
}
