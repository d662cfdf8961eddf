// The document text, its copy as last opened or saved, and the caret and selection indices.
#pragma once

#include <windows.h>

const int DocumentCapacity = 32768;  // units, the terminating 0 included

extern WCHAR DocumentText[DocumentCapacity];  // the units, a 0 at DocumentLength - 1, zeros after it
extern int DocumentLength;                    // units in use, terminator included: 1 when empty
extern WCHAR SavedText[DocumentCapacity];     // the document as it was last opened or saved
extern int SavedLength;                       // length of SavedText, counted the same way
extern int CaretIndex;                        // the caret stands in front of this unit
extern int SelectionStart;                    // first selected unit
extern int SelectionEnd;                      // one past the last selected unit
extern int SelectionActive;                   // 1 while a non-empty selection is highlighted

// True when a selection is highlighted and holds at least one unit.
bool SelectionNotEmpty();
// True when the units at index and index + 1 are CR LF.
bool LineBreakAt(int index);
// True when the text differs from the saved copy in length or in any unit.
bool DocumentChangedSinceSave();
// The empty, unchanged document of a new window: one display line holding the terminator.
void StartEmptyDocument();
// Removes the units from .. to - 1: the rest, terminator included, moves down
// and the units it leaves become 0.
void RemoveUnits(int from, int to);
// Moves the units from index on, terminator included, up by count and puts
// units in the gap. The caller has made sure they fit.
void InsertUnits(int index, const WCHAR *units, int count);
