// The screen oracle: after every typed character, deletion and scroll, the
// screen that the incremental repaints produced equals a full repaint of the
// same state, and the state keeps its invariants.
#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <tuple>

#include "document/document_store.h"
#include "document/layout_settings.h"
#include "document/line_layout.h"
#include "document/page_geometry.h"
#include "editing/delete_selection.h"
#include "editing/typed_characters.h"
#include "resources/command_ids.h"
#include "support/document_fixture.h"
#include "support/invariants.h"

namespace {

int Random(std::mt19937 &random, int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }

std::u16string RandomProse(std::mt19937 &random, int units) {
  static const std::u16string pieces[] = {u"the ", u"page ", u"editor ", u"jumpy ", u"fig ", u"wide\u4E2D\u4E2D ",
                                          u"\r\n", u"a", u"longwordwithoutanyspaceatall", u"  "};
  std::u16string text;
  while ((int)text.size() < units) text += pieces[Random(random, 0, (int)std::size(pieces) - 1)];
  return text;
}

char16_t RandomUnit(std::mt19937 &random) {
  static const std::u16string units = u"abcdefgjpqy fW.,0 \u4E2D\u0301\u200B\u00E9\u20AC\u0416";
  if (Random(random, 0, 20) == 0) return (char16_t)Random(random, 0xD800, 0xDFFF);
  return units[(size_t)Random(random, 0, (int)units.size() - 1)];
}

class ScreenOracleTest : public DocumentTest, public testing::WithParamInterface<std::tuple<int, int>> {
 protected:
  std::mt19937 random{1};
  std::ostringstream history;

  // Changes the state without going through a repainting operation, then
  // repaints all: the next operation starts from a true screen.
  void Arrange() {
    switch (Random(random, 0, 3)) {
      case 0: {  // line ends and lone CR or LF put into the text
        static const std::u16string breaks[] = {u"\r\n", u"\r", u"\n", u"\r\n\r\n"};
        const std::u16string &units = breaks[Random(random, 0, 3)];
        if (DocumentLength + (int)units.size() > DocumentCapacity) return;
        InsertUnits(Random(random, 0, DocumentLength - 1), (const WCHAR *)units.data(), (int)units.size());
        ReflowDocument();
        history << "insert break; ";
        break;
      }
      case 1: {  // a selection made by setting the selection variables
        int a = Random(random, 0, DocumentLength - 1);
        int b = Random(random, 0, DocumentLength - 1);
        SelectionStart = a < b ? a : b;
        SelectionEnd = a < b ? b : a;
        SelectionActive = SelectionStart < SelectionEnd;
        CaretIndex = Random(random, 0, 1) ? SelectionEnd : SelectionStart;
        history << "select " << SelectionStart << ".." << SelectionEnd << "; ";
        break;
      }
      default:
        CaretIndex = SelectionStart = SelectionEnd = Random(random, 0, DocumentLength - 1);
        SelectionActive = 0;
        history << "caret " << CaretIndex << "; ";
    }
    fake::RepaintWholeWindow();
  }

  void Operate() {
    int choice = Random(random, 0, 9);
    if (choice < 6) {
      char16_t unit = RandomUnit(random);
      history << "type U+" << std::hex << (int)unit << std::dec << "; ";
      TypeCharacter(unit);
    } else if (choice < 8) {
      history << "delete; ";
      DeleteSelection();
    } else {
      static const int requests[] = {SB_LINEUP, SB_LINEDOWN, SB_PAGEUP, SB_PAGEDOWN, SB_THUMBTRACK};
      int request = requests[Random(random, 0, 4)];
      int position = Random(random, 0, ScrollMax);
      history << "scroll " << request << " " << position << "; ";
      SendScrollRequest(request, position);
    }
  }
};

}  // namespace

TEST_P(ScreenOracleTest, IncrementalRepaintEqualsAFullRepaintAfterEveryOperation) {
  PointSize = -std::get<0>(GetParam());
  WordWrapChoice = std::get<1>(GetParam());
  OpenDocumentWindow(900, 700);
  fake::SetRecording(false);
  random.seed((unsigned)(std::get<0>(GetParam()) * 7 + std::get<1>(GetParam())));
  ShowText(RandomProse(random, 1500));
  SendScrollRequest(SB_THUMBTRACK, LineCount / 2);

  for (int step = 0; step < 300; step++) {
    if (Random(random, 0, 3) == 0) Arrange();
    Operate();
    ASSERT_EQ("", LayoutInvariantViolation()) << history.str();
    ASSERT_EQ("", StateInvariantViolation()) << history.str();
    fake::Screen incremental = fake::CaptureScreen();
    fake::RepaintWholeWindow();
    ASSERT_EQ("", fake::DescribeScreenDifference(fake::CaptureScreen(), incremental))
        << "stale pixels after step " << step << ": " << history.str();
  }
}

INSTANTIATE_TEST_SUITE_P(SizesAndWrap, ScreenOracleTest,
                         testing::Combine(testing::Values(8, 20, 32, 72),
                                          testing::Values(IDM_WORD_WRAP_YES, IDM_WORD_WRAP_NO)));
