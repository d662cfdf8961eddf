// Inserting text at the caret or in place of the selection: typed
// characters, picker cells, Return and Tab.
#pragma once

#include <windows.h>

// Inserts code (32 .. 65535; anything else is ignored) as one unit.
void TypeCharacter(int code);
// TypeCharacter for a WM_CHAR unit from the keyboard: the DEL that follows
// Ctrl+Backspace is ignored, and a character beyond the BMP, which arrives as
// a high and a low surrogate, goes in whole or not at all.
void TypeKeyboardCharacter(int code);
// Inserts count units, replacing the active selection; a text that would not
// fit, or a failed allocation, is reported under caption and changes nothing,
// and the result is false.
bool InsertText(const WCHAR *units, int count, LPCSTR failureCaption);
