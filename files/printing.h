// Printing: the screen's display lines on paper, one job through the
// system's Print dialog, each page numbered below its text.
#pragma once

#include <windows.h>

// File > Print: asks for a printer and prints the whole document; a
// cancelled dialog prints nothing and shows nothing.
void PrintDocument();
// Draws every display line, starting pages as the paper needs; the first
// page must be started and numbered. FALSE when the spooler refused to end
// or start a page; the job is then to be abandoned.
BOOL PrintText(HDC dc);
// Draws the current page's number below its text and counts the page.
void PrintPageNumber(HDC dc);
