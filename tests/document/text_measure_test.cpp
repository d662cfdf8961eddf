// Cell widths by the ABC rule, MeasureRun, and the document font's description.
#include <string.h>

#include "document/layout_settings.h"
#include "document/text_measure.h"
#include "support/document_fixture.h"

using TextMeasureTest = InvariantCheckedTest;

TEST_F(TextMeasureTest, CellWidthCountsOverhangsTwiceAndZeroBlackBoxAsMaxWidth) {
  OpenDocumentWindow();
  DocumentFontDc font;  // 32 points at 96 dpi: tmHeight 47, so the spacing is 4
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
  DocumentFontDc font;
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
  std::u16string text = Repeated(u"ab cd\r\n", 400);
  // Each pass: the number of GetCharABCWidthsW calls a layout makes.
  auto queries = [&](const std::u16string &units) {
    fake::ClearCalls();
    SetText(units);
    return fake::CallsTo({"GetCharABCWidthsW"}).size();
  };
  EXPECT_EQ(5u, queries(text)) << "a, b, c, d and the space; a CR LF pair is never measured";
  EXPECT_EQ(1u, queries(text + u"e")) << "only the new unit";
  PointSize = -8;
  EXPECT_EQ(5u, queries(text)) << "a new font measures again";
}

TEST_F(TextMeasureTest, PointSizeChangesCellWidthsAndSpacing) {
  OpenDocumentWindow();
  SIZE sizes[2];
  for (int i = 0; i < 2; i++) {
    PointSize = i == 0 ? -32 : -8;
    MeasureRun(DocumentFontDc().dc, u"x", 1, &sizes[i]);
  }
  EXPECT_GT(sizes[0].cx, sizes[1].cx);
  EXPECT_EQ(sizes[0].cy / 10, 4);
  EXPECT_EQ(sizes[1].cy / 10, 1);
}
