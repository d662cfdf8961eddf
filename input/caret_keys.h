// Key-downs: the caret movement keys and Escape in text mode, and the
// hand-over of editing keys and of the picker's keyboard mode.
#pragma once

extern int KeyRepeatCount;  // key-driven picker row steps since the last key-up

// One WM_KEYDOWN, by virtual-key code.
void HandleKeyDown(int key);
// Moves the caret to target and, with Shift held, extends or starts the
// selection; without Shift drops it. Repaints what changed and follows the
// caret with the view.
void MoveCaretTo(int target);
// True while GetKeyState reports the key down.
bool KeyHeld(int virtualKey);
