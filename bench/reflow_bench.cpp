// Layout of a full document of prose: ReflowDocument at the smallest and the
// largest point size, with and without word wrap, the width table warm.
#include <benchmark/benchmark.h>

#include <string.h>

#include <string>

#include "app/program_window.h"
#include "document/document_store.h"
#include "document/layout_settings.h"
#include "document/line_layout.h"
#include "document/page_geometry.h"
#include "resources/command_ids.h"
#include "support/view_window.h"
#include "win32/fake_win32.h"

// 32767 units of paragraphs of ordinary words, CR LF between paragraphs.
static void FillWithProse() {
  static const char *words[] = {"the",     "editor", "shows",  "its",   "text",    "as",   "printed",
                                "pages",   "and",    "every",  "line",  "is",      "cut",  "at",
                                "a",       "space",  "that",   "fits",  "within",  "six",  "inches"};
  std::u16string text;
  unsigned state = 1;
  while (text.size() < (size_t)DocumentCapacity - 1) {
    state = state * 1103515245u + 12345u;
    const char *word = words[(state >> 16) % (sizeof words / sizeof *words)];
    for (const char *c = word; *c; c++) text += (char16_t)*c;
    text += (state >> 8) % 23 == 0 ? u"\r\n" : u" ";
  }
  text.resize((size_t)DocumentCapacity - 1);
  memcpy(DocumentText, text.data(), text.size() * sizeof(WCHAR));
  DocumentText[DocumentCapacity - 1] = 0;
  DocumentLength = DocumentCapacity;
}

static void BM_ReflowDocument(benchmark::State &state) {
  static bool started = false;
  if (!started) {
    OpenViewWindow(1000, 900, 96);
    fake::SetRecording(false);
    FillWithProse();
    started = true;
  }
  PointSize = -(int)state.range(0);
  WordWrapChoice = (int)state.range(1);
  ReflowDocument();  // warms the width table for this font
  for (auto _ : state) ReflowDocument();
  state.SetItemsProcessed(state.iterations() * DocumentLength);
  state.counters["lines"] = LineCount;
}

BENCHMARK(BM_ReflowDocument)
    ->ArgNames({"points", "wrap"})
    ->Args({8, IDM_WORD_WRAP_YES})
    ->Args({8, IDM_WORD_WRAP_NO})
    ->Args({72, IDM_WORD_WRAP_YES})
    ->Args({72, IDM_WORD_WRAP_NO});

BENCHMARK_MAIN();
