// The character picker panel above the pages, and which part has the keyboard.
#pragma once

extern int PickerKeyboardMode;  // 1 while the keyboard works the picker instead of the text
extern int PickerButtonHeld;    // 1 while the mouse holds the picker's Up or Down button
