// Removing text: the selection (Edit > Delete, Backspace and Delete over a
// selection) or the units next to the caret.
#pragma once

// Removes the active selection and leaves the caret where it began; does
// nothing without a selection.
void DeleteSelection();
// Removes the units from .. to - 1 (with the active selection dropped and
// unhighlighted first) and leaves the caret at from. A failed allocation is
// reported and changes nothing.
void DeleteUnits(int from, int to);
