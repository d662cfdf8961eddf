// The two layout settings, the document's point size and the word-wrap
// choice, and the commands that change them.
#pragma once

#include <windows.h>

extern int PointSize;       // the point size negated (-32 is 32 points)
extern int WordWrapChoice;  // command id of the checked Word Wrap item

// Font Point Size items (44008 .. 44072): re-lays the document in the new
// size, moves the caret to the top and repaints the text strip.
void SetPointSize(WPARAM commandId);
// Word Wrap items (42000, 42001): re-lays the document and repaints the line
// tails whose bounds moved; the caret goes to the top.
void SetWordWrap(WPARAM commandId);
