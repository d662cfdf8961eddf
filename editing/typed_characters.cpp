// Inserting text at the caret or in place of the selection: typed
// characters, picker cells, Return and Tab.
#include "editing/typed_characters.h"

#include "app/program_window.h"
#include "document/document_store.h"
#include "editing/edit_repaint.h"

static const char TypingFailureCaption[] = "Can Not Add Character";

static bool DropLowSurrogate;  // the high half before it was refused: its low half arrives alone

void TypeCharacter(int code) {
  if (code < 32 || code > 65535) return;
  WCHAR unit = (WCHAR)code;
  InsertText(&unit, 1, TypingFailureCaption);
}

void TypeKeyboardCharacter(int code) {
  bool lowOfRefused = DropLowSurrogate && IS_LOW_SURROGATE(code);
  DropLowSurrogate = false;
  if (code == 127 || lowOfRefused) return;
  if (!IS_HIGH_SURROGATE(code)) {
    TypeCharacter(code);
    return;
  }
  // Room for the low half too, or a refusal would leave half a character.
  int selected = SelectionActive ? SelectionEnd - SelectionStart : 0;
  WCHAR unit = (WCHAR)code;
  if (DocumentLength - selected + 2 > DocumentCapacity) {
    ReportFailure("Input exceeds memory limit", TypingFailureCaption);
    DropLowSurrogate = true;
  } else {
    DropLowSurrogate = !InsertText(&unit, 1, TypingFailureCaption);
  }
}

bool InsertText(const WCHAR *units, int count, LPCSTR failureCaption) {
  int from = SelectionActive ? SelectionStart : CaretIndex;
  int to = SelectionActive ? SelectionEnd : CaretIndex;
  return ReplaceUnits(from, to, units, count, failureCaption);
}
