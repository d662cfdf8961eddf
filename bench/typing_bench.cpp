// One typed character in a document of 32767 units with a full view of text:
// at the start of the document and at its end.
#include <benchmark/benchmark.h>

#include <string.h>

#include <string>

#include "app/program_window.h"
#include "document/document_store.h"
#include "document/line_layout.h"
#include "document/page_geometry.h"
#include "editing/delete_selection.h"
#include "editing/typed_characters.h"
#include "input/caret_placement.h"
#include "support/view_window.h"
#include "win32/fake_win32.h"

// 32766 units of prose: one typed unit fills the document to its last unit.
static void StartFullDocument() {
  static const char *words[] = {"the", "editor", "shows", "its", "text", "as", "printed", "pages", "and", "every"};
  std::u16string text;
  for (unsigned n = 1; text.size() < (size_t)DocumentCapacity - 2; n = n * 1103515245u + 12345u) {
    for (const char *c = words[(n >> 16) % 10]; *c; c++) text += (char16_t)*c;
    text += (n >> 8) % 23 == 0 ? u"\r\n" : u" ";
  }
  text.resize((size_t)DocumentCapacity - 2);
  OpenViewWindow(1000, 1100, 96);
  memcpy(DocumentText, text.data(), text.size() * sizeof(WCHAR));
  DocumentLength = (int)text.size() + 1;
  ReflowDocument();
  fake::RepaintWholeWindow();
}

// Takes the unit typed before the caret out again.
static void Untype() {
  SelectionStart = CaretIndex - 1;
  SelectionEnd = CaretIndex;
  SelectionActive = 1;
  DeleteSelection();
}

static void BM_TypeCharacter(benchmark::State &state) {
  static bool started = false;
  if (!started) {
    StartFullDocument();
    started = true;
  }
  CaretIndex = SelectionStart = SelectionEnd = state.range(0) == 0 ? 0 : DocumentLength - 1;
  ScrollCaretIntoView();
  fake::RepaintWholeWindow();

  fake::SetRecording(true);
  fake::ClearCalls();
  TypeCharacter('x');
  state.counters["platform_calls"] = (double)fake::Calls().size();
  fake::SetRecording(false);
  Untype();
  for (auto _ : state) {
    TypeCharacter('x');
    state.PauseTiming();
    Untype();
    state.ResumeTiming();
  }
  state.counters["lines"] = LineCount;
}

BENCHMARK(BM_TypeCharacter)->ArgName("at_end")->Arg(0)->Arg(1);

BENCHMARK_MAIN();
