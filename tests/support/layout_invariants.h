// The invariants every complete layout keeps, checked on the current LineTable.
#pragma once

#include <string>

// "" when the lines tile the text (terminator included) without gaps or
// overlaps, no CR LF pair is split or stands inside a line, and every line
// ended by a cut fits the text area but for its last unit; else what broke.
std::string LayoutInvariantViolation();
