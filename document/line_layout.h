// Display lines: the text cut at every CR LF and at the right edge of the text area.
#pragma once

struct LineRecord {
  int Start;  // index of the line's first unit
  int End;    // index of its last unit: the LF of its CR LF, the unit it was cut after, or the terminator
};

const int LineTableCapacity = 32768;

extern LineRecord LineTable[LineTableCapacity];  // the display lines in text order
extern int LineCount;                            // records in use

// Cuts the whole text into LineTable, brings the scroll range up to date,
// keeps ScrollLine inside it and scrolls the view if ScrollLine had to move.
void ReflowDocument();
// True when the line ends in a CR LF pair.
bool EndsWithLineBreak(int line);
// Index of the last unit of the line that is drawn and measured: a CR LF
// pair and the terminator are not. Start - 1 when the line shows nothing.
int VisibleEnd(int line);
