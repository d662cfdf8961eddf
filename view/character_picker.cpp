// The character picker panel above the pages, and which part has the keyboard.
#include "view/character_picker.h"

int PickerKeyboardMode;
int PickerButtonHeld;
