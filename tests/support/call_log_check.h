// Compares a recorded call sequence with the expected one and, on a mismatch,
// prints both side by side with the caller's file and line.
#pragma once

#include <string>
#include <vector>

void ExpectCallsEqual(const char *file, int line, const std::vector<std::string> &expected,
                      const std::vector<std::string> &actual);

#define EXPECT_CALLS(expected, actual) ExpectCallsEqual(__FILE__, __LINE__, expected, actual)
