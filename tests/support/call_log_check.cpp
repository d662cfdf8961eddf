// Compares a recorded call sequence with the expected one and, on a mismatch,
// prints both side by side with the caller's file and line; and the screen
// the incremental repaints left with a full repaint.
#include "support/call_log_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "win32/fake_win32.h"

void ExpectCallsEqual(const char *file, int line, const std::vector<std::string> &expected,
                      const std::vector<std::string> &actual) {
  if (expected == actual) return;
  size_t column = std::string("expected").size();
  for (const std::string &call : expected) column = std::max(column, call.size());
  std::ostringstream table;
  table << "call sequences differ\n  " << std::string("expected").append(column - 8, ' ') << " | actual\n";
  size_t rows = std::max(expected.size(), actual.size());
  for (size_t i = 0; i < rows; i++) {
    std::string left = i < expected.size() ? expected[i] : "";
    std::string right = i < actual.size() ? actual[i] : "";
    bool same = i < expected.size() && i < actual.size() && left == right;
    table << (same ? "  " : "! ") << left << std::string(column - left.size(), ' ') << " | " << right << "\n";
  }
  ADD_FAILURE_AT(file, line) << table.str();
}

std::string Describe(const RECT &area) {
  return "{" + std::to_string(area.left) + ", " + std::to_string(area.top) + ", " + std::to_string(area.right) + ", " +
         std::to_string(area.bottom) + "}";
}

std::string Invalidated(const RECT &area) { return "InvalidateRect(hwnd1, " + Describe(area) + ", TRUE)"; }

std::vector<std::string> Repaints() { return fake::CallsTo({"InvalidateRect", "ScrollWindow", "WM_PAINT"}); }

std::string StaleScreen() {
  fake::Screen incremental = fake::CaptureScreen();
  fake::RepaintWholeWindow();
  return fake::DescribeScreenDifference(fake::CaptureScreen(), incremental);
}
