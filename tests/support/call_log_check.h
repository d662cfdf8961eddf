// Compares a recorded call sequence with the expected one and, on a mismatch,
// prints both side by side with the caller's file and line; and the screen
// the incremental repaints left with a full repaint.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

void ExpectCallsEqual(const char *file, int line, const std::vector<std::string> &expected,
                      const std::vector<std::string> &actual);

#define EXPECT_CALLS(expected, actual) ExpectCallsEqual(__FILE__, __LINE__, expected, actual)

// "{left, top, right, bottom}", as the log writes a RECT.
std::string Describe(const RECT &area);
// The log entry of an InvalidateRect of the window with erase, as every repaint primitive makes it.
std::string Invalidated(const RECT &area);
inline std::string Invalidated(int left, int top, int right, int bottom) { return Invalidated(RECT{left, top, right, bottom}); }
// The invalidations, scrolls and the state each WM_PAINT saw, in order.
std::vector<std::string> Repaints();
// What a full repaint changes on the screen as the incremental repaints left it: "" when nothing.
std::string StaleScreen();
