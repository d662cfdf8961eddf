// Return, Tab, Backspace and Delete: the keys that change the text without a
// character message.
#pragma once

#include <windows.h>

extern const WCHAR LineBreak[2];  // what Return inserts: CR LF
extern const WCHAR Tab[4];        // what Tab inserts: four spaces

// Inserts count units at the caret or in place of the selection.
void InsertKeyText(const WCHAR *units, int count);
// Backspace (backwards) or Delete: removes the selection, or else the unit or
// CR LF pair next to the caret; nothing at the document's edges.
void DeleteKeyUnit(bool backwards);
