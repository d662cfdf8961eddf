// The character picker panel above the pages: its layout, painting, mouse
// presses and the Up/Down autorepeat, and which part has the keyboard.
#pragma once

#include <windows.h>

const int PickerButtonCount = 23;
const int PickerUp = 0;            // button indices
const int PickerDown = 1;
const int PickerRowLabel = 2;
const int PickerFirstDigit = 3;    // digits 0..9 are 3..12
const int PickerFirstCell = 13;    // cells 0..9 are 13..22
const int PickerFirstRow = 3;      // rows 30..39 and 65530..65539 are the ends
const int PickerLastRow = 6553;
const UINT_PTR PickerRepeatTimer = 1;

extern int PickerRow;             // the cells show codes PickerRow * 10 + 0..9
extern RECT PickerFrame;          // the panel's outer frame
extern RECT PickerRects[PickerButtonCount];  // the buttons, by index
extern int PickerKeyboardMode;    // 1 while the keyboard works the picker instead of the text
extern int PickerFocus;           // the framed button, and the held one: Up, Down or a cell
extern int PickerButtonHeld;      // 1 while the mouse holds Up or Down: capture and timer running
extern int PickerRepeatTicks;     // autorepeat steps since the press, 0..20

void LayoutPicker();
void PaintPicker(HDC dc);
// A left-button press inside PickerFrame.
void ClickPicker(int x, int y);
void PickerAutorepeatTick();
// Each repaints its area at once. The row label, then the ten cells.
void RepaintPickerRow();
// The frame drawn around a button in picker keyboard mode.
void RepaintFocusFrame(int button);
// The line above the text that shows the text has the keyboard.
void RepaintTextFocusMark();
// Frames button focus, giving the picker the keyboard if the text had it.
void MovePickerFocus(int focus);
// Steps PickerRow toward 3 (direction -1) or 6553 (+1): by 1 for the first
// ten of stepsTaken, by 10 for the next ten, then by 100; counts the step in
// stepsTaken and repaints the row. False, with nothing done, at the limit.
bool StepPickerRow(int direction, int *stepsTaken);
void StopPickerAutorepeat();
