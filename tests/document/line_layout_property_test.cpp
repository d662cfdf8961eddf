// Layout of many random texts against a plain cutter written from the rules:
// every point size, resolution and word-wrap setting gives the same lines.
#include <random>
#include <tuple>

#include "document/layout_settings.h"
#include "document/text_measure.h"
#include "resources/command_ids.h"
#include "support/document_fixture.h"
#include "support/invariants.h"

namespace {

const char16_t WiderThanAnyPage = u'\u2603';

// Cuts the text (terminator included) by the rules, re-measuring each line
// prefix from its start and looking back for the last space.
Lines ReferenceCut(const std::u16string &text, HDC dc, bool wordWrapYes) {
  Lines lines;
  int length = (int)text.size();
  int start = 0;
  int i = 0;
  while (i < length) {
    if (text[i] == 13 && i + 1 < length && text[i + 1] == 10) {
      lines.push_back({start, i + 1});
      start = i = i + 2;
      continue;
    }
    if (i == length - 1 && text[i] == 0) {
      lines.push_back({start, i});
      break;
    }
    SIZE prefix;
    MeasureRun(dc, text.data() + start, i - start + 1, &prefix);
    if (prefix.cx <= TextWidth) {
      i++;
      continue;
    }
    int last = i - 1;
    if (i == start) {
      last = i;
    } else if (text[i] == u' ') {
      last = i;
    } else if (wordWrapYes) {
      for (int j = i - 1; j >= start; j--) {
        if (text[j] == u' ') {
          last = j;
          break;
        }
      }
    }
    lines.push_back({start, last});
    start = i = last + 1;
  }
  return lines;
}

std::u16string RandomText(std::mt19937 &random) {
  static const std::u16string letters = u"abcdefghijklmnopqrstuvwxyzfjgpqyWM0123456789.,";
  static const std::u16string others[] = {
      u"\r\n", u"\r", u"\n", u"\t", u"\u4E2D", u"\uAC00", u"\u0301", u"\u200B", u"\U0001F600", std::u16string(1, (char16_t)0xDE00),
      u"\uFFFF", std::u16string(1, WiderThanAnyPage), u"\r\n\r\n", u"  "};
  std::u16string text;
  int length = std::uniform_int_distribution<int>(0, 1200)(random);
  while ((int)text.size() < length) {
    int kind = std::uniform_int_distribution<int>(0, 9)(random);
    if (kind < 5) {
      int word = std::uniform_int_distribution<int>(1, kind == 0 ? 60 : 9)(random);
      for (int k = 0; k < word; k++) text += letters[std::uniform_int_distribution<size_t>(0, letters.size() - 1)(random)];
    } else if (kind < 8) {
      text += u' ';
    } else {
      text += others[std::uniform_int_distribution<size_t>(0, std::size(others) - 1)(random)];
    }
  }
  return text;
}

class RandomLayoutTest : public InvariantCheckedTest, public testing::WithParamInterface<std::tuple<int, int, int>> {};

}  // namespace

TEST_P(RandomLayoutTest, LinesMatchTheReferenceCutterAndKeepTheInvariants) {
  auto [points, dpi, choice] = GetParam();
  PointSize = -points;
  WordWrapChoice = choice;
  OpenDocumentWindow(900, 700, dpi);
  fake::SetRecording(false);
  fake::SetGlyph(WiderThanAnyPage, 0, (unsigned)(7 * dpi), 0);
  std::mt19937 random((unsigned)(points * 1000 + dpi * 10 + choice));

  for (int round = 0; round < 25; round++) {
    std::u16string text = RandomText(random);
    SetText(text);
    SCOPED_TRACE(testing::Message() << "round " << round << ", " << text.size() << " units");
    ASSERT_EQ("", LayoutInvariantViolation());

    ASSERT_EQ(ReferenceCut(text + u'\0', DocumentFontDc(dpi).dc, choice == IDM_WORD_WRAP_YES), LaidOutLines());
  }
}

INSTANTIATE_TEST_SUITE_P(SizesResolutionsAndWrap, RandomLayoutTest,
                         testing::Combine(testing::Values(8, 13, 32, 72), testing::Values(96, 120, 144),
                                          testing::Values(IDM_WORD_WRAP_YES, IDM_WORD_WRAP_NO)));
