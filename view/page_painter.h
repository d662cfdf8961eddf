// The painters of the page view below the picker: page lines, text, caret and
// selection, each drawn whole from the current state on the paint DC.
#pragma once

#include <windows.h>

void PaintPageLines(HDC dc);
void PaintTextLines(HDC dc);
void PaintCaret(HDC dc);
void PaintSelection(HDC dc);
